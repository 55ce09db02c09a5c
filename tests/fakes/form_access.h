// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarm/after_alarm.h"
#include "alarm/alarm_cycle.h"
#include "app/form1.h"
#include "lang/interface_language.h"
#include "repeater/repeater.h"

#include <QMenu>
#include <QTimer>

/// The tests' view of the main window: its controls and the state its concerns keep.
struct TForm1Access {
    static Ui::TForm1& ui(TForm1& f) { return f.ui; }
    static klangor::AlarmCycle& alarm(TForm1& f) { return *f.alarm_; }
    static klangor::AfterAlarm& afterAlarm(TForm1& f) { return *f.afterAlarm_; }
    static klangor::Repeater& repeater(TForm1& f) { return *f.repeater_; }
    static klangor::InterfaceLanguage& language(TForm1& f) { return *f.language_; }

    static QTime startTime(TForm1& f) { return alarm(f).startTime(); }
    static QTime endTime(TForm1& f) { return alarm(f).endTime(); }
    static QDateTime endAt(TForm1& f) { return alarm(f).endAt(); }
    static int tmr(TForm1& f) { return alarm(f).tmr(); }
    static int shut(TForm1& f) { return afterAlarm(f).shut(); }
    static QString exec(TForm1& f) { return afterAlarm(f).exec(); }
    static QDateTime xbegin(TForm1& f) { return repeater(f).periodStart(); }
    static QString lang(TForm1& f) { return language(f).code(); }
};

/// The main window's controls under their object names, and its timers and pop-up menu.
struct TForm1Controls : Ui::TForm1 {
    QTimer* Timer1;      // the alarm tick
    QTimer* Timer2;      // the grace period
    QTimer* repeater;    // the repeater's period check
    QTimer* repear_end;  // the second warning
    QMenu* ppText;       // the preset notes
};

inline TForm1Controls ctl(const TForm1& window) {
    auto& f = const_cast<TForm1&>(window);  // the pointers handed out are not const anyway
    TForm1Controls c{};
    static_cast<Ui::TForm1&>(c) = TForm1Access::ui(f);
    c.Timer1 = TForm1Access::alarm(f).Timer1;
    c.Timer2 = TForm1Access::alarm(f).Timer2;
    c.ppText = TForm1Access::alarm(f).ppText;
    c.repeater = TForm1Access::repeater(f).repeater;
    c.repear_end = TForm1Access::repeater(f).repear_end;
    return c;
}
