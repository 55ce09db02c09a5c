// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QObject>
#include <QTime>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace klangor {

class AfterAlarm;
class Sounds;

/// The controls of the Alarm page that the alarm cycle reads and drives.
struct AlarmControls {
    QWidget* window;            // minimised at Start, brought back when the alarm rings
    QDateTimeEdit* picker;      // wwDBDateTimePicker1: the alarm's time of day
    QPushButton* startButton;   // Button1: Start / Stop
    QPushButton* cancelButton;  // Button2: cancels a pending after-alarm action
    QWidget* delayPanel;        // Panel2: closed by Start
    QLabel* timeCaption;        // Label1: a double click sets the picker to now
    QLabel* startedAt;          // lblStart
    QLabel* endsAt;             // lblEnd
    QLabel* remaining;          // lblx
    QLabel* actionNote;         // lblAction: the pending after-alarm action, or what became of it
    QCheckBox* soundAlert;      // CheckBox1
    QCheckBox* messageAlert;    // CheckBox2
    QCheckBox* repeatTwice;     // chkTwo
    QComboBox* sound;           // salarm
    QPlainTextEdit* note;       // ComboBox1, with the preset notes as its context menu
};

/// The alarm: Idle, Armed (Timer1 watches the clock), Grace (Timer2 counts the 15 s before the
/// after-alarm action).
class AlarmCycle final : public QObject {
    Q_OBJECT
public:
    AlarmCycle(const Platform& platform, const AlarmControls& controls, Sounds& sounds,
               AfterAlarm& afterAlarm, QObject* parent = nullptr);

    QTimer* Timer1;          // 500 ms, the alarm tick
    QTimer* Timer2;          // 3000 ms, the grace period
    QTimer* graceCountdown;  // 1000 ms during the grace period: the seconds left, shown
    QMenu* ppText;           // preset notes of the note box

    /// Start or Stop, as the Start button shows; during the grace period it only cancels the
    /// pending action.
    void Button1Click();
    /// Start with a deadline of a full date and time (the delay panel's): the picker shows only
    /// its time of day, which may lie days ahead.
    void armAt(const QDateTime& deadline);
    void Timer1Timer();
    void Timer2Timer();
    void graceCountdownTimer();
    void Button2Click();
    void Label1DblClick();
    void wwDBDateTimePicker1KeyPress(QChar key);
    void ayunutma1Click(QAction* sender);

    /// The language of the Start button's captions and of the after-alarm notifications.
    void setLanguage(lang::Language language);

    bool armed() const;
    const QTime& startTime() const { return _startTime; }
    const QTime& endTime() const { return _endTime; }
    const QDateTime& endAt() const { return _endAt; }
    int tmr() const { return _tmr; }

signals:
    /// "*" was typed in the picker: the delay panel is wanted.
    void delayPanelRequested();
    /// The status line shows new texts, which may need other room.
    void statusLineChanged();

private:
    void setUpPresetNotes();
    /// Shows in the window what becomes of the after-alarm action; the text is made again in
    /// the new language when the language changes. An empty function clears it.
    void showActionNote(std::function<QString(lang::Language)> text);
    void renderActionNote();
    /// Ends the grace period without the action: the timers, the Stop button, the notification.
    void endGrace();
    /// Whether the grace period runs behind its `expectedMs` since it began by more than a
    /// moment's delay: the computer slept, the program was stopped or the clock jumped.
    bool graceLate(qint64 expectedMs) const;
    /// Cancels the pending action of a grace period that ran late (`expectedMs` since it began
    /// was due), and says so.
    void cancelLateGrace(qint64 expectedMs);
    int graceSecondsLeft() const;
    /// Arms the alarm for `deadline`, or, when it is invalid, for the next occurrence of the
    /// picker's time of day; stops an armed alarm.
    void startOrStop(const QDateTime& deadline);

    Platform platform_;
    AlarmControls ui_;
    Sounds& sounds_;
    AfterAlarm& afterAlarm_;
    lang::Language language_ = lang::Language::English;

    QTime _startTime;         // time of day at which the alarm was started
    QTime _endTime;           // armed alarm time of day
    QDateTime _endAt;         // the armed alarm as a full local date and time
    int _tmr = 0;             // grace-period countdown
    QDateTime graceStart_;    // when the grace period began
    int countdownTicks_ = 0;  // graceCountdown's ticks since then
    std::function<QString(lang::Language)> actionNote_;  // what lblAction says
};

}  // namespace klangor
