// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/platform.h"

#include <QDateTime>
#include <QObject>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class QWidget;
class TForm4;

namespace klangor {

class Sounds;

/// The controls of the Repeater page.
struct RepeaterControls {
    QWidget* window;          // minimised at Start
    QPushButton* start;       // repeater_start
    QPushButton* stop;        // repeater_stop, shown in its place while running
    QLabel* status;           // lblstatus
    QLabel* begin;            // lblBegin
    QLabel* last;             // lblLastx
    QLabel* end;              // lblEndx
    QSpinBox* period;         // xMinutes: minutes between first warnings
    QSpinBox* secondDelay;    // xMinutes2: minutes from a first warning to the second
    QComboBox* firstSound;    // sxMinutes
    QComboBox* secondSound;   // sxMinutes2
    QCheckBox* askScreenOff;  // chkTurnOff
};

/// The work-and-rest rhythm: a first warning every N minutes (checked every 30 s), a second
/// warning M minutes after each first one, and the screen-off prompt if asked for.
///
/// The status lines take their leading text from their tool-tips, which the language sets and
/// keeps from popping up.
class Repeater final : public QObject {
    Q_OBJECT
public:
    Repeater(const Platform& platform, const RepeaterControls& controls, Sounds& sounds,
             TForm4& prompt, QObject* parent = nullptr);

    QTimer* repeater;    // 30000 ms, the period check
    QTimer* repear_end;  // one-shot, the second warning

    void repeater_startClick();
    void repeater_stopClick();
    void repeaterTimer();
    void repear_endTimer();
    /// Both timers off (the window closes); the page is left as it is.
    void stopTimers();

    /// The start of the current period.
    const QDateTime& periodStart() const { return xbegin; }

private:
    Platform platform_;
    RepeaterControls ui_;
    Sounds& sounds_;
    TForm4& prompt_;

    QDateTime xbegin;  // start of the current period
};

}  // namespace klangor
