#include "app/form1.h"

bool TForm1::IsTurkishLocale() const {
    return false;
}
void TForm1::SetLanguage() {}
void TForm1::lnlLangClick() {}
