#include "app/form1.h"

void TForm1::setUpRepeater() {}
void TForm1::repeater_startClick() {}
void TForm1::repeater_stopClick() {}
void TForm1::repeaterTimer() {}
void TForm1::repear_endTimer() {}
