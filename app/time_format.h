#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

/// A time format with its time-zone part ("t", also in brackets) removed; quoted text stays.
QString TimeFormatWithoutZone(const QString& localeFormat);

/// The locale's long time format without its time-zone part ("t"), which for a bare time of day
/// only ever shows "UTC".
QString LongTimeFormat(const QLocale& locale = QLocale());

/// A time of day in the user's long time format (without the time zone).
QString LongTimeText(const QTime& time, const QLocale& locale = QLocale());
