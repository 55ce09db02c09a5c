// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "platform/qt/qt_basics.h"

#include <QTest>

using namespace klangor::fakes;

// Started by ctest in a Turkish locale (LANG and LC_ALL tr_TR.UTF-8): the real locale lookup
// makes the first start Turkish.
class TestLanguageLocale : public QObject {
    Q_OBJECT

private slots:
    void firstStartInTurkishLocale() {
        QCOMPARE(klangor::QtLocaleInfo().languageName(), QStringLiteral("Turkish"));
        Fakes fakes;
        klangor::Platform platform = fakes.platform();
        platform.locale = std::make_shared<klangor::QtLocaleInfo>();
        TForm1 form(platform);
        QVERIFY(form.IsTurkishLocale());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(TForm1Access::lang(form), QStringLiteral("TR"));
        QCOMPARE(ctl(form).lnlLang->text(), QStringLiteral("TR"));
        QCOMPARE(ctl(form).Label1->text(), QStringLiteral("Uyarı Saati"));
    }
};

QTEST_MAIN(TestLanguageLocale)
#include "test_language_locale.moc"
