#include "app/form1.h"

void TForm1::setUpQuickDelay() {}
void TForm1::BitBtn1Click() {}
void TForm1::Button5Click(QPushButton*) {}
void TForm1::Button15Click() {}
void TForm1::Button5MouseUp(QPushButton*, Qt::MouseButton) {}
void TForm1::Button3Click() {}
void TForm1::Button4Click() {}
void TForm1::se_hourEnter() {}
void TForm1::se_minuteEnter() {}
void TForm1::se_hourKeyDown(int) {}
void TForm1::se_minuteKeyDown(int) {}
