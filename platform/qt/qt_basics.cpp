#include "platform/qt/qt_basics.h"
#include "platform/logging.h"
#include "platform/qt/window_placement.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLocale>
#include <QScreen>
#include <QThread>
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

void QtWindowOps::restoreAndRaise(QWidget* window) {
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    // Window managers may refuse to hand over the focus; then at least ask for attention.
    if (!window->isActiveWindow())
        QApplication::alert(window);
}

void QtWindowOps::startDrag(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle || !handle->startSystemMove())
        qCWarning(lcWindow) << "the window manager did not start a window move";
}

void QtWindowOps::placeCentred(QWidget* window) {
    // The screen the user is working on is the one with the pointer.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qCWarning(lcWindow) << "no screen to place the window on";
        return;
    }
    // The frame as the window system knows it now (before the window manager has framed the
    // window: the window itself), and its position set directly.
    const QWindow* handle = window->windowHandle();
    const QSize frame = handle ? handle->frameGeometry().size() : window->frameGeometry().size();
    const QPoint at = centredFramePosition(screen->availableGeometry(), frame);
    if (QWindow* h = window->windowHandle())
        h->setFramePosition(at);
    else
        window->move(at);
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
