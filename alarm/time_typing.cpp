// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/time_typing.h"

#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace klangor::alarm {

namespace {

int sectionIndex(const QDateTimeEdit* picker, QDateTimeEdit::Section section) {
    for (int i = 0; i < picker->sectionCount(); ++i)
        if (picker->sectionAt(i) == section)
            return i;
    return -1;
}

// The largest number a part takes when typed: hours on the 24-hour clock.
int largestTyped(QDateTimeEdit::Section section) {
    switch (section) {
        case QDateTimeEdit::HourSection:
            return 23;
        case QDateTimeEdit::MinuteSection:
        case QDateTimeEdit::SecondSection:
            return 59;
        default:
            return -1;
    }
}

QTime withPart(const QTime& t, QDateTimeEdit::Section section, int n) {
    switch (section) {
        case QDateTimeEdit::HourSection:
            return QTime(n, t.minute(), t.second());
        case QDateTimeEdit::MinuteSection:
            return QTime(t.hour(), n, t.second());
        default:
            return QTime(t.hour(), t.minute(), n);
    }
}

bool startsWith(const QString& text, QChar c) {
    return !text.isEmpty() && text.at(0).toLower() == c.toLower();
}

}  // namespace

TimeTyping::TimeTyping(QDateTimeEdit* picker)
    : QObject(picker), picker_(picker), edit_(picker->findChild<QLineEdit*>()) {
    picker_->installEventFilter(this);
    if (edit_)
        edit_->installEventFilter(this);
}

bool TimeTyping::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The press has put the cursor into a part and made it the current one; a click selects
        // that part whole, so that typing replaces it. A drag keeps the selection it made.
        static_cast<QObject*>(edit_)->event(event);
        if (!edit_->hasSelectedText())
            selectSection(picker_->currentSectionIndex());
        restart();
        return true;
    }
    if (watched != picker_)
        return false;
    switch (event->type()) {
        case QEvent::FocusIn: {
            // Entered from the keyboard or given the focus by the program, the field is ready for a
            // whole time typed from the hours; a click chooses its own part (above).
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            static_cast<QObject*>(picker_)->event(event);
            restart();
            if (reason != Qt::MouseFocusReason && reason != Qt::BacktabFocusReason)
                selectSection(sectionIndex(picker_, QDateTimeEdit::HourSection));
            return true;
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            return keyPress(key->text(), key->key(), key->modifiers());
        }
        default:
            return false;
    }
}

bool TimeTyping::keyPress(const QString& text, int key, Qt::KeyboardModifiers modifiers) {
    // A modifier on its own (Shift for the ":") changes nothing in what is being typed.
    if ((key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock) || key == Qt::Key_AltGr ||
        key == Qt::Key_Super_L || key == Qt::Key_Super_R)
        return false;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ||
        text.size() != 1 || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        restart();  // Ctrl+A, arrows, Backspace and the like: the field's own
        return false;
    }
    const QChar c = text.at(0);
    if (c == QLatin1Char('*') || !c.isPrint())  // "*" opens the delay panel
        return false;
    if (c.isDigit()) {
        typeDigit(c.digitValue());
        return true;
    }
    if (c.isLetter()) {
        const QLocale locale = picker_->locale();
        if (c.toLower() == QLatin1Char('a') || startsWith(locale.amText(), c))
            typeMeridiem(false);
        else if (c.toLower() == QLatin1Char('p') || startsWith(locale.pmText(), c))
            typeMeridiem(true);
        return true;
    }
    // A separator closes the part being typed. Right after a part filled itself up the typist
    // has already moved on: "07:30" must not skip the minutes.
    if (movedOnByTyping_ && typed_.isEmpty())
        movedOnByTyping_ = false;
    else
        moveOn();
    return true;
}

void TimeTyping::typeDigit(int digit) {
    int index = picker_->currentSectionIndex();
    if (edit_ && edit_->hasSelectedText() && edit_->selectedText() == edit_->text()) {
        // Everything selected (Ctrl+A): a whole time, typed from the hours.
        index = sectionIndex(picker_, QDateTimeEdit::HourSection);
        typed_.clear();
    }
    const QDateTimeEdit::Section section = picker_->sectionAt(index);
    const int largest = largestTyped(section);
    movedOnByTyping_ = false;
    if (largest < 0) {  // the AM/PM part takes letters
        selectSection(index);
        return;
    }
    typed_ += QString::number(digit);
    int n = typed_.toInt();
    if (n > largest) {  // "25" in the hours: the 5 begins the part anew
        typed_ = QString::number(digit);
        n = digit;
    }
    picker_->setTime(withPart(picker_->time(), section, n));
    // Full after two digits, or after one that no second digit could follow ("7" hours).
    if (typed_.size() >= 2 || n * 10 > largest) {
        typed_.clear();
        movedOnByTyping_ = true;
        selectSection(index + 1 < picker_->sectionCount() ? index + 1 : index);
    } else {
        selectSection(index);
    }
}

void TimeTyping::typeMeridiem(bool pm) {
    const int index = sectionIndex(picker_, QDateTimeEdit::AmPmSection);
    restart();
    if (index < 0)
        return;
    const QTime t = picker_->time();
    int hour = t.hour();
    if (pm && hour < 12)
        hour += 12;
    else if (!pm && hour >= 12)
        hour -= 12;
    picker_->setTime(QTime(hour, t.minute(), t.second()));
    selectSection(index);
}

void TimeTyping::moveOn() {
    typed_.clear();
    const int index = picker_->currentSectionIndex();
    selectSection(index + 1 < picker_->sectionCount() ? index + 1 : index);
}

void TimeTyping::selectSection(int index) {
    if (index < 0 || index >= picker_->sectionCount())
        return;
    // The field finds its parts from where they stood in the text it last read; a new time may
    // have moved them ("12:18" to "7:18"), so it reads its text again first.
    if (edit_) {
        edit_->setCursorPosition(edit_->text().size());
        edit_->setCursorPosition(0);
    }
    picker_->setCurrentSectionIndex(index);
    picker_->setSelectedSection(picker_->sectionAt(index));
}

void TimeTyping::restart() {
    typed_.clear();
    movedOnByTyping_ = false;
}

}  // namespace klangor::alarm
