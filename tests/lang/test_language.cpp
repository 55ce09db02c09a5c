// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "lang/lang_checks.h"
#include "lang/text_table.h"
#include "repeater/form4.h"

#include <QHelpEvent>
#include <QSet>
#include <QTest>

#include <QToolTip>
#include <algorithm>

using namespace klangor::fakes;
using klangor::lang::Language;

Q_DECLARE_METATYPE(klangor::lang::Language)

namespace {

void showForm(TForm1& form) {
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

// A first start (nothing saved) in a locale of the given name.
struct Started {
    explicit Started(const QString& localeName, std::optional<QString> savedLang = std::nullopt) {
        fakes.locale->name = localeName;
        if (savedLang) {
            fakes.settings->present = true;
            fakes.settings->values.insert(QStringLiteral("lang"), *savedLang);
        }
        form = std::make_unique<TForm1>(fakes.platform());
    }
    Fakes fakes;
    std::unique_ptr<TForm1> form;
};

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    // The whole table, for each language: every caption, hint and list of both windows, and no
    // text left from the form files or the other language.
    void textTable_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<Language>("language");
        QTest::newRow("English") << QStringLiteral("EN") << Language::English;
        QTest::newRow("Turkish") << QStringLiteral("TR") << Language::Turkish;
    }
    void textTable() {
        QFETCH(QString, code);
        QFETCH(Language, language);
        Started s(QStringLiteral("English"), code);
        showForm(*s.form);
        langchecks::verifyLanguage(*s.form, language);
        if (QTest::currentTestFailed())
            return;
        langchecks::verifyNothingLeftOver(*s.form, language);
    }

    // Every action of the list has its notices in both languages, each its own; "( no action )"
    // and positions outside the list have none.
    void actionNotices() {
        using namespace klangor::lang;
        for (Language language : {Language::English, Language::Turkish}) {
            QSet<QString> seen;
            for (int entry = 1; entry <= 6; ++entry) {
                const QString coming =
                    actionComingNotice(language, entry, 15, QStringLiteral("/x"));
                const QString failed = actionFailedNotice(language, entry, QStringLiteral("why"));
                QVERIFY2(coming.contains(QLatin1String("15")), qPrintable(coming));
                QVERIFY2(failed.endsWith(QLatin1String(": why")), qPrintable(failed));
                QVERIFY(!seen.contains(coming) && !seen.contains(failed));
                seen << coming << failed;
            }
            QVERIFY(actionComingNotice(language, 6, 15, QStringLiteral("/x")).contains("/x"));
            QVERIFY(!actionFailedNotice(language, 5, QString()).contains(QLatin1Char(':')));
            for (int entry : {-1, 0, 7})
                QVERIFY(actionComingNotice(language, entry, 15, {}).isEmpty());
        }
        QCOMPARE(actionComingNotice(Language::English, 5, 15, {}),
                 QStringLiteral("Shut down in 15 seconds"));
    }

    // Switching back and forth leaves nothing of the language before, also in the other order.
    void switchingLeavesNothingBehind() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        for (Language expected : {Language::Turkish, Language::English, Language::Turkish}) {
            s.form->lnlLangClick();
            langchecks::verifyLanguage(*s.form, expected);
            if (QTest::currentTestFailed())
                return;
            langchecks::verifyNothingLeftOver(*s.form, expected);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void firstStartFollowsLocale_data() {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("start");
        QTest::newRow("Turkish") << "Turkish"
                                 << "TR"
                                 << "TR"
                                 << "Horozu Kur";
        QTest::newRow("Türkiye") << "Turkish (Türkiye)"
                                 << "TR"
                                 << "TR"
                                 << "Horozu Kur";
        QTest::newRow("Turkey") << "Turkey"
                                << "TR"
                                << "TR"
                                << "Horozu Kur";
        QTest::newRow("English") << "English"
                                 << "EN"
                                 << "ENG"
                                 << "Start";
        QTest::newRow("German") << "German"
                                << "EN"
                                << "ENG"
                                << "Start";
        QTest::newRow("lower case") << "turkish"
                                    << "EN"
                                    << "ENG"
                                    << "Start";
        QTest::newRow("unknown") << ""
                                 << "EN"
                                 << "ENG"
                                 << "Start";
    }
    void firstStartFollowsLocale() {
        QFETCH(QString, localeName);
        QFETCH(QString, lang);
        QFETCH(QString, button);
        QFETCH(QString, start);
        Started s(localeName);
        showForm(*s.form);
        QCOMPARE(TForm1Access::lang(*s.form), lang);
        QCOMPARE(ctl(*s.form).lnlLang->text(), button);
        QCOMPARE(ctl(*s.form).Button1->text(), start);
    }

    // Only "TR" is Turkish; a saved code wins over the locale.
    void savedCode_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("button");
        QTest::newRow("TR") << "TR"
                            << "TR";
        QTest::newRow("EN") << "EN"
                            << "ENG";
        QTest::newRow("ENG") << "ENG"
                             << "ENG";
        QTest::newRow("tr") << "tr"
                            << "ENG";
        QTest::newRow("TR and space") << "TR "
                                      << "ENG";
        QTest::newRow("Türkçe") << "Türkçe"
                                << "ENG";
    }
    void savedCode() {
        QFETCH(QString, saved);
        QFETCH(QString, button);
        Started s(QStringLiteral("Turkish"), saved);
        showForm(*s.form);
        QCOMPARE(ctl(*s.form).lnlLang->text(), button);
        langchecks::verifyLanguage(
            *s.form, button == QLatin1String("TR") ? Language::Turkish : Language::English);
    }

    void languageButtonSwitchesBothWays() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        QTest::mouseClick(ctl(*s.form).lnlLang, Qt::LeftButton);
        QCOMPARE(ctl(*s.form).lnlLang->text(), QStringLiteral("TR"));
        QCOMPARE(TForm1Access::lang(*s.form), QStringLiteral("TR"));
        QCOMPARE(ctl(*s.form).Button1->text(), QStringLiteral("Horozu Kur"));
        QCOMPARE(s.form->Form4()->windowTitle(), QStringLiteral("Tekrarlayıcı"));
        QTest::mouseClick(ctl(*s.form).lnlLang, Qt::LeftButton);
        QCOMPARE(ctl(*s.form).lnlLang->text(), QStringLiteral("ENG"));
        QCOMPARE(TForm1Access::lang(*s.form), QStringLiteral("ENG"));
        QCOMPARE(ctl(*s.form).Button1->text(), QStringLiteral("Start"));
        QCOMPARE(s.form->Form4()->Button1->text(), QStringLiteral("Turn off the screen"));
    }

    // While an alarm is armed (the picker is disabled) Button1 shows a stop caption that the
    // alarm relies on: the button must not touch anything.
    void languageButtonIdleWhileArmed() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        ctl(*s.form).Button1->setText(QStringLiteral("Stop"));
        ctl(*s.form).wwDBDateTimePicker1->setEnabled(false);
        ctl(*s.form).sxMinutes->setCurrentIndex(2);
        QTest::mouseClick(ctl(*s.form).lnlLang, Qt::LeftButton);
        QCOMPARE(ctl(*s.form).lnlLang->text(), QStringLiteral("ENG"));
        QCOMPARE(TForm1Access::lang(*s.form), QStringLiteral("EN"));
        QCOMPARE(ctl(*s.form).Button1->text(), QStringLiteral("Stop"));
        QCOMPARE(ctl(*s.form).Label1->text(), QStringLiteral("Alarm Time"));
        QCOMPARE(ctl(*s.form).sxMinutes->itemText(0), QStringLiteral("Sound-1"));

        ctl(*s.form).wwDBDateTimePicker1->setEnabled(true);
        ctl(*s.form).Button1->setText(QStringLiteral("Start"));
        QTest::mouseClick(ctl(*s.form).lnlLang, Qt::LeftButton);
        QCOMPARE(ctl(*s.form).lnlLang->text(), QStringLiteral("TR"));
    }

    // The sounds stay where they were (no selection included); the action starts over at "none"
    // without asking for a file, and a picked path is gone.
    void switchKeepsSoundsAndResetsAction() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        ctl(*s.form).sxMinutes->setCurrentIndex(5);
        ctl(*s.form).sxMinutes2->setCurrentIndex(-1);
        ctl(*s.form).salarm->setCurrentIndex(4);
        ctl(*s.form).CheckBox3->setItemText(6, QStringLiteral("/usr/bin/true"));
        ctl(*s.form).CheckBox3->setCurrentIndex(6);
        const int asked = s.fakes.files->asked;

        s.form->lnlLangClick();
        QCOMPARE(ctl(*s.form).sxMinutes->currentIndex(), 5);
        QCOMPARE(ctl(*s.form).sxMinutes->currentText(), QStringLiteral("Sessiz"));
        QCOMPARE(ctl(*s.form).sxMinutes2->currentIndex(), -1);
        QCOMPARE(ctl(*s.form).salarm->currentIndex(), 4);
        QCOMPARE(ctl(*s.form).salarm->currentText(), QStringLiteral("Ses-5"));
        QCOMPARE(ctl(*s.form).CheckBox3->count(), 7);
        QCOMPARE(ctl(*s.form).CheckBox3->currentIndex(), 0);
        QCOMPARE(ctl(*s.form).CheckBox3->currentText(), QStringLiteral("(aksiyon yok)"));
        QCOMPARE(ctl(*s.form).CheckBox3->itemText(6), QStringLiteral("Komut Çalıştır"));
        QCOMPARE(s.fakes.files->asked, asked);
    }

    // The status lines' prefixes follow the language, and never pop up as tool-tips; Button1's
    // hint does.
    void prefixesFollowLanguageAndStayHidden() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        QCOMPARE(ctl(*s.form).lblBegin->toolTip(), QStringLiteral("Start: "));
        s.form->lnlLangClick();
        QCOMPARE(ctl(*s.form).lblBegin->toolTip(), QStringLiteral("Başlangıç: "));
        QCOMPARE(ctl(*s.form).lblEndx->toolTip(), QStringLiteral("Bitiş: "));
        QCOMPARE(ctl(*s.form).lblLastx->toolTip(), QStringLiteral("Son Tekrar: "));
        QCOMPARE(ctl(*s.form).lblstatus->toolTip(), QStringLiteral("Tekrarlayıcı çalışıyor..."));

        for (QLabel* l : {ctl(*s.form).lblBegin, ctl(*s.form).lblEndx, ctl(*s.form).lblLastx,
                          ctl(*s.form).lblstatus}) {
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), l->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(l, &help);
            QVERIFY2(!QToolTip::isVisible(), qPrintable(l->objectName()));
        }
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2),
                        ctl(*s.form).Button1->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(ctl(*s.form).Button1, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("F5: Horozu Kur / Horozu Kes"));
        QToolTip::hideText();
    }

    // A switch while the repeater runs: the lines already shown keep their language, the next
    // status updates take the new prefixes.
    void switchWhileRepeaterRuns() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        s.form->repeater_startClick();
        QVERIFY(ctl(*s.form).lblBegin->text().startsWith(QStringLiteral("Start: ")));
        s.form->lnlLangClick();
        QVERIFY(ctl(*s.form).lblBegin->text().startsWith(QStringLiteral("Start: ")));
        QCOMPARE(ctl(*s.form).lblstatus->text(), QStringLiteral("Repeater is running..."));
        s.fakes.clock->advanceMs(qint64(ctl(*s.form).xMinutes->value()) * 60000 + 1000);
        s.form->repeaterTimer();
        QVERIFY2(ctl(*s.form).lblLastx->text().startsWith(QStringLiteral("Son Tekrar: ")),
                 qPrintable(ctl(*s.form).lblLastx->text()));
        s.form->repeater_stopClick();
        QVERIFY2(ctl(*s.form).lblEndx->text().startsWith(QStringLiteral("Bitiş: ")),
                 qPrintable(ctl(*s.form).lblEndx->text()));
        s.form->repeater_startClick();
        QVERIFY(ctl(*s.form).lblBegin->text().startsWith(QStringLiteral("Başlangıç: ")));
        QCOMPARE(ctl(*s.form).lblstatus->text(), QStringLiteral("Tekrarlayıcı çalışıyor..."));
        s.form->repeater_stopClick();
    }

    // Labels placed by position take the size of their new text; fixed-size ones keep theirs.
    void labelsFitTheirText() {
        Started s(QStringLiteral("English"));
        showForm(*s.form);
        ctl(*s.form).PageControl1->setCurrentIndex(1);  // the note is fitted on a page that shows
        const QRect label9 = ctl(*s.form).Label9->geometry();
        const QRect label20 = ctl(*s.form).Label20->geometry();
        const QRect label21 = ctl(*s.form).Label21->geometry();
        const QRect lblx = ctl(*s.form).lblx->geometry();
        for (int i = 0; i < 2; ++i) {
            s.form->lnlLangClick();
            for (QLabel* l : {ctl(*s.form).Label7, ctl(*s.form).Label13, ctl(*s.form).Label1}) {
                QCOMPARE(l->size(), l->sizeHint());
            }
            QCOMPARE(ctl(*s.form).Label9->geometry(), label9);
            // The note keeps its place and height and is widened just enough for its sentence.
            QCOMPARE(ctl(*s.form).Label20->pos(), label20.topLeft());
            QCOMPARE(ctl(*s.form).Label20->height(), label20.height());
            QCOMPARE(ctl(*s.form).Label20->width(),
                     std::max(265, ctl(*s.form).Label20->sizeHint().width()));
            QCOMPARE(ctl(*s.form).Label21->geometry(), label21);
            QCOMPARE(ctl(*s.form).lblx->geometry(), lblx);
            // The bold status captions stay clear of their values.
            const auto* f = s.form.get();
            for (const auto& [caption, value] : {std::pair{ctl(*f).Label5, ctl(*f).lblStart},
                                                 std::pair{ctl(*f).Label6, ctl(*f).lblEnd},
                                                 std::pair{ctl(*f).Label7, ctl(*f).lblx}}) {
                QVERIFY2(caption->x() + caption->width() + 3 <= value->x(),
                         qPrintable(caption->text() + QStringLiteral(" ends at ") +
                                    QString::number(caption->geometry().right())));
            }
        }
        QCOMPARE(ctl(*s.form).Label7->pos(), QPoint(216, 7));

        // Switched while the other page shows, the note is fitted when its page comes up.
        ctl(*s.form).PageControl1->setCurrentIndex(1);
        s.form->lnlLangClick();  // Turkish: the note fits its 265 px band
        QCOMPARE(ctl(*s.form).Label20->width(), 265);
        ctl(*s.form).PageControl1->setCurrentIndex(0);
        s.form->lnlLangClick();  // English, longer
        ctl(*s.form).PageControl1->setCurrentIndex(1);
        QCOMPARE(ctl(*s.form).Label20->width(), ctl(*s.form).Label20->sizeHint().width());
        QVERIFY(ctl(*s.form).Label20->width() > 265);
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
