#include "app/form1.h"

void TForm1::setUpAlarm() {}
void TForm1::Button1Click() {}
void TForm1::Timer1Timer() {}
void TForm1::Timer2Timer() {}
void TForm1::Button2Click() {}
void TForm1::Label1DblClick() {}
void TForm1::wwDBDateTimePicker1KeyPress(QChar) {}
void TForm1::ayunutma1Click(QAction*) {}

QString TwoDigits(const QString& text) {
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}
