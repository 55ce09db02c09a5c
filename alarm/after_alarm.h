// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"
#include "platform/platform.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QWidget;

namespace klangor {

/// The actions that may follow an alarm, chosen in the action list (CheckBox3): taken from the
/// list when the alarm rings and carried out when its grace period ends.
class AfterAlarm final : public QObject {
    Q_OBJECT
public:
    /// Positions in the action list.
    enum Entry { NoAction = 0, Lock, Sleep, Hibernate, Restart, ShutDown, ExecuteCommand };

    /// `window` owns the file dialog.
    AfterAlarm(const Platform& platform, QComboBox* actions, QWidget* window,
               QObject* parent = nullptr);

    /// Called before an action that may end the session without a chance to save (suspend,
    /// hibernate, restart, power off): the settings are saved there.
    void setBeforePowerChange(std::function<void()> f) { beforePowerChange_ = std::move(f); }

    /// A new choice in the list: "Execute Command" asks for the file to run.
    void CheckBox3Change();
    /// Carries out the action taken (`_shut`, `_exec`). A failure is reported in a notification.
    void DoShutAction();

    /// Says in one notification `note` (may be empty) and which action comes in `seconds`, with
    /// a button that calls `stop`. It stays a little longer than the grace period (urgent for
    /// suspend, hibernate, restart and power off) and is withdrawn when the grace period ends.
    void announce(const QString& note, int seconds, std::function<void()> stop);
    /// Takes the notification of announce() back (the grace period is over either way).
    void withdrawAnnouncement();
    /// The language of the notifications.
    void setLanguage(lang::Language language) { language_ = language; }

    /// Forgets the action taken: nothing runs until the next one is taken.
    void clear();
    /// Takes the action the list shows now (the alarm has rung).
    void takeFromList();
    /// Takes the action at `index` with the entry's text `text` (a path for "Execute Command").
    void take(int index, const QString& text);

    /// Whether an action is taken and waits for its grace period.
    bool pending() const { return _shut > NoAction; }
    int shut() const { return _shut; }
    const QString& exec() const { return _exec; }

signals:
    /// The action at `entry` was carried out and failed; `why` in the system's words (may be
    /// empty). Comes with the notification that says the same.
    void failed(int entry, const QString& why);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The power request an entry stands for, or nothing (no action, a command to run).
    static std::optional<PowerAction> powerActionOf(int entry);

    Platform platform_;
    QComboBox* actions_;
    QWidget* window_;
    std::function<void()> beforePowerChange_;
    bool wheeling_ = false;  // the list is moving under the mouse wheel
    lang::Language language_ = lang::Language::English;
    int announcement_ = 0;  // the notification of the pending action, 0 when none
    QString lastChosen_;    // the file last picked for "Execute Command", kept across languages
    QString opened_;        // what the last "Execute Command" handed to the opener

    int _shut = -1;  // index of the action taken, -1 while none is taken
    QString _exec;   // text of the action taken (a path for "Execute Command")
};

}  // namespace klangor
