// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session.h"
#include "platform/logging.h"
#include "platform/qt/lazy_sound_player.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace klangor {

namespace {

int signalPipe[2] = {-1, -1};

// Never waits: when the pair is full, a request is already waiting there, and one is enough.
void onSignal(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

}  // namespace

QString prepareDisplay() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return {};
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!x11 && !wayland)
        return QStringLiteral(
            "klangor: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    if (x11 && wayland)
        qputenv("QT_QPA_PLATFORM", "xcb");
    return {};
}

void closeOnQuitRequests(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        // Every request that came meanwhile is one and the same.
        char buffer[256];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (target)
            target->close();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);

    // The session manager ends the session: close the window (saving its settings) while the
    // program may still write.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, window,
                     [target](QSessionManager&) {
                         if (target)
                             target->close();
                     });
}

void endAtOnceIfSoundIsStuck(int exitCode) {
    if (!LazySoundPlayer::threadsLeftBehind())
        return;
    qCWarning(lcSound) << "a sound thread is stuck in the sound server; ending without the "
                          "libraries' clean-up";
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(exitCode);
}

}  // namespace klangor
