// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/format.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QValidator>

#include <algorithm>
#include <optional>

namespace klangor {

QString TwoDigits(const QString& text) {
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}

namespace {

// The whole number a spin box's text holds, in the box's own digits or in ASCII ones.
std::optional<qlonglong> spinNumber(const QSpinBox* box, const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = box->locale().toLongLong(t, &ok);
    if (!ok)
        v = t.toLongLong(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

int spinRule(const QSpinBox* box, const QString& text) {
    const std::optional<qlonglong> v = spinNumber(box, text);
    if (!v)
        return box->minimum();
    return static_cast<int>(std::clamp<qlonglong>(*v, box->minimum(), box->maximum()));
}

// Admits whatever may become a whole number, also one beyond the box's range; the range itself
// is kept when the text is taken (SpinRule below). Qt's own spin box validator refuses the key
// that leaves the range, so "5000" could not even be typed into a box that ends at 999.
class SpinRuleValidator final : public QValidator {
public:
    explicit SpinRuleValidator(QSpinBox* box) : QValidator(box), box_(box) {}

    State validate(QString& input, int& /*pos*/) const override {
        const QString t = input.trimmed();
        if (t.isEmpty() || t == QLatin1String("-") || t == box_->locale().negativeSign())
            return Intermediate;
        if (t.size() > 12)
            return Invalid;
        const std::optional<qlonglong> v = spinNumber(box_, t);
        if (!v)
            return Invalid;
        return *v >= box_->minimum() && *v <= box_->maximum() ? Acceptable : Intermediate;
    }

    void fixup(QString& input) const override {
        input = box_->locale().toString(spinRule(box_, input));
    }

private:
    QSpinBox* box_;
};

// Writes the rule's value back into the box before the box itself takes its text.
class SpinRule final : public QObject {
public:
    explicit SpinRule(QSpinBox* box) : QObject(box), box_(box) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_ && takesText(event)) {
            const std::optional<qlonglong> typed = spinNumber(box_, box_->cleanText());
            if (!typed || *typed != box_->value())
                box_->setValue(SpinValue(box_));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool takesText(const QEvent* event) {
        switch (event->type()) {
            case QEvent::FocusOut:
            case QEvent::Wheel:
                return true;
            case QEvent::KeyPress:
                switch (static_cast<const QKeyEvent*>(event)->key()) {
                    case Qt::Key_Return:
                    case Qt::Key_Enter:
                    case Qt::Key_Up:
                    case Qt::Key_Down:
                    case Qt::Key_PageUp:
                    case Qt::Key_PageDown:
                        return true;
                    default:
                        return false;
                }
            default:
                return false;
        }
    }

    QSpinBox* box_;
};

}  // namespace

int SpinValue(const QSpinBox* box) {
    return spinRule(box, box->cleanText());
}

void FollowSpinRule(QSpinBox* box) {
    // Should the box still correct a text itself, the nearest value of the range, not the
    // previous one.
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    if (auto* edit = box->findChild<QLineEdit*>())
        edit->setValidator(new SpinRuleValidator(box));
    box->installEventFilter(new SpinRule(box));
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
