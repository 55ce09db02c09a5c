#include "app/form1.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcAfterAlarm, "klangor.power")

namespace {

// Positions in the action list.
constexpr int kNoAction = 0;
constexpr int kExecuteCommand = 6;

}  // namespace

void TForm1::setUpAfterAlarm() {
    // `activated` comes only from the user (mouse, keys, wheel), also when the entry chosen is
    // the one already selected: choosing "Execute Command" again offers the dialog again. The
    // index changes this handler makes itself, and the list rebuilt by the language switch or
    // the settings, raise no `activated`, so nothing here recurses or asks at start-up.
    connect(CheckBox3, &QComboBox::activated, this, [this](int) { CheckBox3Change(); });
}

// OpenDialog1 is the platform's file-open dialog (platform_.files), with no title, filter or
// starting folder of ours.
void TForm1::CheckBox3Change() {
    if (CheckBox3->currentIndex() != kExecuteCommand)
        return;
    const std::optional<QString> chosen = platform_.files->chooseFile(this);
    if (chosen && !chosen->isEmpty()) {
        CheckBox3->setItemText(kExecuteCommand, *chosen);
        CheckBox3->setCurrentIndex(kExecuteCommand);
    } else {
        CheckBox3->setCurrentIndex(kNoAction);
    }
}

void TForm1::DoShutAction() {
    using klangor::PowerAction;
    PowerAction action;
    switch (_shut) {
        case 1:
            action = PowerAction::Lock;
            break;
        case 2:
            action = PowerAction::Suspend;
            break;
        case 3:
            action = PowerAction::Hibernate;
            break;
        case 4:
            action = PowerAction::Reboot;
            break;
        case 5:
            action = PowerAction::PowerOff;
            break;
        case kExecuteCommand:
            if (!_exec.isEmpty() && !platform_.shell->open(_exec.toStdString()))
                qCWarning(lcAfterAlarm) << "could not open" << _exec;
            return;
        default:
            return;
    }
    // After a suspend, hibernate, restart or power-off the program may get no chance to save
    // (a forced power-off closes it without asking), so save the settings now.
    if (action != PowerAction::Lock)
        SaveSettings();
    const int index = _shut;
    platform_.power->request(action, [index](bool ok) {
        if (!ok)
            qCWarning(lcAfterAlarm) << "after-alarm action" << index << "was not carried out";
    });
}
