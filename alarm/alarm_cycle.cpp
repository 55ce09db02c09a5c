// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm/alarm_cycle.h"

#include "alarm/after_alarm.h"
#include "alarm/alarm_time.h"
#include "alarm/event_hook.h"
#include "alarm/time_typing.h"
#include "lang/format.h"
#include "platform/heartbeat.h"
#include "platform/logging.h"
#include "sound/sounds.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace klangor {

namespace {

// An alarm noticed later than this (the computer slept, the clock jumped) still rings, but the
// after-alarm action is not started: nobody chose to power the computer off hours later.
constexpr qint64 kLateLimitMs = 60'000;
// The sound player is readied this long before the alarm's time rather than at Start: it starts
// on time, and a window that waits for hours does not carry it all the while.
constexpr qint64 kSoundReadyAheadMs = 60'000;
// Grace-period ticks before the action runs (Timer2's 3 s each: 15 s).
constexpr int kGraceTicks = 5;
// A grace period that runs behind the clock by more than this was interrupted (the computer
// slept, the program was stopped, the clock jumped): its action is cancelled, not run late.
constexpr qint64 kGraceLateLimitMs = 5'000;

// `text` cut short with an ellipsis where it does not fit the label's box, wrapped at words.
QString fitted(const QLabel* label, const QString& text) {
    const QFontMetrics metrics(label->font());
    const QRect room(QPoint(0, 0), label->contentsRect().size());
    const auto fits = [&](const QString& t) {
        const QRect used = metrics.boundingRect(room, Qt::TextWordWrap, t);
        return used.height() <= room.height() && used.width() <= room.width();
    };
    if (fits(text))
        return text;
    const QChar ellipsis(0x2026);
    qsizetype keep = 0;
    for (qsizetype lo = 0, hi = text.size(); lo <= hi;) {
        const qsizetype mid = (lo + hi) / 2;
        if (fits(text.left(mid) + ellipsis)) {
            keep = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return text.left(keep).trimmed() + ellipsis;
}

// Preset notes of the note box's pop-up menu: object name and caption.
constexpr const char* kPresetNotes[][2] = {
    {"ayunutma1", "Çayı unutma !"},
    {"v1", "Yumurtayı Unutma !"},
    {"v2", "Yemeği Unutma !"},
    {"elefonaacaksnunutmaaa1", "Telefon açacaksın, unutmaaa !"},
    {"Randevuyuunutma1", "Randevuyu unutma !"},
    {"Kapatbilgisayarartk1", "Kapat bilgisayarı artık..."},
};

}  // namespace

AlarmCycle::AlarmCycle(const Platform& platform, const AlarmControls& controls, Sounds& sounds,
                       AfterAlarm& afterAlarm, QObject* parent)
    : QObject(parent),
      Timer1(makeHeartbeat(this, "Timer1", 500)),
      Timer2(makeHeartbeat(this, "Timer2", 3000)),
      graceCountdown(makeHeartbeat(this, "graceCountdown", 1000)),
      ppText(new QMenu(controls.window)),
      platform_(platform),
      ui_(controls),
      sounds_(sounds),
      afterAlarm_(afterAlarm) {
    ui_.picker->setDisplayFormat(LongTimeFormat());
    ui_.picker->setWrapping(true);  // 23 -> 00 in the hour field, as a clock does
    new alarm::TimeTyping(ui_.picker);

    connect(ui_.startButton, &QPushButton::clicked, this, &AlarmCycle::Button1Click);
    connect(ui_.cancelButton, &QPushButton::clicked, this, &AlarmCycle::Button2Click);
    connect(Timer1, &QTimer::timeout, this, &AlarmCycle::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &AlarmCycle::Timer2Timer);
    connect(graceCountdown, &QTimer::timeout, this, &AlarmCycle::graceCountdownTimer);
    // A failed action is said in the window too, in the notification's words, until the next
    // Start or Stop: without a notification service the window is all the user has.
    connect(&afterAlarm_, &AfterAlarm::failed, this, [this](int entry, const QString& why) {
        showActionNote(
            [entry, why](lang::Language l) { return lang::actionFailedNotice(l, entry, why); });
    });
    QPalette warning = ui_.actionNote->palette();
    warning.setColor(QPalette::WindowText, QColor(176, 0, 0));
    ui_.actionNote->setPalette(warning);
    // As on any desktop, Enter presses the focused button, not only Space.
    for (QPushButton* b : {ui_.startButton, ui_.cancelButton})
        b->setAutoDefault(true);

    using alarm::EventHook;
    EventHook::install(this, std::initializer_list<QObject*>{ui_.timeCaption},
                       [this](QObject*, QEvent* e) {
                           if (e->type() == QEvent::MouseButtonDblClick)
                               Label1DblClick();
                           return false;
                       });
    // "*" in the picker opens the quick-delay panel; the key still reaches the picker.
    EventHook::install(this, std::initializer_list<QObject*>{ui_.picker},
                       [this](QObject*, QEvent* e) {
                           if (e->type() == QEvent::KeyPress) {
                               const QString text = static_cast<QKeyEvent*>(e)->text();
                               if (text.size() == 1)
                                   wwDBDateTimePicker1KeyPress(text.at(0));
                           }
                           return false;
                       });
    // The note is one paragraph: Enter does not break the line.
    EventHook::install(this, std::initializer_list<QObject*>{ui_.note}, [](QObject*, QEvent* e) {
        return e->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent*>(e)->key());
    });
    setUpPresetNotes();
}

void AlarmCycle::setUpPresetNotes() {
    ppText->setObjectName(QStringLiteral("ppText"));
    for (const auto& [name, caption] : kPresetNotes) {
        auto* entry = new QAction(QString::fromUtf8(caption), ppText);
        entry->setObjectName(QString::fromLatin1(name));
        // The caption as written, even if a desktop adds accelerator marks to the shown text.
        entry->setData(QString::fromUtf8(caption));
        ppText->addAction(entry);
    }
    connect(ppText, &QMenu::triggered, this, &AlarmCycle::ayunutma1Click);
    ui_.note->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui_.note, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ppText->popup(ui_.note->viewport()->mapToGlobal(pos)); });
}

void AlarmCycle::setLanguage(lang::Language language) {
    language_ = language;
    afterAlarm_.setLanguage(language);
    renderActionNote();
}

void AlarmCycle::showActionNote(std::function<QString(lang::Language)> text) {
    actionNote_ = std::move(text);
    renderActionNote();
}

void AlarmCycle::renderActionNote() {
    const QString text = actionNote_ ? actionNote_(language_) : QString();
    if (text == ui_.actionNote->toolTip())
        return;
    qCDebug(lcAlarm).noquote() << "the window says:" << (text.isEmpty() ? "(nothing)" : text);
    ui_.actionNote->setText(fitted(ui_.actionNote, text));
    ui_.actionNote->setToolTip(text);  // the whole text, where the box cut it short
}

bool AlarmCycle::armed() const {
    return Timer1->isActive();
}

void AlarmCycle::Button1Click() {
    // During the grace period Start (or F5) cancels the pending action and does nothing else:
    // arming the time that just rang would ring again at once, or tomorrow, and run the action
    // after all. The alarm stays idle and the window where it is.
    if (Timer2->isActive()) {
        ui_.delayPanel->hide();
        Button2Click();
        return;
    }
    startOrStop(QDateTime());
}

void AlarmCycle::armAt(const QDateTime& deadline) {
    startOrStop(deadline);
}

void AlarmCycle::startOrStop(const QDateTime& deadline) {
    // Whatever happens next, a pending after-alarm action is cancelled.
    ui_.delayPanel->hide();
    endGrace();
    showActionNote({});

    if (lang::isStartCaption(ui_.startButton->text())) {
        afterAlarm_.clear();  // the action is taken when the alarm fires
        platform_.window->minimize(ui_.window);
        ui_.startButton->setText(lang::stopCaption(language_));
        const QDateTime now = platform_.clock->now();
        _startTime = now.time();
        // The picker shows whole seconds; milliseconds left over from "now" must not delay a
        // typed alarm time.
        const QTime picked = ui_.picker->time();
        _endTime = QTime(picked.hour(), picked.minute(), picked.second());
        _endAt = deadline.isValid() ? deadline : alarm::nextOccurrence(now, _endTime);
        const QString format = LongTimeFormat();
        ui_.startedAt->setText(QLocale().toString(_startTime, format));
        ui_.endsAt->setText(alarm::endText(now, _endAt, QLocale(), format));
        emit statusLineChanged();
        Timer1->start(alarm::nextTickMs(now.msecsTo(_endAt)));
        ui_.picker->setEnabled(false);
    } else {
        ui_.startButton->setText(lang::startCaption(language_));
        Timer1->stop();
        ui_.picker->setEnabled(true);
    }
}

void AlarmCycle::Timer1Timer() {
    if (!Timer1->isActive())  // a tick that was already queued when the alarm stopped
        return;
    // The wall clock is asked at every tick, so a suspend or a clock change never shifts the
    // alarm: it rings at the first tick at or after its deadline.
    const QDateTime now = platform_.clock->now();
    const qint64 msLeft = now.msecsTo(_endAt);
    if (msLeft > 0) {
        if (msLeft <= kSoundReadyAheadMs)
            sounds_.prepare();
        ui_.remaining->setText(alarm::remainingText(msLeft));
        Timer1->start(alarm::nextTickMs(msLeft));
        return;
    }

    Timer1->stop();
    qCDebug(lcAlarm) << "rang" << -msLeft << "ms after" << _endAt.toString(Qt::ISODateWithMs);
    ui_.picker->setTime(now.time());
    // Nothing remains to count down, even where the last tick was hours ago.
    ui_.remaining->setText(alarm::remainingText(0));
    afterAlarm_.takeFromList();
    QString skipped;
    if (-msLeft > kLateLimitMs) {
        // Only this ring goes without its action: the list keeps the choice for the next alarm.
        if (afterAlarm_.pending()) {
            skipped = lang::lateAlarmSkippedAction(language_, afterAlarm_.exec());
            showActionNote([action = afterAlarm_.exec()](lang::Language l) {
                return lang::lateAlarmSkippedAction(l, action);
            });
            qCWarning(lcAlarm).noquote()
                << "alarm noticed" << -msLeft / 1000 << "s after its time: the after-alarm action"
                << afterAlarm_.shut() << "(" + afterAlarm_.exec() + ")"
                << "is skipped because the alarm was noticed late";
        } else {
            qCWarning(lcAlarm) << "alarm noticed" << -msLeft / 1000 << "s after its time";
        }
        afterAlarm_.clear();
    }
    _tmr = kGraceTicks;
    ui_.startButton->setText(lang::startCaption(language_));
    ui_.picker->setEnabled(true);

    // The notification goes first, before the sound, its pause and the window's return, so that
    // it is the first thing the desktop shows of this ring. One notification: a pending action
    // and the note are one message, with the action's Stop.
    const QString note = ui_.messageAlert->isChecked() ? ui_.note->toPlainText() : QString();
    if (afterAlarm_.pending()) {
        Timer2->start();
        // The window says what comes, and counts the seconds down beside Timer2's ticks.
        graceStart_ = platform_.clock->now();
        countdownTicks_ = 0;
        graceCountdown->start();
        // A file to open goes by its name alone here: a long path would push the seconds out.
        const QString shownExec = afterAlarm_.shut() == AfterAlarm::ExecuteCommand
                                      ? QFileInfo(afterAlarm_.exec()).fileName()
                                      : afterAlarm_.exec();
        showActionNote([this, shownExec](lang::Language l) {
            return lang::actionComingNotice(l, afterAlarm_.shut(), graceSecondsLeft(), shownExec);
        });
        ui_.cancelButton->show();
        afterAlarm_.announce(note, kGraceTicks * Timer2->interval() / 1000,
                             [this] { Button2Click(); });
    } else if (ui_.messageAlert->isChecked() || !skipped.isEmpty()) {
        // A user who walked away expecting the action learns why it did not happen.
        QStringList body{note, skipped};
        body.removeAll(QString());
        platform_.notifier->notify(QStringLiteral("Klangor"), body.join(QLatin1Char('\n')));
    }

    if (ui_.soundAlert->isChecked()) {
        const int sound = ui_.sound->currentIndex();
        sounds_.PlaySnd(sound);
        if (ui_.repeatTwice->isChecked()) {
            platform_.sleeper->sleepMs(2000);
            sounds_.PlaySnd(sound);
        }
    }
    // A pending action is never hidden: the window comes back (without taking the keyboard) with
    // its Stop button even without "Message Alert".
    if (ui_.messageAlert->isChecked() || afterAlarm_.pending())
        platform_.window->restoreAndRaise(ui_.window);
}

int AlarmCycle::graceSecondsLeft() const {
    const qint64 total = qint64(kGraceTicks) * Timer2->interval();
    const qint64 left = total - graceStart_.msecsTo(platform_.clock->now());
    return static_cast<int>(std::clamp<qint64>((left + 999) / 1000, 1, total / 1000));
}

bool AlarmCycle::graceLate(qint64 expectedMs) const {
    return graceStart_.msecsTo(platform_.clock->now()) - expectedMs > kGraceLateLimitMs;
}

void AlarmCycle::Timer2Timer() {
    if (!Timer2->isActive())  // cancelled: the action must not run
        return;
    --_tmr;
    if (const qint64 expected = qint64(kGraceTicks - _tmr) * Timer2->interval();
        graceLate(expected)) {
        cancelLateGrace(expected);
        return;
    }
    if (_tmr > 0)
        return;
    Timer1->stop();
    endGrace();
    showActionNote({});
    afterAlarm_.DoShutAction();
}

void AlarmCycle::graceCountdownTimer() {
    if (!Timer2->isActive()) {
        graceCountdown->stop();
        return;
    }
    ++countdownTicks_;
    if (const qint64 expected = qint64(countdownTicks_) * graceCountdown->interval();
        graceLate(expected)) {
        cancelLateGrace(expected);
        return;
    }
    renderActionNote();
}

void AlarmCycle::cancelLateGrace(qint64 expectedMs) {
    const qint64 behind = graceStart_.msecsTo(platform_.clock->now()) - expectedMs;
    const QString action = afterAlarm_.exec();
    qCWarning(lcAlarm).noquote() << "the grace period ran" << behind / 1000
                                 << "s behind the clock: the after-alarm action"
                                 << afterAlarm_.shut() << "(" + action + ")"
                                 << "is cancelled (the computer slept or the clock jumped)";
    endGrace();
    afterAlarm_.clear();
    showActionNote(
        [action](lang::Language l) { return lang::lateGraceCancelledAction(l, action); });
    platform_.notifier->notify(QStringLiteral("Klangor"),
                               lang::lateGraceCancelledAction(language_, action));
}

void AlarmCycle::endGrace() {
    Timer2->stop();
    graceCountdown->stop();
    ui_.cancelButton->hide();
    afterAlarm_.withdrawAnnouncement();
}

void AlarmCycle::Button2Click() {
    endGrace();
    showActionNote({});
}

void AlarmCycle::Label1DblClick() {
    if (ui_.picker->isEnabled())
        ui_.picker->setTime(platform_.clock->now().time());
}

void AlarmCycle::wwDBDateTimePicker1KeyPress(QChar key) {
    if (key == QLatin1Char('*'))
        emit delayPanelRequested();
}

void AlarmCycle::ayunutma1Click(QAction* sender) {
    const QString caption = sender->data().toString();
    ui_.note->setPlainText(caption.isEmpty() ? sender->text() : caption);
}

}  // namespace klangor
