// SPDX-License-Identifier: GPL-3.0-or-later
// The after-alarm action list and DoShutAction, with fake platform operations.

#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"

#include "platform/qt/qt_shell.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using klangor::PowerAction;
using namespace klangor::fakes;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QStringList kEnglishActions = {"( no action )", "Lock",      "Sleep",          "Hibernate",
                                     "Restart",       "Shut down", "Execute Command"};

/// The form as the user meets it: shown, in English, with the seven actions.
void prepare(TForm1& form) {
    form.SetLanguage();
    QStringList entries;
    for (int i = 0; i < ctl(form).CheckBox3->count(); ++i)
        entries << ctl(form).CheckBox3->itemText(i);
    QCOMPARE(entries, kEnglishActions);
}

/// The user picks entry `index` in the list (as a mouse click in the open list does).
void choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

/// Records, with each power request, how many times the settings had been saved by then.
class OrderedPower final : public klangor::Power {
public:
    explicit OrderedPower(FakeSettingsStore* settings) : settings_(settings) {}
    void request(PowerAction action, std::function<void(bool)> done) override {
        requests.push_back({action, settings_->saves});
        if (done)
            done(result);
    }
    std::vector<std::pair<PowerAction, int>> requests;
    bool result = true;

private:
    FakeSettingsStore* settings_;
};

}  // namespace

class TestAfterAlarm : public QObject {
    Q_OBJECT

private slots:
    void executeCommandAsksForAFile_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("entry");
        QTest::newRow("picked") << std::optional<QString>("/home/u/My Music/wake up.mp3") << 6
                                << "/home/u/My Music/wake up.mp3";
        QTest::newRow("cancelled") << std::optional<QString>() << 0 << "Execute Command";
        QTest::newRow("nothing picked") << std::optional<QString>("") << 0 << "Execute Command";
    }

    void executeCommandAsksForAFile() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(int, index);
        QFETCH(QString, entry);
        Fakes fakes;
        fakes.files->answers.push_back(answer);
        TForm1 form(fakes.platform());
        prepare(form);
        choose(ctl(form).CheckBox3, 6);
        QCOMPARE(fakes.files->asked, 1);
        QCOMPARE(ctl(form).CheckBox3->currentIndex(), index);
        QCOMPARE(ctl(form).CheckBox3->itemText(6), entry);
        QCOMPARE(ctl(form).CheckBox3->count(), 7);
    }

    // Through the keyboard as a user would: End jumps to the last entry.
    void keyboardChoiceAsksToo() {
        Fakes fakes;
        fakes.files->answers.push_back(QStringLiteral("/opt/tool"));
        TForm1 form(fakes.platform());
        prepare(form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).CheckBox3->setFocus();
        QTest::keyClick(ctl(form).CheckBox3, Qt::Key_End);
        QCOMPARE(fakes.files->asked, 1);
        QCOMPARE(ctl(form).CheckBox3->currentText(), QStringLiteral("/opt/tool"));
    }

    // The mouse wheel turned over the list, past its last entry and back: no file dialog, and
    // the list never rests on "Execute Command" without a file.
    void wheelNeverAsks() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        prepare(form);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QComboBox* list = ctl(form).CheckBox3;
        list->setFocus();  // the wheel turns only the focused list
        const QPointF at(list->width() / 2.0, list->height() / 2.0);
        const auto turn = [&](int steps) {
            QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120 * steps),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list, &wheel);
        };
        QStringList passed;
        for (int i = 0; i < 9; ++i) {
            turn(1);
            passed << list->currentText();
        }
        QCOMPARE(fakes.files->asked, 0);
        QCOMPARE(list->currentIndex(), 5);  // stops at "Shut down"
        QVERIFY(!passed.contains(QStringLiteral("Execute Command")));
        turn(-1);
        turn(-1);
        QCOMPARE(list->currentIndex(), 3);
        QCOMPARE(fakes.files->asked, 0);
    }

    void choosingAgainReplacesThePath() {
        Fakes fakes;
        fakes.files->answers = {QStringLiteral("/a/first"), QStringLiteral("/b/second"),
                                QStringLiteral("/c/third"), std::nullopt};
        TForm1 form(fakes.platform());
        prepare(form);
        choose(ctl(form).CheckBox3, 6);
        QCOMPARE(ctl(form).CheckBox3->itemText(6), QStringLiteral("/a/first"));
        choose(ctl(form).CheckBox3, 2);  // another entry: no dialog
        QCOMPARE(fakes.files->asked, 1);
        choose(ctl(form).CheckBox3, 6);
        QCOMPARE(ctl(form).CheckBox3->itemText(6), QStringLiteral("/b/second"));
        choose(ctl(form).CheckBox3, 6);  // the same entry once more offers the dialog again
        QCOMPARE(ctl(form).CheckBox3->itemText(6), QStringLiteral("/c/third"));
        QCOMPARE(ctl(form).CheckBox3->currentIndex(), 6);
        choose(ctl(form).CheckBox3, 6);  // and a cancel then means no action
        QCOMPARE(ctl(form).CheckBox3->currentIndex(), 0);
        QCOMPARE(fakes.files->asked, 4);
    }

    // The dialog opens in the folder of the file picked last, or the home folder: never in the
    // folder the program was started from. A language switch forgets the path, not the folder.
    void dialogOpensInTheLastFolder() {
        QTemporaryDir started;
        QTemporaryDir files;
        QVERIFY(started.isValid() && files.isValid());
        QVERIFY(QDir().mkpath(files.filePath(QStringLiteral("sub"))));
        const QString picked = files.filePath(QStringLiteral("sub/wake.sh"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(started.path());
        Fakes fakes;
        fakes.files->answers = {picked, std::nullopt, std::nullopt};
        TForm1 form(fakes.platform());
        prepare(form);
        choose(ctl(form).CheckBox3, 6);
        choose(ctl(form).CheckBox3, 6);  // cancelled: no action, and no new folder either
        form.lnlLangClick();
        choose(ctl(form).CheckBox3, 6);
        QDir::setCurrent(previous);
        QCOMPARE(fakes.files->folders,
                 (QStringList{QDir::homePath(), files.filePath("sub"), files.filePath("sub")}));
    }

    // Rebuilding the list or restoring a choice is not the user choosing: no dialog pops up.
    void programmaticChangesAskNothing() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        prepare(form);
        ctl(form).CheckBox3->setCurrentIndex(6);
        ctl(form).CheckBox3->setCurrentIndex(0);
        form.SetLanguage();
        QCOMPARE(fakes.files->asked, 0);
    }

    void doShutAction_data() {
        QTest::addColumn<int>("shut");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<std::vector<PowerAction>>("power");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("saves");
        QTest::addColumn<QString>("notice");  // what the failure notification says
        const QString path = QStringLiteral("/home/u/a b; touch x.sh");
        const std::vector<PowerAction> none;
        QTest::newRow("lock") << 1 << "Lock" << std::vector{PowerAction::Lock} << "" << false
                              << "Could not lock";
        QTest::newRow("sleep") << 2 << "Sleep" << std::vector{PowerAction::Suspend} << "" << true
                               << "Could not sleep";
        QTest::newRow("hibernate") << 3 << "Hibernate" << std::vector{PowerAction::Hibernate} << ""
                                   << true << "Could not hibernate";
        QTest::newRow("restart") << 4 << "Restart" << std::vector{PowerAction::Reboot} << "" << true
                                 << "Could not restart";
        QTest::newRow("shut down") << 5 << "Shut down" << std::vector{PowerAction::PowerOff} << ""
                                   << true << "Could not shut down";
        QTest::newRow("execute") << 6 << path << none << path << false << "Could not open: " + path;
        QTest::newRow("execute, no path") << 6 << "" << none << "" << false << "";
        QTest::newRow("none") << 0 << "( no action )" << none << "" << false << "";
        QTest::newRow("none taken") << -1 << "" << none << "" << false << "";
        QTest::newRow("out of range") << 7 << "/bin/x" << none << "" << false << "";
    }

    void doShutAction() {
        QFETCH(int, shut);
        QFETCH(QString, exec);
        QFETCH(std::vector<PowerAction>, power);
        QFETCH(QString, opened);
        QFETCH(bool, saves);
        QFETCH(QString, notice);
        Fakes fakes;
        auto ordered = std::make_shared<OrderedPower>(fakes.settings.get());
        ordered->result = false;  // refused, for no reason the system gives
        fakes.shell->result = false;
        auto platform = fakes.platform();
        platform.power = ordered;
        TForm1 form(platform);
        prepare(form);
        TForm1Access::afterAlarm(form).take(shut, exec);
        form.DoShutAction();

        std::vector<PowerAction> requested;
        for (const auto& [action, savesBefore] : ordered->requests) {
            requested.push_back(action);
            QCOMPARE(savesBefore > 0, saves);  // saved before, never after
        }
        QCOMPARE(requested, power);
        const std::vector<std::string> expectedOpen =
            opened.isEmpty() ? std::vector<std::string>{}
                             : std::vector<std::string>{opened.toStdString()};
        QCOMPARE(fakes.shell->opened, expectedOpen);
        // The failure is said in a notification, never in a message box.
        std::vector<std::pair<QString, QString>> notes;
        if (!notice.isEmpty())
            notes.push_back({QStringLiteral("Klangor"), notice});
        QCOMPARE(fakes.notifier->notes, notes);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible());
    }

    // The opener took the file, then said it could not open it: that is said like a refusal.
    void openerFailureIsNotified() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        prepare(form);
        const std::string path = "/home/u/report.zzq";
        TForm1Access::afterAlarm(form).take(6, QString::fromStdString(path));
        form.DoShutAction();
        QCOMPARE(fakes.shell->opened, std::vector<std::string>{path});
        QVERIFY(fakes.notifier->notes.empty());
        fakes.shell->failLater(path, "no method available for opening it");
        const std::vector<std::pair<QString, QString>> notes{
            {QStringLiteral("Klangor"),
             QStringLiteral("Could not open: /home/u/report.zzq (no method available for "
                            "opening it)")}};
        QCOMPARE(fakes.notifier->notes, notes);
    }

    // The reason the system gives follows, and the notice is in the interface language.
    void failureNoticeSaysWhy_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<int>("shut");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("refused") << "EN" << 5 << false
                                 << QStringList{"Could not shut down: Access denied"};
        QTest::newRow("refused, Turkish")
            << "TR" << 1 << false << QStringList{"Ekran kilitlenemedi: Access denied"};
        QTest::newRow("accepted") << "EN" << 5 << true << QStringList{};
    }
    void failureNoticeSaysWhy() {
        QFETCH(QString, lang);
        QFETCH(int, shut);
        QFETCH(bool, accepted);
        QFETCH(QStringList, notes);
        Fakes fakes;
        fakes.power->result = accepted;
        TForm1 form(fakes.platform());
        prepare(form);
        TForm1Access::alarm(form).setLanguage(klangor::lang::languageOf(lang));
        TForm1Access::afterAlarm(form).take(shut, QString());
        form.DoShutAction();
        QCOMPARE(fakes.power->requests.size(), size_t(1));
        QStringList shown;
        for (const auto& [title, body] : fakes.notifier->notes)
            shown << body;
        QCOMPARE(shown, notes);
    }

    // The whole way from the list to the system: the picked file runs as itself, whatever its
    // name holds, and no shell ever reads the name.
    void executeRunsExactlyThePickedFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString script = dir.filePath(QStringLiteral("Komut Çalıştır \"a b\"; touch x.sh"));
        const QString marker = dir.filePath(QStringLiteral("ran"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s' \"$0\" > '" + marker.toUtf8() + ".tmp' && mv '" +
                marker.toUtf8() + ".tmp' '" + marker.toUtf8() + "'\n");
        f.close();
        QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));

        Fakes fakes;
        fakes.files->answers.push_back(script);
        auto platform = fakes.platform();
        platform.shell = std::make_shared<klangor::QtShell>();
        TForm1 form(platform);
        prepare(form);
        choose(ctl(form).CheckBox3, 6);
        TForm1Access::afterAlarm(form).takeFromList();
        form.DoShutAction();

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile m(marker);
        QVERIFY(m.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(m.readAll()), script);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.sh"))));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("x.sh"))));
    }

    // The action is read when the alarm fires: a choice made after Start is the one that runs.
    void actionChosenAfterStartRuns() {
        Fakes fakes;
        fakes.files->answers.push_back(QStringLiteral("/srv/wake; up.sh"));
        TForm1 form(fakes.platform());
        prepare(form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).wwDBDateTimePicker1->setTime(fakes.clock->now().time().addSecs(60));
        form.Button1Click();
        QVERIFY(ctl(form).Timer1->isActive());
        choose(ctl(form).CheckBox3, 6);
        fakes.clock->advanceMs(61000);
        form.Timer1Timer();
        QVERIFY(ctl(form).Timer2->isActive());
        for (int tick = 0; tick < 5; ++tick) {
            QVERIFY(fakes.shell->opened.empty());
            fakes.clock->advanceMs(3000);
            form.Timer2Timer();
        }
        QCOMPARE(fakes.shell->opened, std::vector<std::string>{"/srv/wake; up.sh"});
        QVERIFY(fakes.power->requests.empty());
    }
};

QTEST_MAIN(TestAfterAlarm)
#include "test_after_alarm.moc"
