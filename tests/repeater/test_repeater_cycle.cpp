// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "lang/format.h"
#include "repeater/form4.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QProperty>
#include <QTest>
#include <QToolTip>

#include <algorithm>

#include <optional>

using namespace klangor::fakes;
using klangor::LongTimeFormat;
using klangor::LongTimeText;

namespace {

const QString kRunning = QStringLiteral("Repeater is running...");
const QString kStart = QStringLiteral("Start: ");
const QString kLast = QStringLiteral("Last Repeat: ");
const QString kStop = QStringLiteral("Stop: ");

// The main window with its repeater prefixes in place (the language sets them in the program).
struct Rig {
    Fakes fakes;
    TForm1 form{fakes.platform()};

    explicit Rig(int firstMinutes = 60, int secondMinutes = 5) {
        ctl(form).lblstatus->setToolTip(kRunning);
        ctl(form).lblBegin->setToolTip(kStart);
        ctl(form).lblLastx->setToolTip(kLast);
        ctl(form).lblEndx->setToolTip(kStop);
        ctl(form).xMinutes->setValue(firstMinutes);
        ctl(form).xMinutes2->setValue(secondMinutes);
    }
    QDateTime now() const { return fakes.clock->now(); }
    QDateTime xbegin() { return TForm1Access::xbegin(form); }
};

// Drives the repeater as its two timers would: a `repeater` tick every `tickMs` of fake time
// after Start, and the second warning when `repear_end` is due.
struct Run {
    Rig& rig;
    qint64 tickMs;
    QDateTime nextTick;
    std::optional<QDateTime> endDue;
    QList<QDateTime> firsts;
    QList<QDateTime> seconds;
    QString problem;

    explicit Run(Rig& r, qint64 tick = 30000) : rig(r), tickMs(tick) {}

    void start() {
        ctl(rig.form).repeater_start->click();
        nextTick = rig.now().addMSecs(tickMs);
        endDue.reset();
    }

    void runFor(qint64 ms) { runUntil(rig.now().addMSecs(ms)); }

    void runUntil(const QDateTime& until) {
        for (;;) {
            const bool endFirst = endDue && *endDue <= nextTick;
            const QDateTime at = endFirst ? *endDue : nextTick;
            if (at > until)
                break;
            rig.fakes.clock->set(at);
            if (endFirst) {
                endDue.reset();
                if (!ctl(rig.form).repear_end->isActive())
                    problem = QStringLiteral("repear_end not active when due");
                rig.form.repear_endTimer();
                seconds << at;
            } else {
                nextTick = at.addMSecs(tickMs);
                if (!ctl(rig.form).repeater->isActive())
                    continue;
                const bool endWasActive = ctl(rig.form).repear_end->isActive();
                rig.form.repeaterTimer();
                if (rig.xbegin() == at)
                    firsts << at;
                if (!endWasActive && ctl(rig.form).repear_end->isActive())
                    endDue = at.addMSecs(ctl(rig.form).repear_end->interval());
            }
        }
        rig.fakes.clock->set(until);
    }
};

QStringList lower(QStringList names) {
    for (QString& n : names)
        n = n.toLower();
    return names;
}

}  // namespace

class TestRepeaterCycle : public QObject {
    Q_OBJECT

private slots:
    void longTimeFormatDropsTheTimeZone_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C") << "C"
                           << "14:05:06";
        QTest::newRow("en_US") << "en_US"
                               << "2:05:06 PM";
        QTest::newRow("tr_TR") << "tr_TR"
                               << "14:05:06";
        QTest::newRow("zone first") << "zh_CN"
                                    << "14:05:06";
        QTest::newRow("zone in brackets")
            << "fa_IR"
            << QLocale(QStringLiteral("fa_IR"))
                   .toString(QTime(14, 5, 6), QStringLiteral("H:mm:ss"));
    }

    void longTimeFormatDropsTheTimeZone() {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const QLocale l(locale);
        QCOMPARE(LongTimeText(QTime(14, 5, 6), l), expected);
        QVERIFY(!LongTimeFormat(l).contains(u't'));
    }

    void startShowsPlanAndMinimises() {
        Rig rig(60, 5);
        rig.fakes.clock->set(QDateTime(QDate(2026, 3, 2), QTime(14, 0, 0)));
        ctl(rig.form).lblLastx->setText(QStringLiteral("old"));
        ctl(rig.form).lblEndx->setText(QStringLiteral("old"));
        ctl(rig.form).repeater_start->click();

        QVERIFY(ctl(rig.form).repeater_start->isHidden());
        QVERIFY(!ctl(rig.form).repeater_stop->isHidden());
        QCOMPARE(rig.xbegin(), rig.now());
        QVERIFY(ctl(rig.form).repeater->isActive());
        QCOMPARE(ctl(rig.form).repeater->interval(), 30000);
        QCOMPARE(ctl(rig.form).repeater->timerType(), Qt::PreciseTimer);
        QVERIFY(!ctl(rig.form).repear_end->isActive());
        QCOMPARE(ctl(rig.form).repear_end->interval(), 5 * 60000);
        QCOMPARE(ctl(rig.form).lblstatus->text(), kRunning);
        QCOMPARE(ctl(rig.form).lblBegin->text(),
                 QStringLiteral("Start: %1 >>> 15:00:00").arg(LongTimeText(QTime(14, 0, 0))));
        QVERIFY(ctl(rig.form).lblLastx->text().isEmpty());
        QVERIFY(ctl(rig.form).lblEndx->text().isEmpty());
        QCOMPARE(rig.fakes.window->minimizes, 1);
    }

    void plannedTimeCrossesMidnight() {
        Rig rig(90, 5);
        const QDateTime start(QDate(2026, 3, 2), QTime(23, 45, 30));
        rig.fakes.clock->set(start);
        Run run(rig);
        run.start();
        QVERIFY(ctl(rig.form).lblBegin->text().endsWith(QStringLiteral(" >>> 01:15:30")));
        run.runFor(91 * 60000);
        QCOMPARE(run.firsts.size(), 1);
        QCOMPARE(start.msecsTo(run.firsts.first()), 90 * 60000);
    }

    // The first warning comes at the first tick at which a whole N minutes have passed: between
    // N and N + 0.5 minutes after Start, whether the timer runs a little early or late.
    void firstWarningWithinHalfAMinute_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("tickMs");
        for (int n : {1, 2, 60}) {
            for (int tick : {30000, 29999, 30040}) {
                QTest::addRow("N=%d tick=%d", n, tick) << n << tick;
            }
        }
    }

    void firstWarningWithinHalfAMinute() {
        QFETCH(int, minutes);
        QFETCH(int, tickMs);
        Rig rig(minutes, 5);
        const QDateTime start = rig.now();
        Run run(rig, tickMs);
        run.start();
        const qint64 lateness = 2 * minutes * std::max(0, tickMs - 30000);
        run.runFor(minutes * 60000 + 30000 + lateness);
        QCOMPARE(run.firsts.size(), 1);
        const qint64 after = start.msecsTo(run.firsts.first());
        QVERIFY2(after >= minutes * 60000, qPrintable(QString::number(after)));
        QVERIFY2(after <= minutes * 60000 + 30000 + lateness, qPrintable(QString::number(after)));
        QCOMPARE(ctl(rig.form).lblLastx->text(), kLast + LongTimeText(run.firsts.first().time()));
        QVERIFY(ctl(rig.form).repear_end->isActive());
        QCOMPARE(ctl(rig.form).repear_end->interval(), 5 * 60000);
    }

    // The next period starts at the detection, so the delay adds up: with a timer 1 ms early,
    // N = 1 takes three ticks each time and the warnings drift by about half a minute per period.
    void periodsDriftFromDetection() {
        Rig rig(1, 5);
        const QDateTime start = rig.now();
        Run run(rig, 29999);
        run.start();
        run.runFor(10 * 60000);
        QCOMPARE(run.firsts.size(), 6);
        QDateTime previous = start;
        for (const QDateTime& t : run.firsts) {
            QCOMPARE(previous.msecsTo(t), 3 * 29999);
            previous = t;
        }
    }

    // The period is read at every tick; the second-warning delay only at Start.
    void periodReadEveryTickDelayOnlyAtStart() {
        Rig rig(10, 3);
        const QDateTime start = rig.now();
        Run run(rig);
        run.start();
        run.runFor(4 * 60000);
        ctl(rig.form).xMinutes->setValue(5);
        ctl(rig.form).xMinutes2->setValue(7);
        run.runFor(2 * 60000);
        QCOMPARE(run.firsts.size(), 1);
        QCOMPARE(start.msecsTo(run.firsts.first()), 5 * 60000);
        QCOMPARE(ctl(rig.form).repear_end->interval(), 3 * 60000);
        run.runFor(4 * 60000);
        QCOMPARE(run.seconds.size(), 1);
        QCOMPARE(run.firsts.first().msecsTo(run.seconds.first()), 3 * 60000);
        // The plan shown at Start is not updated.
        QVERIFY(ctl(rig.form).lblBegin->text().endsWith(
            start.addSecs(600).toString(QStringLiteral("HH:mm:ss"))));
    }

    void secondWarningAfterEachFirst() {
        Rig rig(20, 5);
        ctl(rig.form).sxMinutes->setCurrentIndex(2);
        ctl(rig.form).sxMinutes2->setCurrentIndex(4);
        Run run(rig);
        run.start();
        run.runFor(2 * 3600 * 1000 + 6 * 60000);
        QVERIFY2(run.problem.isEmpty(), qPrintable(run.problem));
        QCOMPARE(run.firsts.size(), 6);
        QCOMPARE(run.seconds.size(), 6);
        for (int i = 0; i < run.firsts.size(); ++i)
            QCOMPARE(run.firsts[i].msecsTo(run.seconds[i]), 5 * 60000);
        QVERIFY(!ctl(rig.form).repear_end->isActive());
        QStringList expected;
        for (int i = 0; i < 6; ++i)
            expected << QStringLiteral("notify") << QStringLiteral("wend");
        QCOMPARE(lower(rig.fakes.sound->played), expected);
    }

    // The sound player is readied in the last ticks before the first warning, not at Start.
    void soundReadiedJustBeforeTheFirstWarning() {
        Rig rig(20, 5);
        Run run(rig);
        run.start();
        run.runFor(18 * 60000);
        QCOMPARE(rig.fakes.sound->prepares, 0);
        run.runFor(2 * 60000);
        QCOMPARE(run.firsts.size(), 1);
        QVERIFY(rig.fakes.sound->prepares > 0);
    }

    // With M not smaller than N the next first warning finds the second-warning timer still
    // running; it is not restarted, so the second warning keeps its earlier schedule.
    void longSecondDelayKeepsItsSchedule() {
        Rig rig(1, 3);
        const QDateTime start = rig.now();
        Run run(rig);
        run.start();
        run.runFor(60000);
        QCOMPARE(run.firsts.size(), 1);
        QVERIFY(ctl(rig.form).repear_end->isActive());
        // A restart stops and starts the timer: each shows as a change of its active state.
        int activeChanges = 0;
        const QPropertyNotifier watch = ctl(rig.form).repear_end->bindableActive().addNotifier(
            [&activeChanges] { ++activeChanges; });
        run.runFor(60000);
        QCOMPARE(run.firsts.size(), 2);
        QVERIFY(ctl(rig.form).repear_end->isActive());
        QVERIFY2(activeChanges == 0, "a first warning restarted the pending second warning");

        run.runFor(8 * 60000);
        QVERIFY2(run.problem.isEmpty(), qPrintable(run.problem));
        // First warnings every minute; second warnings 3 minutes after the first that started
        // the timer: at 4, 7 and 10 minutes.
        QCOMPARE(run.firsts.size(), 10);
        QCOMPARE(run.seconds.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(start.msecsTo(run.seconds[i]), (4 + 3 * i) * 60000);
    }

    void quietWarningsStillAdvance_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("first quiet") << 5 << 0 << QStringList{"cock1", "cock1"};
        QTest::newRow("second quiet") << 1 << 5 << QStringList{"cock2", "cock2"};
        QTest::newRow("both quiet") << 5 << 5 << QStringList{};
        QTest::newRow("no selection") << -1 << 5 << QStringList{};
    }

    void quietWarningsStillAdvance() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QStringList, sounds);
        Rig rig(10, 2);
        ctl(rig.form).sxMinutes->setCurrentIndex(first);
        ctl(rig.form).sxMinutes2->setCurrentIndex(second);
        Run run(rig);
        run.start();
        run.runFor(23 * 60000);
        QCOMPARE(run.firsts.size(), 2);
        QCOMPARE(run.seconds.size(), 2);
        QCOMPARE(ctl(rig.form).lblLastx->text(), kLast + LongTimeText(run.firsts.last().time()));
        QCOMPARE(lower(rig.fakes.sound->played), sounds);
    }

    void emptySpinBoxesCountAsOneMinute() {
        Rig rig(30, 30);
        for (QSpinBox* box : {ctl(rig.form).xMinutes, ctl(rig.form).xMinutes2}) {
            auto* edit = box->findChild<QLineEdit*>();
            QVERIFY(edit);
            edit->clear();
            QVERIFY(box->cleanText().isEmpty());
        }
        const QDateTime start = rig.now();
        Run run(rig);
        run.start();
        QVERIFY(ctl(rig.form).lblBegin->text().endsWith(
            start.addSecs(60).toString(QStringLiteral("HH:mm:ss"))));
        QCOMPARE(ctl(rig.form).repear_end->interval(), 60000);
        run.runFor(90000);
        QCOMPARE(run.firsts.size(), 1);
        QCOMPARE(start.msecsTo(run.firsts.first()), 60000);
    }

    void stopAndStartResetThePeriod() {
        Rig rig(1, 5);
        Run run(rig);
        run.start();
        run.runFor(90000);
        QCOMPARE(run.firsts.size(), 1);
        const QString begin = ctl(rig.form).lblBegin->text();
        const QString last = ctl(rig.form).lblLastx->text();

        rig.fakes.clock->advanceMs(20000);
        ctl(rig.form).repeater_stop->click();
        QVERIFY(!ctl(rig.form).repeater->isActive());
        QVERIFY(!ctl(rig.form).repear_end->isActive());
        QVERIFY(!ctl(rig.form).repeater_start->isHidden());
        QVERIFY(ctl(rig.form).repeater_stop->isHidden());
        QVERIFY(ctl(rig.form).lblstatus->text().isEmpty());
        QCOMPARE(ctl(rig.form).lblEndx->text(), kStop + LongTimeText(rig.now().time()));
        QCOMPARE(ctl(rig.form).lblBegin->text(), begin);
        QCOMPARE(ctl(rig.form).lblLastx->text(), last);
        run.runFor(5 * 60000);
        QCOMPARE(run.firsts.size(), 1);

        const QDateTime restart = rig.now();
        run.start();
        QCOMPARE(rig.xbegin(), restart);
        QVERIFY(ctl(rig.form).lblLastx->text().isEmpty());
        QVERIFY(ctl(rig.form).lblEndx->text().isEmpty());
        run.runFor(90000);
        QCOMPARE(run.firsts.size(), 2);
        QCOMPARE(restart.msecsTo(run.firsts.last()), 60000);
    }

    void closingTheWindowStopsTheRepeater() {
        Rig rig(1, 5);
        Run run(rig);
        run.start();
        run.runFor(60000);
        QVERIFY(ctl(rig.form).repear_end->isActive());
        rig.form.close();
        QVERIFY(!ctl(rig.form).repeater->isActive());
        QVERIFY(!ctl(rig.form).repear_end->isActive());
    }

    void promptOnlyAtFirstWarnings_data() {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("not ticked") << false;
    }

    void promptOnlyAtFirstWarnings() {
        QFETCH(bool, ticked);
        Rig rig(10, 2);
        ctl(rig.form).chkTurnOff->setChecked(ticked);
        TForm4* prompt = rig.form.Form4();
        Run run(rig);
        run.start();
        run.runFor(10 * 60000 - 1);
        QVERIFY(!prompt->isVisible());
        run.runFor(1);
        QCOMPARE(run.firsts.size(), 1);
        QCOMPARE(prompt->isVisible(), ticked);
        if (ticked) {
            QCOMPARE(prompt->Label1->text(), QStringLiteral("10"));
            QVERIFY(prompt->Timer1->isActive());
            QTest::keyClick(prompt, Qt::Key_Escape);
            QVERIFY(!prompt->isVisible());
        }
        run.runFor(2 * 60000);
        QCOMPARE(run.seconds.size(), 1);
        QVERIFY(!prompt->isVisible());
        run.runFor(8 * 60000);
        QCOMPARE(run.firsts.size(), 2);
        QCOMPARE(prompt->isVisible(), ticked);
        QCOMPARE(rig.fakes.monitor->switchOffs, 0);
    }

    // The status lines keep their prefixes in the tool-tip, which must never pop up.
    void statusLinesShowNoToolTips() {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        const auto toolTipShown = [](QLabel* l) {
            QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), l->mapToGlobal(QPoint(1, 1)));
            QCoreApplication::sendEvent(l, &help);
            return QToolTip::isVisible();
        };
        ctl(rig.form).PageControl1->setCurrentIndex(1);
        for (QLabel* l : {ctl(rig.form).lblstatus, ctl(rig.form).lblBegin, ctl(rig.form).lblLastx,
                          ctl(rig.form).lblEndx}) {
            QVERIFY(!l->toolTip().isEmpty());
            QVERIFY2(!toolTipShown(l), qPrintable(l->objectName()));
        }
        // A label of the same page with a tool-tip does show it.
        ctl(rig.form).Label13->setToolTip(QStringLiteral("control"));
        QVERIFY(toolTipShown(ctl(rig.form).Label13));
        QToolTip::hideText();
    }

    // A week of one warning every 20 minutes, with the prompt shown and left to close itself
    // each time: the counts stay right and nothing piles up.
    void aWeekOfRunning() {
        Rig rig(20, 5);
        ctl(rig.form).chkTurnOff->setChecked(true);
        TForm4* prompt = rig.form.Form4();
        const QDateTime start = rig.now();
        Run run(rig);
        run.start();
        const auto objects = [&] {
            return rig.form.findChildren<QObject*>().size() +
                   prompt->findChildren<QObject*>().size();
        };
        const auto topLevels = QApplication::topLevelWidgets().size();
        const qsizetype before = objects();
        int prompts = 0;
        for (int day = 0; day < 7; ++day) {
            for (int period = 0; period < 72; ++period) {
                run.runFor(20 * 60000);
                if (prompt->isVisible()) {
                    ++prompts;
                    for (int tick = 0; tick < 11; ++tick)
                        prompt->Timer1Timer();
                    QVERIFY(!prompt->isVisible());
                }
            }
        }
        QCOMPARE(rig.now(), start.addDays(7));
        QVERIFY2(run.problem.isEmpty(), qPrintable(run.problem));
        QCOMPARE(run.firsts.size(), 7 * 72);
        QCOMPARE(run.seconds.size(), 7 * 72 - 1);
        QCOMPARE(prompts, 7 * 72);
        QCOMPARE(objects(), before);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QCOMPARE(rig.fakes.window->minimizes, 1);
        QCOMPARE(ctl(rig.form).lblLastx->text(), kLast + LongTimeText(start.time()));
        QCOMPARE(rig.fakes.sound->played.size(), 2 * 7 * 72 - 1);
    }
};

QTEST_MAIN(TestRepeaterCycle)
#include "test_repeater_cycle.moc"
