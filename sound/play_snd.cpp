#include "app/form1.h"
#include "sound/catalogue.h"

void TForm1::setUpSounds() {
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
}

// Starts the recording that a sound list index names and returns at once; the player cuts off
// whatever still plays. Silence (5, -1, ...) leaves a playing sound alone.
void TForm1::PlaySnd(int index) {
    const QString name = klangor::soundForIndex(index);
    if (name.isEmpty())
        return;
    platform_.sound->play(name);
}

void TForm1::SpeedButton1Click() {
    PlaySnd(sxMinutes->currentIndex());
}

void TForm1::SpeedButton2Click() {
    PlaySnd(sxMinutes2->currentIndex());
}

void TForm1::SpeedButton3Click() {
    PlaySnd(salarm->currentIndex());
}
