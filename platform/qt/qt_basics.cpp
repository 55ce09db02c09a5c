#include "platform/qt/qt_basics.h"
#include "platform/logging.h"

#include <QApplication>
#include <QFileDialog>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace klangor {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

void ThreadSleeper::sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

void QtWindowOps::minimize(QWidget* window) {
    window->showMinimized();
}

bool QtWindowOps::isMinimized(const QWidget* window) const {
    return window->isMinimized();
}

namespace {

// How long a window shown without the focus refuses the focus at most, when the window system
// never says that it has shown it.
constexpr int kRefuseFocusAtMostMs = 3000;

/// Makes `window` refuse the keyboard focus until the window system has shown it (its first
/// expose), then accept it again, so that a click or the task bar activates it as usual. A
/// window manager that gives the focus to every window it restores (openbox does, whatever
/// the window's user time says) then leaves the focus where it is.
class RefuseFocusUntilShown final : public QObject {
public:
    static constexpr const char* kName = "klangorRefuseFocusUntilShown";

    explicit RefuseFocusUntilShown(QWindow* window) : QObject(window), window_(window) {
        setObjectName(QLatin1String(kName));
        window_->setFlag(Qt::WindowDoesNotAcceptFocus, true);
        window_->installEventFilter(this);
        QTimer::singleShot(kRefuseFocusAtMostMs, this, [this] { done(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed())
            QMetaObject::invokeMethod(
                this, [this] { done(); }, Qt::QueuedConnection);
        return false;
    }

private:
    void done() {
        if (finished_)
            return;
        finished_ = true;
        window_->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        deleteLater();
    }

    QWindow* window_;
    bool finished_ = false;
};

}  // namespace

void QtWindowOps::restoreAndRaise(QWidget* window) {
    // The user is busy in another program: the window comes to the front and asks for attention
    // but leaves the keyboard where it is, so that nothing typed meanwhile lands in it.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    QWindow* handle = window->windowHandle();
    if (window->isMinimized() || !window->isVisible()) {
        if (handle && !handle->findChild<QObject*>(QLatin1String(RefuseFocusUntilShown::kName),
                                                   Qt::FindDirectChildrenOnly))
            new RefuseFocusUntilShown(handle);
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
    }
    window->raise();
    QApplication::alert(window);
}

void QtWindowOps::startDrag(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle || !handle->startSystemMove())
        qCWarning(lcWindow) << "the window manager did not start a window move";
}

QString QtLocaleInfo::languageName() const {
    return QLocale::languageToString(QLocale::system().language());
}

std::optional<QString> QtFileChooser::chooseFile(QWidget* parent) {
    const QString path = QFileDialog::getOpenFileName(parent);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

}  // namespace klangor
