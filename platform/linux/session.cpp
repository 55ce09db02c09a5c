// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session.h"
#include "platform/logging.h"
#include "platform/qt/lazy_sound_player.h"

#include "platform/linux/bus_probe.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

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

// How long the start waits for the session bus to answer.
constexpr int kSessionBusWaitMs = 3000;

// Qt's bridge to screen readers asks the session bus for their bus from the window's thread,
// without a time limit, as the first window is made. A session bus that does not answer would
// hold the window back for as long as it stalls, an alarm on the command line with it. So when
// the bus has not answered within a few seconds, this run goes without the bridge (it is given
// an address where nothing listens) and the window comes up.
void leaveOutScreenReadersIfTheSessionBusStalls() {
    if (!qEnvironmentVariableIsEmpty("AT_SPI_BUS_ADDRESS"))
        return;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread probe([&] {
        waitForBus(sessionBusAddresses(), stop);
        done.store(true);
    });
    QDeadlineTimer deadline(kSessionBusWaitMs);
    while (!done.load() && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop.store(true);
    probe.join();
    if (done.load() && !deadline.hasExpired())
        return;
    qCWarning(lcWindow) << "the session bus did not answer within" << kSessionBusWaitMs
                        << "ms: screen readers cannot see the window in this run";
    qputenv("AT_SPI_BUS_ADDRESS", "unix:path=/dev/null");
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
    leaveOutScreenReadersIfTheSessionBusStalls();
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

void tellCommandLineUser(const QString& text, bool error) {
    std::fprintf(error ? stderr : stdout, "%s\n", qPrintable(text));
}

}  // namespace klangor
