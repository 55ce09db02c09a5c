// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/platform.h"
#include "ui_form1.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <memory>

class QAction;
class QPushButton;
class TForm4;

namespace klangor {
class AfterAlarm;
class AlarmCycle;
class InterfaceLanguage;
class QuickDelay;
class Repeater;
class SettingsBinding;
class Sounds;
class StatusLineRoom;
class TimeFieldRoom;
}  // namespace klangor

/// The main window: the hall of the program. It owns the controls of form1.ui and the screen-off
/// prompt, builds one object per concern (alarm, delay panel, after-alarm actions, repeater,
/// sounds, language, settings) and does the window-wide work (frame, keys, drag, "?"). Each
/// handler keeps its name here and passes the work on to its concern.
class TForm1 final : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(klangor::Platform platform, QWidget* parent = nullptr);
    ~TForm1() override;

    /// The screen-off prompt, created after this window and hidden until the repeater shows it.
    TForm4* Form4() const { return form4_.get(); }

    // The window-wide handlers.
    void FormShow();
    void FormClose();
    void FormKeyDown(int key);
    void FormMouseDown(QWidget* sender);
    void Panel3Click();

    // The alarm.
    void Button1Click();
    void Timer1Timer();
    void Timer2Timer();
    void Button2Click();
    void Label1DblClick();
    void wwDBDateTimePicker1KeyPress(QChar key);
    void ayunutma1Click(QAction* sender);

    // The delay panel.
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

    // The after-alarm actions.
    void CheckBox3Change();
    void DoShutAction();

    // The repeater.
    void repeater_startClick();
    void repeater_stopClick();
    void repeaterTimer();
    void repear_endTimer();

    // The sounds.
    void PlaySnd(int index);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

    // The language.
    bool IsTurkishLocale() const;
    void SetLanguage();
    void lnlLangClick();

    // The settings.
    void LoadSettings();
    void SaveSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpFrame();
    void setUpKeys();
    void setUpWheel();
    void setUpConcerns();
    void openDelayPanelFromAnyPage();
    // Parts of the look that take time to prepare (a font's first use) and belong to controls
    // that start hidden: done when those controls are first shown, not while the window opens.
    void lookOfQuickDelayPanel();
    void fitTimes();

    friend struct TForm1Access;  // tests reach the controls and the concerns through this

    Ui::TForm1 ui;
    klangor::Platform platform_;
    std::unique_ptr<TForm4> form4_;
    // The concerns are children of the window, so that their timers are found under it by name.
    klangor::Sounds* sounds_ = nullptr;
    klangor::AfterAlarm* afterAlarm_ = nullptr;
    klangor::AlarmCycle* alarm_ = nullptr;
    klangor::QuickDelay* quickDelay_ = nullptr;
    klangor::Repeater* repeater_ = nullptr;
    klangor::InterfaceLanguage* language_ = nullptr;
    std::unique_ptr<klangor::SettingsBinding> settings_;
    std::unique_ptr<klangor::TimeFieldRoom> timeFieldRoom_;
    std::unique_ptr<klangor::StatusLineRoom> statusLineRoom_;
    bool shown_ = false;
    bool closed_ = false;
    // A left press on a drag handle: the window moves once the pointer has left this point.
    QPointer<QWidget> dragFrom_;
    QPoint dragPressAt_;
    bool following_ = false;  // the drag is past the threshold: the window follows the pointer
    QPoint dragWindowAt_;     // where the window was when it began to follow
};
