// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/alarm_time.h"

#include "lang/format.h"

#include <QLocale>

#include <algorithm>

namespace klangor::alarm {

namespace {

// The local date and time `time` on `date`. A time inside a daylight-saving gap does not exist on
// that day (Qt gives an invalid value, which would ring at once): take the end of the gap, the
// first moment that exists after it, instead.
QDateTime localAt(const QDate& date, const QTime& time) {
    constexpr qint64 kDayMs = 86'400'000;
    const auto at = [&](qint64 ms) {
        return QDateTime(date.addDays(ms / kDayMs),
                         QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % kDayMs)));
    };
    const qint64 asked = time.msecsSinceStartOfDay();
    if (const QDateTime exact = at(asked); exact.isValid())
        return exact;
    // Gaps are whole minutes or more: the first minute that exists lies past the gap's end ...
    qint64 valid = asked;
    for (int minutes = 1; minutes <= 24 * 60 && !at(valid).isValid(); ++minutes)
        valid = asked + minutes * 60'000LL;
    if (!at(valid).isValid())
        return {};
    // ... and the end itself lies between the time asked for and that minute.
    qint64 invalid = asked;
    while (valid - invalid > 1) {
        const qint64 mid = invalid + (valid - invalid) / 2;
        (at(mid).isValid() ? valid : invalid) = mid;
    }
    return at(valid);
}

// The first moment after `now` at which the clock shows `timeOfDay` on `date`, or an invalid
// value when there is none. On the night the clocks go back a time of day comes twice, and
// QDateTime names only one of them: the first one still ahead is the one meant.
QDateTime firstAheadOn(const QDate& date, const QTime& timeOfDay, const QDateTime& now) {
    const QDateTime at = localAt(date, timeOfDay);
    QDateTime first;
    for (qint64 shift = -2 * 3600; shift <= 2 * 3600; shift += 3600) {
        const QDateTime candidate = at.addSecs(shift);
        if (candidate.date() == at.date() && candidate.time() == at.time() && candidate > now &&
            (!first.isValid() || candidate < first))
            first = candidate;
    }
    return first;
}

}  // namespace

QDateTime nextOccurrence(const QDateTime& now, const QTime& timeOfDay) {
    const QDateTime today = firstAheadOn(now.date(), timeOfDay, now);
    return today.isValid() ? today : firstAheadOn(now.date().addDays(1), timeOfDay, now);
}

int nextTickMs(qint64 msLeft) {
    if (msLeft <= 0)
        return 0;
    const auto toBoundary = static_cast<int>(msLeft % 500);
    return toBoundary == 0 ? 500 : toBoundary;
}

QString remainingText(qint64 msLeft) {
    const qint64 seconds = std::max<qint64>(msLeft, 0) / 1000;
    const auto part = [](qint64 n) { return TwoDigits(QString::number(n)); };
    return part(seconds / 3600) + QLatin1Char(':') + part(seconds / 60 % 60) + QLatin1Char(':') +
           part(seconds % 60);
}

QString endText(const QDateTime& now, const QDateTime& end, const QLocale& locale,
                const QString& timeFormat) {
    const QString time = locale.toString(end.time(), timeFormat);
    const qint64 days = now.date().daysTo(end.date());
    if (days == 0)
        return time;
    const QString day = locale.toString(
        end.date(), days > 0 && days < 7 ? QStringLiteral("ddd") : QStringLiteral("d MMM"));
    return day + QLatin1Char(' ') + time;
}

}  // namespace klangor::alarm
