// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the interface writes and reads its values: times of day, two-digit counters, spin boxes and
// the Enter key. Shared by the alarm, the repeater and the settings.

#include <QLocale>
#include <QString>
#include <QTime>

class QSpinBox;

namespace klangor {

/// Left-pads a one-character number text with "0".
QString TwoDigits(const QString& text);

/// A spin box's value as the program reads it: its text as a whole number clamped into the box's
/// range, or the box's minimum when the text is empty or not a number.
int SpinValue(const QSpinBox* box);

/// Makes `box` keep the rule of SpinValue when its text is left as typed: any whole number may
/// be typed (also one beyond the range), and on leaving the box, on Enter and before a step the
/// text becomes the value SpinValue reads from it, where Qt would restore the previous value.
void FollowSpinRule(QSpinBox* box);

/// A time format with its time-zone part ("t", also in brackets) removed; quoted text stays.
QString TimeFormatWithoutZone(const QString& localeFormat);

/// The locale's long time format without its time-zone part ("t"), which for a bare time of day
/// only ever shows "UTC".
QString LongTimeFormat(const QLocale& locale = QLocale());

/// A time of day in the user's long time format (without the time zone).
QString LongTimeText(const QTime& time, const QLocale& locale = QLocale());

/// Return and the keypad's Enter.
bool isEnterKey(int key);

}  // namespace klangor
