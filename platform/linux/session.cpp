// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

namespace klangor {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
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
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        char c;
        [[maybe_unused]] auto n = ::read(signalPipe[0], &c, 1);
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

void tellCommandLineUser(const QString& text, bool error) {
    std::fprintf(error ? stderr : stdout, "%s\n", qPrintable(text));
}

}  // namespace klangor
