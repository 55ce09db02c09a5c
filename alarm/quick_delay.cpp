// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/quick_delay.h"

#include "alarm/alarm_cycle.h"
#include "alarm/event_hook.h"
#include "lang/format.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

namespace klangor {

QuickDelay::QuickDelay(const Platform& platform, const QuickDelayControls& controls,
                       AlarmCycle& alarm, QObject* parent)
    : QObject(parent), platform_(platform), ui_(controls), alarm_(alarm) {
    using alarm::EventHook;

    connect(ui_.openButton, &QPushButton::clicked, this, &QuickDelay::BitBtn1Click);
    connect(ui_.accept, &QPushButton::clicked, this, &QuickDelay::Button3Click);
    connect(ui_.close, &QPushButton::clicked, this, &QuickDelay::Button4Click);
    for (QPushButton* b : ui_.minuteButtons) {
        if (b == ui_.sixty)
            connect(b, &QPushButton::clicked, this, &QuickDelay::Button15Click);
        else
            connect(b, &QPushButton::clicked, this, [this, b] { Button5Click(b); });
    }
    // As on any desktop, Enter presses the focused button, not only Space.
    for (QPushButton* b : {ui_.openButton, ui_.accept, ui_.close})
        b->setAutoDefault(true);
    for (QPushButton* b : ui_.minuteButtons)
        b->setAutoDefault(true);

    // A push button ignores the right mouse button, so its release is caught here.
    EventHook::install(this, ui_.minuteButtons, [this](QObject* watched, QEvent* e) {
        if (e->type() == QEvent::MouseButtonRelease)
            Button5MouseUp(static_cast<QPushButton*>(watched),
                           static_cast<QMouseEvent*>(e)->button());
        return false;
    });

    // Entering a box selects its text; Enter and Esc move on or close the panel.
    const auto boxHook = [this](QSpinBox* box, void (QuickDelay::*enter)(),
                                void (QuickDelay::*keyDown)(int)) {
        EventHook::install(this, std::initializer_list<QObject*>{box},
                           [this, box, enter, keyDown](QObject*, QEvent* e) {
                               if (e->type() == QEvent::FocusIn) {
                                   // Let the box take the focus first, or it would place the
                                   // cursor over the selection.
                                   static_cast<QObject*>(box)->event(e);
                                   (this->*enter)();
                                   return true;
                               }
                               if (e->type() == QEvent::KeyPress) {
                                   const int key = static_cast<QKeyEvent*>(e)->key();
                                   if (isEnterKey(key) || key == Qt::Key_Escape) {
                                       (this->*keyDown)(key);
                                       return true;
                                   }
                               }
                               return false;
                           });
    };
    boxHook(ui_.hours, &QuickDelay::se_hourEnter, &QuickDelay::se_hourKeyDown);
    boxHook(ui_.minutes, &QuickDelay::se_minuteEnter, &QuickDelay::se_minuteKeyDown);
    // An emptied box counts as 0, a number beyond the range as its end, also once left.
    FollowSpinRule(ui_.hours);
    FollowSpinRule(ui_.minutes);
}

void QuickDelay::BitBtn1Click() {
    if (!ui_.picker->isEnabled())  // an alarm is armed
        return;
    ui_.panel->move(ui_.picker->x(), ui_.openButton->y() + ui_.openButton->height() + 2);
    ui_.panel->setVisible(ui_.panel->isHidden());
    if (!ui_.panel->isHidden()) {
        ui_.panel->raise();
        ui_.hours->setValue(0);
        ui_.minutes->setValue(0);
        ui_.hours->setFocus();
    }
}

void QuickDelay::Button5Click(QPushButton* sender) {
    ui_.minutes->setValue(sender->text().toInt());
}

void QuickDelay::Button15Click() {
    ui_.hours->setValue(1);
    ui_.minutes->setValue(0);
}

void QuickDelay::Button5MouseUp(QPushButton* sender, Qt::MouseButton button) {
    if (button != Qt::RightButton)
        return;  // the click handler has done the work of a left click
    Button5Click(sender);
    Button3Click();
}

void QuickDelay::Button3Click() {
    const qint64 minutes = qint64{SpinValue(ui_.hours)} * 60 + SpinValue(ui_.minutes);
    // The whole delay, days included, even where the picker shows only its time of day.
    const QDateTime deadline = platform_.clock->now().addSecs(minutes * 60);
    ui_.picker->setTime(deadline.time());
    ui_.note->setFocus();
    ui_.panel->hide();
    alarm_.armAt(deadline);
}

void QuickDelay::Button4Click() {
    ui_.panel->hide();
}

void QuickDelay::se_hourEnter() {
    ui_.hours->selectAll();
}

void QuickDelay::se_minuteEnter() {
    ui_.minutes->selectAll();
}

void QuickDelay::closeToPicker() {
    ui_.panel->hide();
    ui_.picker->setFocus();
}

void QuickDelay::se_hourKeyDown(int key) {
    if (isEnterKey(key))
        ui_.minutes->setFocus();
    else if (key == Qt::Key_Escape)
        closeToPicker();
}

void QuickDelay::se_minuteKeyDown(int key) {
    if (isEnterKey(key))
        ui_.accept->setFocus();
    else if (key == Qt::Key_Escape)
        closeToPicker();
}

}  // namespace klangor
