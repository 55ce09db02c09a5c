// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/after_alarm.h"

#include "platform/logging.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>

namespace klangor {

namespace {

struct ActionRow {
    AfterAlarm::Entry entry;
    PowerAction power;
};

// The entries that ask for a change of the computer's state, and which.
constexpr ActionRow kPowerActions[] = {
    {AfterAlarm::Lock, PowerAction::Lock},           {AfterAlarm::Sleep, PowerAction::Suspend},
    {AfterAlarm::Hibernate, PowerAction::Hibernate}, {AfterAlarm::Restart, PowerAction::Reboot},
    {AfterAlarm::ShutDown, PowerAction::PowerOff},
};

// How much longer than the grace period the notice of the pending action may stay: as long
// again, for a machine so busy that the grace period's timer runs late.
constexpr int kNoticeMarginSeconds = 15;

}  // namespace

AfterAlarm::AfterAlarm(const Platform& platform, QComboBox* actions, QWidget* window,
                       QObject* parent)
    : QObject(parent), platform_(platform), actions_(actions), window_(window) {
    // `activated` comes only from the user (mouse, keys, wheel), also when the entry chosen is
    // the one already selected: choosing "Execute Command" again offers the dialog again. The
    // index changes this class makes itself, and the list rebuilt by the language switch or
    // the settings, raise no `activated`, so nothing here recurses or asks at start-up.
    connect(actions_, &QComboBox::activated, this, [this](int) { CheckBox3Change(); });
    // The wheel steps through the list as the user reads something else: it never opens the file
    // dialog, and it stops short of "Execute Command" (a click or the keyboard chooses that).
    actions_->installEventFilter(this);
    // The desktop's opener may say only later that it could not open the file (no program for
    // its type): that is said where the user looks, as a refused power action is.
    QPointer<AfterAlarm> self(this);
    platform_.shell->setLateFailureHandler(
        [self](const std::string& target, const std::string& why) {
            if (!self)
                return;
            const QString what = QStringLiteral("%1 (%2)").arg(QString::fromStdString(target),
                                                               QString::fromStdString(why));
            self->platform_.notifier->notify(
                QStringLiteral("Klangor"),
                lang::actionFailedNotice(self->language_, ExecuteCommand, what));
            // The window tells of its own action only, not of the home page the "?" opens.
            if (!self->opened_.isEmpty() && QString::fromStdString(target) == self->opened_)
                emit self->failed(ExecuteCommand, what);
        });
}

bool AfterAlarm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != actions_ || event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const int before = actions_->currentIndex();
    wheeling_ = true;
    static_cast<QObject*>(actions_)->event(event);
    wheeling_ = false;
    if (actions_->currentIndex() == ExecuteCommand && before != ExecuteCommand)
        actions_->setCurrentIndex(before);
    return true;
}

std::optional<PowerAction> AfterAlarm::powerActionOf(int entry) {
    for (const ActionRow& row : kPowerActions)
        if (row.entry == entry)
            return row.power;
    return std::nullopt;
}

// The file dialog is the platform's file-open dialog, with no title or filter of ours. It opens
// in the folder of the file picked last, or the home folder: never in whatever folder the
// program happened to be started from.
void AfterAlarm::CheckBox3Change() {
    if (wheeling_ || actions_->currentIndex() != ExecuteCommand)
        return;
    QString folder = QDir::homePath();
    if (!lastChosen_.isEmpty() && QFileInfo(lastChosen_).dir().exists())
        folder = QFileInfo(lastChosen_).absolutePath();
    const std::optional<QString> chosen = platform_.files->chooseFile(window_, folder);
    if (chosen && !chosen->isEmpty()) {
        lastChosen_ = *chosen;
        actions_->setItemText(ExecuteCommand, *chosen);
        actions_->setCurrentIndex(ExecuteCommand);
    } else {
        actions_->setCurrentIndex(NoAction);
    }
}

void AfterAlarm::clear() {
    _shut = -1;
    _exec.clear();
}

void AfterAlarm::takeFromList() {
    take(actions_->currentIndex(), actions_->currentText());
}

void AfterAlarm::take(int index, const QString& text) {
    _shut = index;
    _exec = text;
}

void AfterAlarm::DoShutAction() {
    if (_shut == ExecuteCommand) {
        opened_ = _exec;
        if (!_exec.isEmpty() && !platform_.shell->open(_exec.toStdString())) {
            qCWarning(lcShell) << "could not open" << _exec;
            platform_.notifier->notify(QStringLiteral("Klangor"),
                                       lang::actionFailedNotice(language_, _shut, _exec));
            emit failed(_shut, _exec);
        }
        return;
    }
    const std::optional<PowerAction> action = powerActionOf(_shut);
    if (!action)
        return;
    // After a suspend, hibernate, restart or power-off the program may get no chance to save
    // (a forced power-off closes it without asking), so save the settings now.
    if (*action != PowerAction::Lock && beforePowerChange_)
        beforePowerChange_();
    const int index = _shut;
    // The user may have walked away expecting the action: a refusal is said where they look.
    QPointer<AfterAlarm> self(this);
    platform_.power->requestExplained(*action, [self, index](bool ok, const std::string& why) {
        if (ok)
            return;
        qCWarning(lcPower) << "after-alarm action" << index
                           << "was not carried out:" << QString::fromStdString(why);
        if (!self)
            return;
        self->platform_.notifier->notify(
            QStringLiteral("Klangor"),
            lang::actionFailedNotice(self->language_, index, QString::fromStdString(why)));
        emit self->failed(index, QString::fromStdString(why));
    });
}

void AfterAlarm::announce(const QString& note, int seconds, std::function<void()> stop) {
    withdrawAnnouncement();
    if (!pending())
        return;
    QStringList body{note, lang::actionComingNotice(language_, _shut, seconds, _exec)};
    body.removeAll(QString());
    NoticeTerms terms;
    // Never gone before the action comes: longer than the grace period, for a service that
    // starts counting early or a program that runs late. Withdrawn when the grace period ends.
    terms.expireMs = (seconds + kNoticeMarginSeconds) * 1000;
    const std::optional<PowerAction> action = powerActionOf(_shut);
    terms.urgent = action && *action != PowerAction::Lock;
    announcement_ = platform_.notifier->notifyWithAction(
        QStringLiteral("Klangor"), body.join(QLatin1Char('\n')), lang::cancelActionLabel(language_),
        std::move(stop), terms);
}

void AfterAlarm::withdrawAnnouncement() {
    if (announcement_ == 0)
        return;
    platform_.notifier->withdraw(announcement_);
    announcement_ = 0;
}

}  // namespace klangor
