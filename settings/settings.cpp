#include "app/form1.h"

void TForm1::LoadSettings() {}
void TForm1::SaveSettings() {}
