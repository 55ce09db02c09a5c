#include "platform/qt/qt_shell.h"
#include "platform/logging.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace klangor {

namespace {

/// Whether the system can start `file` as a program: the execute permission alone is not
/// enough (every file on a FAT or NTFS stick has it), it must also be a binary or a script.
bool isProgram(const QFileInfo& file) {
    if (!file.isFile() || !file.isExecutable())
        return false;
    // Executable but not readable (mode 0711): only a binary runs so, and only the system can
    // start it; the desktop's opener could not even look at it.
    if (!file.isReadable())
        return true;
    QFile f(file.absoluteFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const char elfMagic[] = {0x7f, 'E', 'L', 'F'};
    const QByteArray head = f.read(4);
    return head.startsWith("#!") || head == QByteArray::fromRawData(elfMagic, 4);
}

}  // namespace

bool QtShell::open(const std::string& target) {
    const QString text = QString::fromStdString(target);
    if (text.isEmpty())
        return false;
    const QFileInfo file(text);
    if (file.isAbsolute()) {
        if (!file.exists()) {
            qCWarning(lcShell) << "no such file:" << text;
            return false;
        }
        if (isProgram(file)) {
            // Never through a shell: the path is the program itself, whatever characters it
            // holds, and it gets no arguments.
            const bool ok =
                QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
            if (!ok)
                qCWarning(lcShell) << "could not start" << text;
            return ok;
        }
        const bool ok = QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
        if (!ok)
            qCWarning(lcShell) << "the desktop could not open" << text;
        return ok;
    }
    // Not a path: it must be an address with a scheme (https:, mailto:, ...).
    const QUrl url(text);
    if (!url.isValid() || url.scheme().size() < 2) {
        qCWarning(lcShell) << "neither an absolute path nor an address:" << text;
        return false;
    }
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qCWarning(lcShell) << "the desktop could not open" << text;
    return ok;
}

}  // namespace klangor
