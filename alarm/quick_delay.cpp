#include "alarm/event_hook.h"
#include "app/form1.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

void TForm1::setUpQuickDelay() {
    using klangor::alarm::EventHook;

    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    const QList<QPushButton*> minuteButtons{Button5,  Button6,  Button7,  Button8,  Button9,
                                            Button14, Button13, Button12, Button11, Button10,
                                            Button19, Button18, Button17, Button16, Button15};
    for (QPushButton* b : minuteButtons) {
        if (b == Button15)
            connect(b, &QPushButton::clicked, this, &TForm1::Button15Click);
        else
            connect(b, &QPushButton::clicked, this, [this, b] { Button5Click(b); });
    }
    // As on any desktop, Enter presses the focused button, not only Space.
    BitBtn1->setAutoDefault(true);
    Button3->setAutoDefault(true);
    Button4->setAutoDefault(true);
    for (QPushButton* b : minuteButtons)
        b->setAutoDefault(true);

    // A push button ignores the right mouse button, so its release is caught here.
    EventHook::install(this, minuteButtons, [this](QObject* watched, QEvent* e) {
        if (e->type() == QEvent::MouseButtonRelease)
            Button5MouseUp(static_cast<QPushButton*>(watched),
                           static_cast<QMouseEvent*>(e)->button());
        return false;
    });

    // Entering a box selects its text; Enter and Esc move on or close the panel.
    const auto boxHook = [this](QSpinBox* box, void (TForm1::*enter)(),
                                void (TForm1::*keyDown)(int)) {
        EventHook::install(this, std::initializer_list<QObject*>{box},
                           [this, box, enter, keyDown](QObject*, QEvent* e) {
                               if (e->type() == QEvent::FocusIn) {
                                   // Let the box take the focus first, or it would place the
                                   // cursor over the selection.
                                   static_cast<QObject*>(box)->event(e);
                                   (this->*enter)();
                                   return true;
                               }
                               if (e->type() == QEvent::KeyPress) {
                                   const int key = static_cast<QKeyEvent*>(e)->key();
                                   if (isEnterKey(key) || key == Qt::Key_Escape) {
                                       (this->*keyDown)(key);
                                       return true;
                                   }
                               }
                               return false;
                           });
    };
    boxHook(se_hour, &TForm1::se_hourEnter, &TForm1::se_hourKeyDown);
    boxHook(se_minute, &TForm1::se_minuteEnter, &TForm1::se_minuteKeyDown);
}

void TForm1::BitBtn1Click() {
    if (!wwDBDateTimePicker1->isEnabled())  // an alarm is armed
        return;
    Panel2->move(wwDBDateTimePicker1->x(), BitBtn1->y() + BitBtn1->height() + 2);
    Panel2->setVisible(Panel2->isHidden());
    if (!Panel2->isHidden()) {
        Panel2->raise();
        se_hour->setValue(0);
        se_minute->setValue(0);
        se_hour->setFocus();
    }
}

void TForm1::Button5Click(QPushButton* sender) {
    se_minute->setValue(sender->text().toInt());
}

void TForm1::Button15Click() {
    se_hour->setValue(1);
    se_minute->setValue(0);
}

void TForm1::Button5MouseUp(QPushButton* sender, Qt::MouseButton button) {
    if (button != Qt::RightButton)
        return;  // the click handler has done the work of a left click
    Button5Click(sender);
    Button3Click();
}

void TForm1::Button3Click() {
    const qint64 minutes = qint64{SpinValue(se_hour)} * 60 + SpinValue(se_minute);
    // The whole delay, days included, even where the picker shows only its time of day.
    const QDateTime deadline = platform_.clock->now().addSecs(minutes * 60);
    wwDBDateTimePicker1->setTime(deadline.time());
    ComboBox1->setFocus();
    Panel2->hide();
    startOrStopAlarm(deadline);
}

void TForm1::Button4Click() {
    Panel2->hide();
}

void TForm1::se_hourEnter() {
    se_hour->selectAll();
}

void TForm1::se_minuteEnter() {
    se_minute->selectAll();
}

void TForm1::se_hourKeyDown(int key) {
    if (isEnterKey(key)) {
        se_minute->setFocus();
    } else if (key == Qt::Key_Escape) {
        Panel2->hide();
        wwDBDateTimePicker1->setFocus();
    }
}

void TForm1::se_minuteKeyDown(int key) {
    if (isEnterKey(key)) {
        Button3->setFocus();
    } else if (key == Qt::Key_Escape) {
        Panel2->hide();
        wwDBDateTimePicker1->setFocus();
    }
}
