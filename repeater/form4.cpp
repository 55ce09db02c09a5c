#include "repeater/form4.h"

#include "app/theme.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

TForm4::TForm4(klangor::Platform platform, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(171, 82);
    QFont base(klangor::installedFamily(QStringLiteral("Tahoma")));
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
    FormShow();
}

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm4::FormShow() {}
void TForm4::FormClose() {}
void TForm4::FormKeyDown(int) {}
void TForm4::Timer1Timer() {}
void TForm4::Button1Click() {}
