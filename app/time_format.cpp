#include "app/time_format.h"

QString LongTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
        } else if (!quoted && c == u't') {
            while (i + 1 < format.size() && format.at(i + 1) == u't')
                ++i;
            // Drop the blank that separated the zone from the rest.
            if (out.endsWith(u' '))
                out.chop(1);
            else
                while (i + 1 < format.size() && format.at(i + 1) == u' ')
                    ++i;
        } else {
            out += c;
        }
    }
    out.remove(QStringLiteral(" ()"));
    out.remove(QStringLiteral("()"));
    return out.trimmed();
}

QString LongTimeText(const QTime& time, const QLocale& locale) {
    return locale.toString(time, LongTimeFormat(locale));
}
