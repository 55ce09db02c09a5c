// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Time arithmetic of the alarm, kept apart from the window so that it can be checked on its own.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

namespace klangor::alarm {

/// The next moment after `now` at which the clock shows `timeOfDay`: today if that is later than
/// now, otherwise tomorrow. On a day where that time falls in a daylight-saving gap, the end of
/// the gap (the first moment that exists after it).
QDateTime nextOccurrence(const QDateTime& now, const QTime& timeOfDay);

/// The interval until the next alarm tick when `msLeft` milliseconds remain: at most 500 ms, and
/// chosen so that the ticks fall on whole half-seconds before the deadline, one of them on the
/// deadline itself. 0 (tick at once) when the deadline has come.
int nextTickMs(qint64 msLeft);

/// The remaining time as hours:minutes:seconds, each part at least two digits, milliseconds
/// dropped; hours are not wrapped at a day ("1015:59:59").
QString remainingText(qint64 msLeft);

/// The end of an alarm as the status line shows it: its time of day in `timeFormat`, after the
/// day when that is not today (the weekday within the coming week, the day and month beyond).
QString endText(const QDateTime& now, const QDateTime& end, const QLocale& locale,
                const QString& timeFormat);

}  // namespace klangor::alarm
