// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's request set in the shown window as a user sets it: the alarm armed as by
// Start or the delay panel, the note, the action and the repeater, and none of it saved.

#include "alarm/after_alarm.h"
#include "app/form1.h"
#include "app/start_request.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"

#include <QTest>

#include <optional>

using namespace klangor::fakes;
using klangor::AfterAlarm;
using klangor::StartRequest;
using A = TForm1Access;

Q_DECLARE_METATYPE(std::optional<QTime>)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

const QDateTime kNow(QDate(2026, 3, 2), QTime(12, 0, 0));

// A shown window on fakes, with the settings of an earlier run.
struct Started {
    Started() {
        fakes.clock->set(kNow);
        fakes.settings->present = true;
        fakes.settings->values = {{QStringLiteral("lang"), QStringLiteral("ENG")},
                                  {QStringLiteral("xMinutes"), 7},
                                  {QStringLiteral("xMinutes2"), 2},
                                  {QStringLiteral("sxMinutes"), 1},
                                  {QStringLiteral("sxMinutes2"), 5},
                                  {QStringLiteral("salarm"), 3},
                                  {QStringLiteral("chkTwo"), 0},
                                  {QStringLiteral("chkTurnOff"), 0}};
        saved = fakes.settings->values;
        form = std::make_unique<TForm1>(fakes.platform());
        form->show();
    }
    Fakes fakes;
    QMap<QString, QVariant> saved;
    std::unique_ptr<TForm1> form;
};

}  // namespace

class TestStartRequest : public QObject {
    Q_OBJECT

private slots:
    // --at: the picker shows the time and Start armed it for its next occurrence.
    void at_data() {
        QTest::addColumn<QTime>("at");
        QTest::addColumn<QDateTime>("rings");
        QTest::newRow("later today") << QTime(13, 30) << QDateTime(kNow.date(), QTime(13, 30));
        QTest::newRow("passed: tomorrow")
            << QTime(7, 30, 15) << QDateTime(kNow.date().addDays(1), QTime(7, 30, 15));
    }
    void at() {
        QFETCH(QTime, at);
        QFETCH(QDateTime, rings);
        Started s;
        StartRequest r;
        r.at = at;
        klangor::applyStartRequest(*s.form, r);
        QCOMPARE(ctl(*s.form).wwDBDateTimePicker1->time(), at);
        QVERIFY(ctl(*s.form).Timer1->isActive());
        QCOMPARE(A::endAt(*s.form), rings);
        QCOMPARE(ctl(*s.form).Button1->text(), QStringLiteral("Stop"));
        QCOMPARE(s.fakes.window->minimizes, 1);
    }

    // --in: the delay panel's boxes hold the delay, and its tick armed it, whole days included.
    void in_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("hourBox");
        QTest::addColumn<int>("minuteBox");
        QTest::newRow("25m") << 25 << 0 << 25;
        QTest::newRow("90") << 90 << 1 << 30;
        QTest::newRow("2d") << 2 * 24 * 60 << 48 << 0;
    }
    void in() {
        QFETCH(int, minutes);
        QFETCH(int, hourBox);
        QFETCH(int, minuteBox);
        Started s;
        StartRequest r;
        r.inMinutes = minutes;
        klangor::applyStartRequest(*s.form, r);
        QCOMPARE(ctl(*s.form).se_hour->value(), hourBox);
        QCOMPARE(ctl(*s.form).se_minute->value(), minuteBox);
        QVERIFY(ctl(*s.form).Timer1->isActive());
        QCOMPARE(A::endAt(*s.form), kNow.addSecs(qint64{minutes} * 60));
        QVERIFY(ctl(*s.form).Panel2->isHidden());
    }

    // The window came up 40 s after the command line was read (a stalled desktop held it
    // back): --at and --in still count from the reading, so an alarm due in 20 s rings at
    // once, not tomorrow.
    void countsFromWhenRead_data() {
        QTest::addColumn<std::optional<QTime>>("at");
        QTest::addColumn<std::optional<int>>("inMinutes");
        QTest::addColumn<QDateTime>("rings");
        const QDateTime read = kNow.addSecs(-40);
        QTest::newRow("--at, 20 s after the reading")
            << std::optional(read.time().addSecs(20)) << std::optional<int>() << read.addSecs(20);
        QTest::newRow("--at, later than the window")
            << std::optional(read.time().addSecs(100)) << std::optional<int>() << read.addSecs(100);
        QTest::newRow("--in 1") << std::optional<QTime>() << std::optional(1) << read.addSecs(60);
    }
    void countsFromWhenRead() {
        QFETCH(std::optional<QTime>, at);
        QFETCH(std::optional<int>, inMinutes);
        QFETCH(QDateTime, rings);
        Started s;
        StartRequest r;
        r.at = at;
        r.inMinutes = inMinutes;
        r.readAt = kNow.addSecs(-40);
        klangor::applyStartRequest(*s.form, r);
        QVERIFY(ctl(*s.form).Timer1->isActive());
        QCOMPARE(A::endAt(*s.form), rings);
        QCOMPARE(ctl(*s.form).wwDBDateTimePicker1->time(), rings.time());
        if (rings <= kNow) {
            s.form->Timer1Timer();  // the first tick rings
            QVERIFY(!ctl(*s.form).Timer1->isActive());
            QCOMPARE(s.fakes.window->restores, 1);
        }
    }

    // --in 1m --note Tea --action FILE --repeater: at a minute the alarm rings with the note, the
    // file is opened after the grace period, the repeater runs on its saved period, and closing
    // saves the eight settings as they were.
    void everythingTogether() {
        Started s;
        StartRequest r;
        r.inMinutes = 1;
        r.note = QStringLiteral("Tea");
        r.action = AfterAlarm::ExecuteCommand;
        r.actionFile = QStringLiteral("/opt/tea timer/ring.sh");
        r.repeater = true;
        klangor::applyStartRequest(*s.form, r);

        QCOMPARE(ctl(*s.form).ComboBox1->toPlainText(), QStringLiteral("Tea"));
        QCOMPARE(ctl(*s.form).CheckBox3->currentIndex(), int(AfterAlarm::ExecuteCommand));
        QCOMPARE(ctl(*s.form).CheckBox3->currentText(), r.actionFile);
        QVERIFY(ctl(*s.form).repeater->isActive());
        QVERIFY(!ctl(*s.form).repeater_stop->isHidden());
        QCOMPARE(ctl(*s.form).xMinutes->value(), 7);

        s.fakes.clock->set(kNow.addSecs(60));
        s.form->Timer1Timer();
        QVERIFY(!ctl(*s.form).Timer1->isActive());
        // One notice at the ring: the note and the pending action together.
        QVERIFY(s.fakes.notifier->notes.empty());
        QCOMPARE(s.fakes.notifier->withAction.size(), size_t{1});
        QVERIFY(s.fakes.notifier->withAction.front().body.startsWith(QStringLiteral("Tea\n")));
        QCOMPARE(A::shut(*s.form), int(AfterAlarm::ExecuteCommand));
        for (int i = 0; i < 5; ++i)
            s.form->Timer2Timer();
        QCOMPARE(s.fakes.shell->opened, std::vector<std::string>{r.actionFile.toStdString()});

        s.form->close();
        QCOMPARE(s.fakes.settings->saves, 1);
        QCOMPARE(s.fakes.settings->values, s.saved);
    }

    // An empty request leaves the window as it opens.
    void nothing() {
        Started s;
        klangor::applyStartRequest(*s.form, StartRequest{});
        QVERIFY(!ctl(*s.form).Timer1->isActive());
        QVERIFY(!ctl(*s.form).repeater->isActive());
        QCOMPARE(ctl(*s.form).CheckBox3->currentIndex(), 0);
        QCOMPARE(s.fakes.window->minimizes, 0);
    }
};

QTEST_MAIN(TestStartRequest)
#include "test_start_request.moc"
