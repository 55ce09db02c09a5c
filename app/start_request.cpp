// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_request.h"

#include "alarm/after_alarm.h"
#include "alarm/alarm_cycle.h"
#include "alarm/alarm_time.h"
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
    // Armed for the moment the command line meant: counted from when it was read, not from
    // when the window came up (a stalled desktop may hold that back for long).
    auto* alarm = form.findChild<AlarmCycle*>();
    Q_ASSERT(alarm);
    auto* picker = control<QDateTimeEdit>(form, "wwDBDateTimePicker1");
    if (r.at) {
        picker->setTime(*r.at);
        if (r.readAt.isValid())
            alarm->armAt(alarm::nextOccurrence(r.readAt, *r.at));
        else
            form.Button1Click();
    } else if (r.inMinutes) {
        control<QSpinBox>(form, "se_hour")->setValue(*r.inMinutes / 60);
        control<QSpinBox>(form, "se_minute")->setValue(*r.inMinutes % 60);
        if (r.readAt.isValid()) {
            // What the delay panel's tick does, from the moment the command line was read.
            const QDateTime deadline = r.readAt.addSecs(qint64{*r.inMinutes} * 60);
            picker->setTime(deadline.time());
            control<QPlainTextEdit>(form, "ComboBox1")->setFocus();
            alarm->armAt(deadline);
        } else {
            form.Button3Click();
        }
    }
    if (r.repeater)
        form.repeater_startClick();
}

}  // namespace klangor
