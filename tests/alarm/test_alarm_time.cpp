// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/alarm_time.h"
#include "app/form1.h"
#include "lang/format.h"

#include <QTest>

using namespace klangor::alarm;
using klangor::TimeFormatWithoutZone;
using klangor::TwoDigits;

class TestAlarmTime : public QObject {
    Q_OBJECT

private slots:
    void zoneIsStrippedFromLocaleFormats_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C") << "HH:mm:ss t"
                           << "HH:mm:ss";
        QTest::newRow("en_US") << "h:mm:ss AP t"
                               << "h:mm:ss AP";
        QTest::newRow("zh_CN zone first") << "t HH:mm:ss"
                                          << "HH:mm:ss";
        QTest::newRow("fa_IR bracketed") << "H:mm:ss (t)"
                                         << "H:mm:ss";
        QTest::newRow("bg_BG quoted t stays") << "H:mm:ss 'ч'. t"
                                              << "H:mm:ss 'ч'.";
        QTest::newRow("quoted literal t") << "HH:mm:ss 'at' t"
                                          << "HH:mm:ss 'at'";
        QTest::newRow("nothing left") << "t"
                                      << "HH:mm:ss";
    }
    void zoneIsStrippedFromLocaleFormats() {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(TimeFormatWithoutZone(locale), expected);
    }

    void everyLocaleGivesAFormatWithoutZone() {
        for (const auto lang : {QLocale::English, QLocale::Turkish, QLocale::German,
                                QLocale::Japanese, QLocale::Chinese, QLocale::Persian}) {
            const QString f = TimeFormatWithoutZone(QLocale(lang).timeFormat(QLocale::LongFormat));
            const QString shown = QLocale(lang).toString(QTime(13, 4, 5), f);
            QVERIFY2(!shown.contains(QLatin1String("UTC")), qPrintable(shown));
            QVERIFY2(f.contains(QLatin1Char('s')), qPrintable(f));  // seconds are shown
        }
    }

    void nextOccurrenceIsAlwaysAhead_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QTime>("alarm");
        QTest::addColumn<int>("days");
        QTest::newRow("later today") << QTime(21, 0) << QTime(22, 0) << 0;
        QTest::newRow("evening for the morning") << QTime(21, 0) << QTime(7, 30) << 1;
        QTest::newRow("same second is tomorrow") << QTime(7, 30) << QTime(7, 30) << 1;
        QTest::newRow("one ms later is today") << QTime(7, 30) << QTime(7, 30, 0, 1) << 0;
        QTest::newRow("midnight") << QTime(23, 59, 59) << QTime(0, 0) << 1;
    }
    void nextOccurrenceIsAlwaysAhead() {
        QFETCH(QTime, now);
        QFETCH(QTime, alarm);
        QFETCH(int, days);
        const QDate today(2026, 3, 2);
        QCOMPARE(nextOccurrence(QDateTime(today, now), alarm),
                 QDateTime(today.addDays(days), alarm));
    }

    void alarmInADaylightSavingGapRingsAfterTheGap() {
        const QDate springDay(2026, 3, 29);  // clocks go from 02:00 to 03:00 in Europe/Berlin
        QVERIFY2(!QDateTime(springDay, QTime(2, 30)).isValid(),
                 "the local time zone has no gap on 2026-03-29: run with TZ=Europe/Berlin");
        const QDateTime evening(springDay.addDays(-1), QTime(22, 0));
        const QDateTime at = nextOccurrence(evening, QTime(2, 30));
        QVERIFY(at.isValid());
        QCOMPARE(at, QDateTime(springDay, QTime(3, 0)));
        QCOMPARE(evening.msecsTo(at), 4 * 3600 * 1000LL);
        // Every time inside the gap rings at its end, not a whole number of minutes later.
        for (const QTime inGap : {QTime(2, 0), QTime(2, 30, 30), QTime(2, 59, 59, 999)})
            QCOMPARE(nextOccurrence(evening, inGap), QDateTime(springDay, QTime(3, 0)));
        // The night after, 02:30 exists again.
        QCOMPARE(nextOccurrence(QDateTime(springDay, QTime(4, 0)), QTime(2, 30)),
                 QDateTime(springDay.addDays(1), QTime(2, 30)));
        // An autumn night's repeated hour rings at its first 02:30.
        const QDate autumnDay(2026, 10, 25);
        const QDateTime autumn = nextOccurrence(QDateTime(autumnDay, QTime(0, 0)), QTime(2, 30));
        QCOMPARE(QDateTime(autumnDay, QTime(0, 0)).msecsTo(autumn), 9'000'000LL);
    }

    // On the autumn night 02:00-03:00 comes twice. "Now" is made the way the clock makes it
    // (from the instant), before and between the two 02:30s: the first 02:30 still ahead rings.
    void autumnNightRingsAtTheFirstTimeAhead_data() {
        QTest::addColumn<qint64>("nowUtcMs");
        QTest::addColumn<qint64>("ringUtcMs");
        // 2026-10-25: 02:30 CEST is 00:30 UTC, 02:30 CET is 01:30 UTC.
        const qint64 day = QDateTime(QDate(2026, 10, 25), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        const qint64 h = 3'600'000;
        QTest::newRow("01:50 CEST") << day - h / 6 << day + h / 2;
        QTest::newRow("02:10 CEST") << day + h / 6 << day + h / 2;
        QTest::newRow("02:40 CEST, before the second") << day + 2 * h / 3 << day + 3 * h / 2;
        QTest::newRow("02:40 CET, both passed") << day + 5 * h / 3 << day + 24 * h + 3 * h / 2;
    }
    void autumnNightRingsAtTheFirstTimeAhead() {
        QFETCH(qint64, nowUtcMs);
        QFETCH(qint64, ringUtcMs);
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowUtcMs);
        QCOMPARE(nextOccurrence(now, QTime(2, 30)).toMSecsSinceEpoch(), ringUtcMs);
    }

    // The end of an alarm on another day names the day: its weekday within the coming week,
    // its day and month beyond.
    void endTextNamesAnotherDay_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("shown");
        QTest::newRow("today") << "en_GB" << 0 << "07:30:00";
        QTest::newRow("tomorrow") << "en_GB" << 1 << "Tue 07:30:00";
        QTest::newRow("in six days") << "en_GB" << 6 << "Sun 07:30:00";
        QTest::newRow("in a week") << "en_GB" << 7 << "9 Mar 07:30:00";
        QTest::newRow("in 41 days") << "en_GB" << 41 << "12 Apr 07:30:00";
        QTest::newRow("tomorrow, Turkish") << "tr_TR" << 1 << "Sal 07:30:00";
        QTest::newRow("in 41 days, Turkish") << "tr_TR" << 41 << "12 Nis 07:30:00";
    }
    void endTextNamesAnotherDay() {
        QFETCH(QString, locale);
        QFETCH(int, days);
        QFETCH(QString, shown);
        const QDateTime now(QDate(2026, 3, 2), QTime(21, 0));  // a Monday
        const QDateTime end(now.date().addDays(days), QTime(7, 30));
        QCOMPARE(endText(now, end, QLocale(locale), QStringLiteral("HH:mm:ss")), shown);
    }

    void ticksFallOnHalfSecondsBeforeTheDeadline_data() {
        QTest::addColumn<qint64>("msLeft");
        QTest::addColumn<int>("interval");
        QTest::newRow("whole seconds") << qint64(10'000) << 500;
        QTest::newRow("half a second") << qint64(500) << 500;
        QTest::newRow("odd start") << qint64(9'877) << 377;
        QTest::newRow("a tick 3 ms late") << qint64(4'497) << 497;
        QTest::newRow("one ms") << qint64(1) << 1;
        QTest::newRow("days") << qint64(3 * 86'400'000LL + 250) << 250;
        QTest::newRow("due") << qint64(0) << 0;
        QTest::newRow("overdue") << qint64(-20) << 0;
    }
    void ticksFallOnHalfSecondsBeforeTheDeadline() {
        QFETCH(qint64, msLeft);
        QFETCH(int, interval);
        QCOMPARE(nextTickMs(msLeft), interval);
    }

    void remainingTextUsesTwoDigits_data() {
        QTest::addColumn<qint64>("msLeft");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << qint64(0) << "00:00:00";
        QTest::newRow("milliseconds dropped") << qint64(999) << "00:00:00";
        QTest::newRow("example") << qint64((3600 + 5 * 60 + 9) * 1000LL + 400) << "01:05:09";
        QTest::newRow("whole day") << qint64(86'400'000) << "24:00:00";
        QTest::newRow("beyond 99 hours")
            << qint64((1015 * 3600 + 59 * 60 + 59) * 1000LL) << "1015:59:59";
    }
    void remainingTextUsesTwoDigits() {
        QFETCH(qint64, msLeft);
        QFETCH(QString, text);
        QCOMPARE(remainingText(msLeft), text);
    }

    void twoDigits() {
        QCOMPARE(TwoDigits(QStringLiteral("7")), QStringLiteral("07"));
        QCOMPARE(TwoDigits(QStringLiteral("12")), QStringLiteral("12"));
        QCOMPARE(TwoDigits(QString()), QString());
        QCOMPARE(TwoDigits(QStringLiteral("123")), QStringLiteral("123"));
    }
};

QTEST_MAIN(TestAlarmTime)
#include "test_alarm_time.moc"
