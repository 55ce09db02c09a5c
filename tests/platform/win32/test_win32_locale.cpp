// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "platform/win32/system_parts.h"

#include <QTest>

using namespace klangor::fakes;

// Started under wine in a Turkish locale (LANG tr_TR.UTF-8, which wine takes for the user's
// default locale): the system's locale lookup makes the first start Turkish.
class TestWin32Locale : public QObject {
    Q_OBJECT

private slots:
    void firstStartInTurkishLocale() {
        QCOMPARE(klangor::Win32LocaleInfo().languageName(), QStringLiteral("Turkish"));
        Fakes fakes;
        klangor::Platform platform = fakes.platform();
        platform.locale = std::make_shared<klangor::Win32LocaleInfo>();
        TForm1 form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(TForm1Access::lang(form), QStringLiteral("TR"));
        QCOMPARE(ctl(form).Label1->text(), QStringLiteral("Uyarı Saati"));
    }
};

QTEST_MAIN(TestWin32Locale)
#include "test_win32_locale.moc"
