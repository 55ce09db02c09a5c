#include "alarm/alarm_time.h"
#include "alarm/event_hook.h"
#include "app/form1.h"
#include "app/time_format.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>

Q_LOGGING_CATEGORY(lcAlarm, "klangor.alarm")

namespace {

// An alarm noticed later than this (the computer slept, the clock jumped) still rings, but the
// after-alarm action is not started: nobody chose to power the computer off hours later.
constexpr qint64 kLateLimitMs = 60'000;
// The sound player is readied this long before the alarm's time rather than at Start: it starts
// on time, and a window that waits for hours does not carry it all the while.
constexpr qint64 kSoundReadyAheadMs = 60'000;

// Preset notes of the note box's pop-up menu: object name and caption.
constexpr const char* kPresetNotes[][2] = {
    {"ayunutma1", "Çayı unutma !"},
    {"v1", "Yumurtayı Unutma !"},
    {"v2", "Yemeği Unutma !"},
    {"elefonaacaksnunutmaaa1", "Telefon açacaksın, unutmaaa !"},
    {"Randevuyuunutma1", "Randevuyu unutma !"},
    {"Kapatbilgisayarartk1", "Kapat bilgisayarı artık..."},
};

bool isTurkish(const QString& lang) {
    return lang == QLatin1String("TR");
}

QString startCaption(const QString& lang) {
    return isTurkish(lang) ? QStringLiteral("Horozu Kur") : QStringLiteral("Start");
}

QString stopCaption(const QString& lang) {
    return isTurkish(lang) ? QStringLiteral("Horozu Kes") : QStringLiteral("Stop");
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

void TForm1::setUpAlarm() {
    using klangor::alarm::EventHook;

    wwDBDateTimePicker1->setDisplayFormat(LongTimeFormat());
    wwDBDateTimePicker1->setWrapping(true);  // 23 -> 00 in the hour field, as a clock does

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    // As on any desktop, Enter presses the focused button, not only Space.
    for (QPushButton* b : {Button1, Button2})
        b->setAutoDefault(true);

    EventHook::install(this, std::initializer_list<QObject*>{Label1}, [this](QObject*, QEvent* e) {
        if (e->type() == QEvent::MouseButtonDblClick)
            Label1DblClick();
        return false;
    });
    // "*" in the picker opens the quick-delay panel; the key still reaches the picker.
    EventHook::install(this, std::initializer_list<QObject*>{wwDBDateTimePicker1},
                       [this](QObject*, QEvent* e) {
                           if (e->type() == QEvent::KeyPress) {
                               const QString text = static_cast<QKeyEvent*>(e)->text();
                               if (text.size() == 1)
                                   wwDBDateTimePicker1KeyPress(text.at(0));
                           }
                           return false;
                       });
    // The note is one paragraph: Enter does not break the line.
    EventHook::install(this, std::initializer_list<QObject*>{ComboBox1}, [](QObject*, QEvent* e) {
        return e->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent*>(e)->key());
    });

    for (const auto& [name, caption] : kPresetNotes) {
        auto* entry = new QAction(QString::fromUtf8(caption), ppText);
        entry->setObjectName(QString::fromLatin1(name));
        // The caption as written, even if a desktop adds accelerator marks to the shown text.
        entry->setData(QString::fromUtf8(caption));
        ppText->addAction(entry);
    }
    connect(ppText, &QMenu::triggered, this, &TForm1::ayunutma1Click);
    ComboBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ComboBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ppText->popup(ComboBox1->viewport()->mapToGlobal(pos)); });
}

void TForm1::Button1Click() {
    startOrStopAlarm(QDateTime());
}

void TForm1::startOrStopAlarm(const QDateTime& deadline) {
    // Whatever happens next, a pending after-alarm action is cancelled.
    Panel2->hide();
    Timer2->stop();
    Button2->hide();

    const QString caption = Button1->text();
    if (caption == QLatin1String("Start") || caption == QLatin1String("Horozu Kur")) {
        _shut = -1;  // the action is taken when the alarm fires
        _exec.clear();
        platform_.window->minimize(this);
        Button1->setText(stopCaption(_lang));
        const QDateTime now = platform_.clock->now();
        _startTime = now.time();
        // The picker shows whole seconds; milliseconds left over from "now" must not delay a
        // typed alarm time.
        const QTime picked = wwDBDateTimePicker1->time();
        _endTime = QTime(picked.hour(), picked.minute(), picked.second());
        _endAt = deadline.isValid() ? deadline : klangor::alarm::nextOccurrence(now, _endTime);
        const QString format = LongTimeFormat();
        lblStart->setText(QLocale().toString(_startTime, format));
        lblEnd->setText(QLocale().toString(_endTime, format));
        Timer1->start(klangor::alarm::nextTickMs(now.msecsTo(_endAt)));
        wwDBDateTimePicker1->setEnabled(false);
    } else {
        Button1->setText(startCaption(_lang));
        Timer1->stop();
        wwDBDateTimePicker1->setEnabled(true);
    }
}

void TForm1::Timer1Timer() {
    if (!Timer1->isActive())  // a tick that was already queued when the alarm stopped
        return;
    // The wall clock is asked at every tick, so a suspend or a clock change never shifts the
    // alarm: it rings at the first tick at or after its deadline.
    const QDateTime now = platform_.clock->now();
    const qint64 msLeft = now.msecsTo(_endAt);
    if (msLeft > 0) {
        if (msLeft <= kSoundReadyAheadMs)
            platform_.sound->prepare();
        lblx->setText(klangor::alarm::remainingText(msLeft));
        Timer1->start(klangor::alarm::nextTickMs(msLeft));
        return;
    }

    Timer1->stop();
    qCDebug(lcAlarm) << "rang" << -msLeft << "ms after" << _endAt.toString(Qt::ISODateWithMs);
    wwDBDateTimePicker1->setTime(now.time());
    if (-msLeft > kLateLimitMs) {
        qCWarning(lcAlarm) << "alarm noticed" << -msLeft / 1000
                           << "s after its time; the after-alarm action is skipped";
        _shut = -1;
        _exec.clear();
    } else {
        _shut = CheckBox3->currentIndex();
        _exec = CheckBox3->currentText();
    }
    _tmr = 5;
    Button1->setText(startCaption(_lang));
    wwDBDateTimePicker1->setEnabled(true);

    if (CheckBox1->isChecked()) {
        const int sound = salarm->currentIndex();
        PlaySnd(sound);
        if (chkTwo->isChecked()) {
            platform_.sleeper->sleepMs(2000);
            PlaySnd(sound);
        }
    }
    if (CheckBox2->isChecked()) {
        platform_.window->restoreAndRaise(this);
        platform_.notifier->notify(QStringLiteral("Klangor"), ComboBox1->toPlainText());
    }
    if (_shut > 0) {
        Timer2->start();
        Button2->show();
    }
}

void TForm1::Timer2Timer() {
    if (!Timer2->isActive())  // cancelled: the action must not run
        return;
    --_tmr;
    if (_tmr > 0)
        return;
    Timer1->stop();
    Timer2->stop();
    Button2->hide();
    DoShutAction();
}

void TForm1::Button2Click() {
    Button2->hide();
    Timer2->stop();
}

void TForm1::Label1DblClick() {
    if (wwDBDateTimePicker1->isEnabled())
        wwDBDateTimePicker1->setTime(platform_.clock->now().time());
}

void TForm1::wwDBDateTimePicker1KeyPress(QChar key) {
    if (key == QLatin1Char('*'))
        BitBtn1Click();
}

void TForm1::ayunutma1Click(QAction* sender) {
    const QString caption = sender->data().toString();
    ComboBox1->setPlainText(caption.isEmpty() ? sender->text() : caption);
}

QString TwoDigits(const QString& text) {
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}
