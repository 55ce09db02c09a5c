#pragma once

#include "platform/platform.h"
#include "ui_form1.h"

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimer>
#include <QWidget>

class QMenu;
class TForm4;

/// The main window. Its controls come from form1.ui under their own object names; the handlers
/// of each concern are defined in that concern's folder (alarm/, repeater/, sound/, lang/,
/// settings/), the window-wide ones in app/form1.cpp.
class TForm1 final : public QWidget, public Ui::TForm1 {
    Q_OBJECT
public:
    explicit TForm1(klangor::Platform platform, QWidget* parent = nullptr);
    ~TForm1() override;

    /// The screen-off prompt, created after this window and hidden until the repeater shows it.
    TForm4* Form4() const { return form4_; }
    const klangor::Platform& platform() const { return platform_; }

    // Timers (object names as given, all created switched off).
    QTimer* Timer1;      // 500 ms, the alarm tick
    QTimer* Timer2;      // 3000 ms, the grace period
    QTimer* repeater;    // 30000 ms, the repeater's period check
    QTimer* repear_end;  // one-shot, the second warning
    QMenu* ppText;       // preset notes of ComboBox1

    // --- app/form1.cpp: the window-wide handlers
    void FormShow();
    void FormClose();
    void FormKeyDown(int key);
    void FormMouseDown(QWidget* sender);
    void Panel3Click();

    // --- alarm/alarm_cycle.cpp
    void Button1Click();
    void Timer1Timer();
    void Timer2Timer();
    void Button2Click();
    void Label1DblClick();
    void wwDBDateTimePicker1KeyPress(QChar key);
    void ayunutma1Click(QAction* sender);

    // --- alarm/quick_delay.cpp
    void BitBtn1Click();
    void Button5Click(QPushButton* sender);
    void Button15Click();
    void Button5MouseUp(QPushButton* sender, Qt::MouseButton button);
    void Button3Click();
    void Button4Click();
    void se_hourEnter();
    void se_minuteEnter();
    void se_hourKeyDown(int key);
    void se_minuteKeyDown(int key);

    // --- alarm/after_alarm.cpp
    void CheckBox3Change();
    void DoShutAction();

    // --- repeater/repeater_cycle.cpp
    void repeater_startClick();
    void repeater_stopClick();
    void repeaterTimer();
    void repear_endTimer();

    // --- sound/play_snd.cpp
    void PlaySnd(int index);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

    // --- lang/language.cpp
    bool IsTurkishLocale() const;
    void SetLanguage();
    void lnlLangClick();

    // --- settings/settings.cpp
    void LoadSettings();
    void SaveSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Wiring done once by the constructor; each concern connects its own controls.
    void setUpFrame();
    void setUpAlarm();
    void setUpQuickDelay();
    void setUpAfterAlarm();
    void setUpRepeater();
    void setUpSounds();
    void setUpLanguage();
    // Parts of the look that take time to prepare (a font's first use) and belong to controls
    // that start hidden: done when those controls are first shown, not while the window opens.
    void lookOfQuickDelayPanel();  // app/form1.cpp
    void fitRepeaterNote();        // lang/language.cpp

    // alarm/alarm_cycle.cpp: Button1Click's work. Arms the alarm for `deadline`, or, when it is
    // invalid, for the next occurrence of the picker's time of day; stops an armed alarm.
    void startOrStopAlarm(const QDateTime& deadline);

    friend struct TForm1Access;  // tests reach the private fields through this

    klangor::Platform platform_;
    TForm4* form4_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;

    QTime _startTime;  // time of day at which the alarm was started
    QTime _endTime;    // armed alarm time of day
    QDateTime _endAt;  // the armed alarm as a full local date and time
    int _shut = -1;    // after-alarm action index, -1 while none is taken
    QString _exec;     // text of the chosen action entry (a path for "Execute Command")
    int _tmr = 0;      // grace-period countdown
    QDateTime xbegin;  // start of the current repeater period
    QString _lang;     // "TR" for Turkish, anything else English
};

/// Left-pads a one-character number text with "0".
QString TwoDigits(const QString& text);

/// A spin box's value as the program reads it: its text as a whole number clamped into the box's
/// range, or the box's minimum when the text is not a number.
int SpinValue(const QSpinBox* box);
