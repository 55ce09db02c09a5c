// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts follow the interface language: the file dialog of "Execute Command" and the
// edit boxes' context menus speak Turkish in the Turkish interface and English in the English
// one, switched by the language button. Uses Qt's real Turkish catalogue and the real file
// dialog.

#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "lang/qt_translations.h"
#include "platform/qt/qt_basics.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace klangor::fakes;
using klangor::lang::Language;
using klangor::lang::QtTranslations;

namespace {

// The texts a user reads on the file dialog that "Execute Command" opens.
struct DialogTexts {
    bool shown = false;
    QStringList buttons;
    QStringList labels;
};

// Chooses "Execute Command" with the keyboard, as a user would (End on the closed list), reads
// the file dialog that opens and cancels it.
DialogTexts chooseExecuteCommand(TForm1& form) {
    DialogTexts seen;
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [&seen, poll] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        seen.shown = true;
        for (const QPushButton* b : dialog->findChildren<QPushButton*>())
            if (!b->text().isEmpty())
                seen.buttons << QString(b->text()).remove(u'&');  // without the shortcut mark
        for (const QLabel* l : dialog->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                seen.labels << l->text();
        dialog->reject();
    });
    poll->start();
    QComboBox* actions = ctl(form).CheckBox3;
    actions->setFocus();
    QTest::keyClick(actions, Qt::Key_End);  // returns when the dialog has closed
    delete poll;
    return seen;
}

QStringList contextMenuOf(QWidget* editBox) {
    auto* line = editBox->findChild<QLineEdit*>();
    if (!line)
        return {};
    std::unique_ptr<QMenu> menu(line->createStandardContextMenu());
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().section(u'\t', 0, 0);  // without the shortcut
    return texts;
}

}  // namespace

class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    // Qt's own file dialog, whose texts are Qt's, also where the system has a dialog of its own
    // (Windows), which speaks the system's language instead.
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
    void cleanup() { QtTranslations::apply(Language::English); }

    // Installed once however often Turkish is applied, and gone with English.
    void catalogueFollowsLanguage() {
        const auto lookIn = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
        QtTranslations::apply(Language::Turkish);
        QCOMPARE(lookIn(), QStringLiteral("Arama konumu:"));
        QtTranslations::apply(Language::Turkish);
        QtTranslations::apply(Language::English);
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
        QtTranslations::apply(Language::English);
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
    }

    // Started in Turkish, then switched with the language button to English and back: the file
    // dialog and the context menu of an edit box speak the interface language each time.
    void fileDialogAndContextMenu() {
        Fakes fakes;
        fakes.settings->present = true;
        fakes.settings->values.insert(QStringLiteral("lang"), QStringLiteral("TR"));
        klangor::Platform platform = fakes.platform();
        platform.files = std::make_shared<klangor::QtFileChooser>();
        TForm1 form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        struct Expected {
            QString entry, open, cancel, lookIn, fileType, cut, paste;
        };
        const Expected turkish{QStringLiteral("Komut Çalıştır"),
                               QStringLiteral("Aç"),
                               QStringLiteral("İptal"),
                               QStringLiteral("Arama konumu:"),
                               QStringLiteral("Dosyaların türü:"),
                               QStringLiteral("Ke&s"),
                               QStringLiteral("Ya&pıştır")};
        const Expected english{QStringLiteral("Execute Command"), QStringLiteral("Open"),
                               QStringLiteral("Cancel"),          QStringLiteral("Look in:"),
                               QStringLiteral("Files of type:"),  QStringLiteral("Cu&t"),
                               QStringLiteral("&Paste")};
        for (const Expected* e : {&turkish, &english, &turkish}) {
            if (e != &turkish || ctl(form).lnlLang->text() != QLatin1String("TR"))
                form.lnlLangClick();
            QCOMPARE(ctl(form).CheckBox3->itemText(6), e->entry);
            const DialogTexts dialog = chooseExecuteCommand(form);
            QVERIFY2(dialog.shown, "no file dialog after choosing the command entry");
            QVERIFY2(dialog.buttons.contains(e->open), qPrintable(dialog.buttons.join(u'|')));
            QVERIFY2(dialog.buttons.contains(e->cancel), qPrintable(dialog.buttons.join(u'|')));
            QVERIFY2(dialog.labels.contains(e->lookIn), qPrintable(dialog.labels.join(u'|')));
            QVERIFY2(dialog.labels.contains(e->fileType), qPrintable(dialog.labels.join(u'|')));
            QCOMPARE(ctl(form).CheckBox3->currentIndex(), 0);  // cancelled: back to no action

            const QStringList menu = contextMenuOf(ctl(form).se_minute);
            QVERIFY2(menu.contains(e->cut) && menu.contains(e->paste), qPrintable(menu.join(u'|')));
        }
    }
};

QTEST_MAIN(TestQtTranslations)
#include "test_qt_translations.moc"
