// SPDX-License-Identifier: GPL-3.0-or-later
#include "repeater/form4.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <QTimer>

TForm4::TForm4(klangor::Platform platform, const QString& fontFamily, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)) {
    setupUi(this);
    // A window of its own rather than a dialog: a dialog belongs to the program's other windows
    // (on X11 it is made transient for all of them), and Windows and some window managers keep
    // it out of sight while the main window is minimised, as it is while the repeater runs.
    // Fixed in size, with a close button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(171 + 2 * 4, 82 + 2 * 4);  // the 171 x 82 controls inside a 4 px dialog border
    // Shown on top of the program the user works in, but never given the keyboard: Space or
    // Enter typed there must not press the button.
    setAttribute(Qt::WA_ShowWithoutActivating);
    QFont base = font();
    if (!fontFamily.isEmpty())
        base.setFamily(fontFamily);
    base.setPixelSize(11);
    setFont(base);
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, Label1}) {
        QFont f = w->font();
        f.setPixelSize(16);
        w->setFont(f);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    // Enter on the focused button presses it, as Space does (a plain QWidget has no default
    // button otherwise).
    Button1->setAutoDefault(true);
    Button1->setDefault(true);

    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_F12 || key == Qt::Key_F1) {
            FormKeyDown(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored from the taskbar is shown again too; only a real show counts from 10.
    if (!event->spontaneous())
        FormShow();
}

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm4::FormShow() {
    Timer1->stop();
    rcx = 10;
    Timer1->start();
    Label1->setText(QStringLiteral("10"));
}

void TForm4::FormClose() {
    Timer1->stop();
}

void TForm4::FormKeyDown(int key) {
    if (key == Qt::Key_Escape || key == Qt::Key_F12) {
        Timer1->stop();
        close();
    }
    if (key == Qt::Key_F1) {
        Timer1->stop();
        Button1Click();
    }
}

void TForm4::Timer1Timer() {
    Label1->setText(QString::number(rcx));
    --rcx;
    if (rcx < 0) {
        Timer1->stop();
        close();
    }
}

void TForm4::Button1Click() {
    Timer1->stop();
    // The pause lets the key or click that asked for it end before the monitor goes dark, so
    // that it does not wake the monitor again.
    platform_.sleeper->sleepMs(2000);
    // The user asked for it: a monitor that stays on is said where they look.
    std::shared_ptr<klangor::Notifier> notifier = platform_.notifier;
    const klangor::lang::Language language = language_;
    platform_.monitor->switchOff([notifier, language](bool ok) {
        if (!ok)
            notifier->notify(QStringLiteral("Klangor"),
                             klangor::lang::screenOffFailedNotice(language));
    });
    close();
}
