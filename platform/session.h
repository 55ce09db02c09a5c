// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace klangor {

/// Chooses the windowing platform before the application object exists: on a Wayland session
/// with an X server at hand (and no choice made by the user) the X11 plugin, since staying on
/// top and coming back to the front need it. Returns an error text when there is no display.
QString prepareDisplay();

/// Makes the usual requests to end a program (SIGTERM, SIGINT, SIGHUP; the end of the desktop
/// session) close `window` the normal way, so that its close handler runs.
void closeOnQuitRequests(QWidget* window);

/// Called once the window is gone and its settings are saved: when a sound thread is still stuck
/// in the sound server, ends the process with `exitCode` at once, without the clean-up of the
/// libraries (the sound server's would abort on the stuck thread's lock). Otherwise returns.
void endAtOnceIfSoundIsStuck(int exitCode);

/// Tells the user who started the program from a command line `text` (one or more lines): on
/// the standard output, or with `error` on the standard error. A Windows program started from
/// Explorer, which has neither, shows it in a message box.
void tellCommandLineUser(const QString& text, bool error);

}  // namespace klangor
