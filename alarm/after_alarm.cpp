#include "app/form1.h"

void TForm1::setUpAfterAlarm() {}
void TForm1::CheckBox3Change() {}
void TForm1::DoShutAction() {}
