#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QUrl>

Q_LOGGING_CATEGORY(lcShell, "klangor.shell")

namespace klangor {

bool QtShell::open(const std::string& target) {
    const QString text = QString::fromStdString(target);
    if (text.isEmpty())
        return false;
    const QFileInfo file(text);
    if (file.isAbsolute() && file.isFile() && file.isExecutable()) {
        // Never through a shell: the path is one argument, whatever characters it holds.
        const bool ok = QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
        if (!ok)
            qCWarning(lcShell) << "could not start" << text;
        return ok;
    }
    const QUrl url = file.isAbsolute() ? QUrl::fromLocalFile(text) : QUrl(text);
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qCWarning(lcShell) << "the desktop could not open" << text;
    return ok;
}

}  // namespace klangor
