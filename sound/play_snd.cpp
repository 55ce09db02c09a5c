#include "app/form1.h"

void TForm1::setUpSounds() {}
void TForm1::PlaySnd(int) {}
void TForm1::SpeedButton1Click() {}
void TForm1::SpeedButton2Click() {}
void TForm1::SpeedButton3Click() {}
