// SPDX-License-Identifier: GPL-3.0-or-later
#include "repeater/repeater.h"

#include "lang/format.h"
#include "platform/heartbeat.h"
#include "repeater/form4.h"
#include "sound/sounds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdlib>

namespace klangor {

namespace {

// The sound player is readied this long before a first warning is due (three checks of the
// 30 s timer), not at Start, so that the repeater does not carry it through a long period.
constexpr qint64 kSoundReadyAheadMs = 90'000;

}  // namespace

Repeater::Repeater(const Platform& platform, const RepeaterControls& controls, Sounds& sounds,
                   TForm4& prompt, QObject* parent)
    : QObject(parent),
      repeater(makeHeartbeat(this, "repeater", 30000)),
      repear_end(makeHeartbeat(this, "repear_end", 0)),
      platform_(platform),
      ui_(controls),
      sounds_(sounds),
      prompt_(prompt) {
    repear_end->setSingleShot(false);  // switched off by its own handler, as a window timer is
    connect(ui_.start, &QPushButton::clicked, this, &Repeater::repeater_startClick);
    connect(ui_.stop, &QPushButton::clicked, this, &Repeater::repeater_stopClick);
    connect(repeater, &QTimer::timeout, this, &Repeater::repeaterTimer);
    connect(repear_end, &QTimer::timeout, this, &Repeater::repear_endTimer);
    // An emptied box, or a period of 0, counts as 1 minute, also once the box is left.
    FollowSpinRule(ui_.period);
    FollowSpinRule(ui_.secondDelay);
}

void Repeater::repeater_startClick() {
    ui_.start->hide();
    ui_.stop->show();
    const QDateTime now = platform_.clock->now();
    xbegin = now;
    stopTimers();
    const QString firstWarning =
        xbegin.addSecs(qint64(SpinValue(ui_.period)) * 60).toString(QStringLiteral("HH:mm:ss"));
    repear_end->setInterval(SpinValue(ui_.secondDelay) * 60000);
    repeater->start();
    ui_.status->setText(ui_.status->toolTip());
    // A time written right to left (Arabic) is isolated: otherwise the arrow and the planned
    // time join its run and the line reads backwards.
    QString started = LongTimeText(now.time());
    if (QLocale().textDirection() == Qt::RightToLeft)
        started = QChar(0x2068) + started + QChar(0x2069);  // first strong isolate ... pop
    ui_.begin->setText(ui_.begin->toolTip() + started + QStringLiteral(" >>> ") + firstWarning);
    ui_.end->clear();
    ui_.last->clear();
    platform_.window->minimize(ui_.window);
}

void Repeater::repeaterTimer() {
    const QDateTime now = platform_.clock->now();
    const qint64 elapsedMs = std::llabs(xbegin.msecsTo(now));
    const qint64 periodMs = qint64(SpinValue(ui_.period)) * 60000;
    // The second warning follows the first, so one readying serves both.
    if (elapsedMs + kSoundReadyAheadMs >= periodMs)
        sounds_.prepare();
    if (elapsedMs < periodMs)  // not yet a whole N minutes
        return;
    // The next period starts now, not at the planned time.
    xbegin = now;
    ui_.last->setText(ui_.last->toolTip() + LongTimeText(now.time()));
    if (ui_.askScreenOff->isChecked())
        platform_.window->showWithoutFocus(&prompt_);
    sounds_.PlaySnd(ui_.firstSound->currentIndex());
    // A second warning still pending keeps its schedule.
    if (!repear_end->isActive())
        repear_end->start();
}

void Repeater::repear_endTimer() {
    repear_end->stop();
    sounds_.PlaySnd(ui_.secondSound->currentIndex());
}

void Repeater::repeater_stopClick() {
    stopTimers();
    ui_.start->show();
    ui_.stop->hide();
    ui_.status->clear();
    ui_.end->setText(ui_.end->toolTip() + LongTimeText(platform_.clock->now().time()));
}

void Repeater::stopTimers() {
    repeater->stop();
    repear_end->stop();
}

}  // namespace klangor
