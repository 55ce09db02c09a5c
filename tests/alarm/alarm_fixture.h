// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A shown main window on fake platform operations, and the moves of the alarm's clock.

#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"

#include <QTest>

namespace klangor::test {

using A = TForm1Access;

/// The day the alarm tests start on, and a time of day on it.
inline const QDate kToday(2026, 3, 2);
inline QDateTime today(const QTime& t) {
    return QDateTime(kToday, t);
}

struct AlarmFixture {
    fakes::Fakes fakes;
    TForm1 form;

    explicit AlarmFixture(const QDateTime& now) : form(setClock(fakes, now).platform()) {
        form.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            qWarning("the test window did not become active");
    }

    static fakes::Fakes& setClock(fakes::Fakes& f, const QDateTime& now) {
        f.clock->set(now);
        return f;
    }

    QDateTime now() const { return fakes.clock->now(); }

    /// Sets the picker's time of day and arms the alarm.
    void armFor(const QTime& time) {
        ctl(form).wwDBDateTimePicker1->setTime(time);
        form.Button1Click();
    }

    bool armed() { return ctl(form).Timer1->isActive(); }

    /// One alarm tick as the timer would deliver it: the clock moves on by the interval the
    /// timer was last given, plus `lateMs` of scheduling delay.
    void tick(int lateMs = 0) {
        fakes.clock->advanceMs(ctl(form).Timer1->interval() + lateMs);
        form.Timer1Timer();
    }

    /// Ticks until the alarm fires; returns the texts the countdown showed on the way.
    QStringList tickUntilFired(int lateMs = 0, int maxTicks = 1000) {
        QStringList shown;
        for (int i = 0; i < maxTicks && armed(); ++i) {
            tick(lateMs);
            if (armed() && (shown.isEmpty() || shown.last() != ctl(form).lblx->text()))
                shown << ctl(form).lblx->text();
        }
        return shown;
    }

    /// Moves the clock to `at` and lets one tick see it.
    void tickAt(const QDateTime& at) {
        fakes.clock->set(at);
        form.Timer1Timer();
    }
};

}  // namespace klangor::test
