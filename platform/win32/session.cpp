// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session.h"
#include "platform/win32/win32_console.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>
#include <QWidget>

namespace klangor {

// Windows always has its desktop: nothing to choose.
QString prepareDisplay() {
    return {};
}

// Logging off or shutting down Windows ends the session: close the window the normal way, so
// that its settings are saved while the program still may.
void closeOnQuitRequests(QWidget* window) {
    QPointer<QWidget> target(window);
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, window,
                     [target](QSessionManager&) {
                         if (target)
                             target->close();
                     });
}

// Windows' own sound player leaves no thread of ours behind.
void endAtOnceIfSoundIsStuck(int) {}

void tellCommandLineUser(const QString& text, bool error) {
    tellCommandLineUser(text.toStdWString(), error);
}

}  // namespace klangor
