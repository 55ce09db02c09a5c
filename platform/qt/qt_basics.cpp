// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_basics.h"
#include "platform/logging.h"
#include "platform/qt/window_placement.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocale>
#include <QScreen>
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
        if (window->isMinimized() && handle && ways_.keepsMinimisedMapped &&
            ways_.keepsMinimisedMapped(handle)) {
            // A map request for a window that is still mapped does nothing, and the requests
            // that would restore it also give it the keyboard. The window is withdrawn and
            // shown anew instead: the window manager takes it as a new window that asks not to
            // be focused, and puts it up where it was, in its layer above the others.
            qCDebug(lcWindow) << "the window manager keeps the minimised window mapped: showing it"
                                 " anew";
            window->hide();
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->show();
        } else if (window->isMinimized()) {
            window->showNormal();
        } else {
            window->show();
        }
    }
    window->raise();
    // Where the desktop answers a request for attention with a notification of its own, the
    // program's notification of the ring says it already.
    if (!ways_.attentionIsANotification)
        QApplication::alert(window);
}

void QtWindowOps::showWithoutFocus(QWidget* window) {
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
}

namespace {

// How often and how long a window that was just placed looks for its frame.
constexpr int kFrameWatchMs = 50;
constexpr int kFrameWaitMs = 3000;

// Moves the window's frame to the middle of the free area of the screen with the pointer (or
// the primary screen), by what the window system knows of the frame now.
void centre(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qCWarning(lcWindow) << "no screen to place the window on";
        return;
    }
    QWindow* handle = window->windowHandle();
    if (!handle) {
        window->move(centredFramePosition(screen->availableGeometry(), window->size()));
        return;
    }
    handle->setFramePosition(
        centredFramePosition(screen->availableGeometry(), handle->frameGeometry().size()));
}

// An X11 window has no frame until the window manager has mapped it, so it is first centred
// without one. The frame comes with no event of its own (when it is put around the window where
// it stands, nothing moves): this looks for it as the window is exposed or moved and every 50 ms,
// centres the frame once it is known, and ends; without a window manager, after 3 s.
class FrameWatch final : public QObject {
public:
    explicit FrameWatch(QWidget* window) : QObject(window), window_(window) {
        placedWith_ = margins();
        centre(window_);
        window_->installEventFilter(this);
        if (QWindow* handle = window_->windowHandle())
            handle->installEventFilter(this);
        timer_.setInterval(kFrameWatchMs);
        connect(&timer_, &QTimer::timeout, this, &FrameWatch::look);
        timer_.start();
        since_.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && watched == window_ && !done_ &&
            !timer_.isActive() && !window_->isMinimized()) {
            // Restored: the frame is looked for again, for as long as at first.
            since_.restart();
            timer_.start();
        }
        if (event->type() == QEvent::Move || event->type() == QEvent::Expose ||
            event->type() == QEvent::WindowStateChange)
            QMetaObject::invokeMethod(this, &FrameWatch::look, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QMargins margins() const {
        // Asked of the window system: the widget's own copy is renewed only when it moves.
        const QWindow* handle = window_->windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }

    // While the window manager builds its frame Qt may measure it half made (openbox's starts
    // as 1 x 1, giving margins below zero): such a frame is not the one to centre.
    static bool plausible(const QMargins& m) {
        return m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0;
    }

    void look() {
        if (done_)
            return;
        // Moving a window restores it (Qt's X11 windows leave the minimised state when moved):
        // a window minimised as it opens, as work started from the command line does, is placed
        // once it is restored.
        if (window_->isMinimized()) {
            timer_.stop();
            return;
        }
        const QMargins frame = margins();
        if (!plausible(frame)) {
            if (since_.hasExpired(kFrameWaitMs))
                stop();
            return;
        }
        if (frame != placedWith_) {
            placedWith_ = frame;
            centre(window_);
        }
        if (!frame.isNull() || since_.hasExpired(kFrameWaitMs))
            stop();
    }

    void stop() {
        done_ = true;
        timer_.stop();
        deleteLater();
    }

    QWidget* window_;
    QMargins placedWith_;
    QTimer timer_;
    QElapsedTimer since_;
    bool done_ = false;
};

}  // namespace

void QtWindowOps::placeCentred(QWidget* window) {
    new FrameWatch(window);  // a child of the window; it ends itself
}

QString QtLocaleInfo::languageName() const {
    return QLocale::languageToString(QLocale::system().language());
}

std::optional<QString> QtFileChooser::chooseFile(QWidget* parent, const QString& folder) {
    const QString path = QFileDialog::getOpenFileName(parent, QString(), folder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

}  // namespace klangor
