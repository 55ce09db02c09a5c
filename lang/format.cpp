#include "lang/format.h"

#include <QSpinBox>

#include <algorithm>

namespace klangor {

QString TwoDigits(const QString& text) {
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}

int SpinValue(const QSpinBox* box) {
    bool ok = false;
    const qlonglong v = box->cleanText().trimmed().toLongLong(&ok);
    if (!ok)
        return box->minimum();
    return static_cast<int>(std::clamp<qlonglong>(v, box->minimum(), box->maximum()));
}

QString TimeFormatWithoutZone(const QString& localeFormat) {
    // Drop the unquoted "t" letters; quoted text ('ч') is literal and stays.
    QString out;
    bool quoted = false;
    for (const QChar c : localeFormat) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    // A zone in brackets, "H:mm:ss (t)", leaves empty brackets behind.
    out.remove(QStringLiteral("()"));
    out.remove(QStringLiteral("[]"));
    out = out.simplified();
    return out.isEmpty() ? QStringLiteral("HH:mm:ss") : out;
}

QString LongTimeFormat(const QLocale& locale) {
    return TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
}

QString LongTimeText(const QTime& time, const QLocale& locale) {
    return locale.toString(time, LongTimeFormat(locale));
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace klangor
