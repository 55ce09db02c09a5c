// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QDateTimeEdit;
class QLineEdit;

namespace klangor::alarm {

/// Typing into the alarm's time field as into any time field: a click selects the part (hours,
/// minutes, seconds, AM/PM) under the pointer; digits replace the selected part and, once it can
/// take no more, move on to the next; a separator moves on too. So a whole time typed from the
/// hours, "07:30:00" as well as "073000", sets that time. Hours are typed on the 24-hour clock
/// in every locale ("19" is 7 PM where the field shows AM/PM); "a" or "p" (or the first letter
/// of the locale's own AM/PM text) sets the AM/PM part.
class TimeTyping final : public QObject {
public:
    explicit TimeTyping(QDateTimeEdit* picker);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(const QString& text, int key, Qt::KeyboardModifiers modifiers);
    void typeDigit(int digit);
    void typeMeridiem(bool pm);
    void moveOn();
    void selectSection(int index);
    void restart();

    QDateTimeEdit* picker_;
    QLineEdit* edit_;
    QString typed_;                 // digits typed into the selected part so far
    bool movedOnByTyping_ = false;  // the last digit filled a part and moved on
};

}  // namespace klangor::alarm
