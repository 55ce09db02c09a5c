#include "app/form1.h"
#include "app/time_format.h"
#include "repeater/form4.h"

#include <cstdlib>

namespace {
// The sound player is readied this long before a first warning is due (three checks of the
// 30 s timer), not at Start, so that the repeater does not carry it through a long period.
constexpr qint64 kSoundReadyAheadMs = 90'000;
}  // namespace

// The status lines take their leading text from their tool-tips, which the language sets and
// keeps from popping up (setUpLanguage).
void TForm1::setUpRepeater() {
    connect(repeater_start, &QPushButton::clicked, this, &TForm1::repeater_startClick);
    connect(repeater_stop, &QPushButton::clicked, this, &TForm1::repeater_stopClick);
    connect(repeater, &QTimer::timeout, this, &TForm1::repeaterTimer);
    connect(repear_end, &QTimer::timeout, this, &TForm1::repear_endTimer);
}

void TForm1::repeater_startClick() {
    repeater_start->hide();
    repeater_stop->show();
    const QDateTime now = platform_.clock->now();
    xbegin = now;
    repeater->stop();
    repear_end->stop();
    const QString firstWarning =
        xbegin.addSecs(qint64(SpinValue(xMinutes)) * 60).toString(QStringLiteral("HH:mm:ss"));
    repear_end->setInterval(SpinValue(xMinutes2) * 60000);
    repeater->start();
    lblstatus->setText(lblstatus->toolTip());
    lblBegin->setText(lblBegin->toolTip() + LongTimeText(now.time()) + QStringLiteral(" >>> ") +
                      firstWarning);
    lblEndx->clear();
    lblLastx->clear();
    platform_.window->minimize(this);
}

void TForm1::repeaterTimer() {
    const QDateTime now = platform_.clock->now();
    const qint64 elapsedMs = std::llabs(xbegin.msecsTo(now));
    const qint64 periodMs = qint64(SpinValue(xMinutes)) * 60000;
    // The second warning follows the first, so one readying serves both.
    if (elapsedMs + kSoundReadyAheadMs >= periodMs)
        platform_.sound->prepare();
    if (elapsedMs < periodMs)  // not yet a whole N minutes
        return;
    // The next period starts now, not at the planned time.
    xbegin = now;
    lblLastx->setText(lblLastx->toolTip() + LongTimeText(now.time()));
    if (chkTurnOff->isChecked())
        form4_->show();
    PlaySnd(sxMinutes->currentIndex());
    // A second warning still pending keeps its schedule.
    if (!repear_end->isActive())
        repear_end->start();
}

void TForm1::repear_endTimer() {
    repear_end->stop();
    PlaySnd(sxMinutes2->currentIndex());
}

void TForm1::repeater_stopClick() {
    repeater->stop();
    repear_end->stop();
    repeater_start->show();
    repeater_stop->hide();
    lblstatus->clear();
    lblEndx->setText(lblEndx->toolTip() + LongTimeText(platform_.clock->now().time()));
}
