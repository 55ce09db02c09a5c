// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_request.h"

#include "alarm/after_alarm.h"
#include "app/form1.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace klangor {

namespace {

template <typename T>
T* control(TForm1& form, const char* name) {
    auto* c = form.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT_X(c, "applyStartRequest", name);
    return c;
}

}  // namespace

void applyStartRequest(TForm1& form, const StartRequest& r) {
    if (r.note)
        control<QPlainTextEdit>(form, "ComboBox1")->setPlainText(*r.note);
    if (r.action) {
        auto* actions = control<QComboBox>(form, "CheckBox3");
        // A file takes the place of the "Execute Command" entry, as the file dialog's answer does.
        if (*r.action == AfterAlarm::ExecuteCommand)
            actions->setItemText(AfterAlarm::ExecuteCommand, r.actionFile);
        actions->setCurrentIndex(*r.action);
    }
    if (r.at) {
        control<QDateTimeEdit>(form, "wwDBDateTimePicker1")->setTime(*r.at);
        form.Button1Click();
    } else if (r.inMinutes) {
        control<QSpinBox>(form, "se_hour")->setValue(*r.inMinutes / 60);
        control<QSpinBox>(form, "se_minute")->setValue(*r.inMinutes % 60);
        form.Button3Click();
    }
    if (r.repeater)
        form.repeater_startClick();
}

}  // namespace klangor
