// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_shell.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <utility>

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

/// What the opener's exit code means (xdg-open's documented codes), for when it printed nothing.
QString openerVerdict(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("the opener did not accept the request");
        case 2:
            return QStringLiteral("the file does not exist");
        case 3:
            return QStringLiteral("no program is set up to open it");
        case 4:
            return QStringLiteral("the program that opens it failed");
        default:
            return QStringLiteral("the opener ended with code %1").arg(code);
    }
}

/// An opener that ends in failure this long after the request is taken to speak of the
/// program it started (an editor closed hours later), not of the opening: that is only logged.
constexpr qint64 kVerdictWindowMs = 60'000;

}  // namespace

QtShell::QtShell(QString opener) : opener_(std::move(opener)) {}

void QtShell::setLateFailureHandler(LateFailure handler) {
    lateFailure_ = std::move(handler);
}

bool QtShell::openWithDesktop(const QString& what) {
    // The process belongs to the application, so that one still running when the program ends
    // is reaped; it deletes itself when the opener ends.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener_);
    process->setArguments({what});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer since;
    since.start();
    const LateFailure report = lateFailure_;
    QObject::connect(
        process, &QProcess::finished, process,
        [process, what, since, report](int code, QProcess::ExitStatus status) {
            process->deleteLater();
            if (status == QProcess::NormalExit && code == 0)
                return;
            QString reason = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
            reason = reason.section(QLatin1Char('\n'), -1).trimmed();
            if (reason.isEmpty())
                reason = status == QProcess::CrashExit ? QStringLiteral("the opener crashed")
                                                       : openerVerdict(code);
            if (since.elapsed() > kVerdictWindowMs) {
                qCInfo(lcShell) << "the program opened for" << what << "ended:" << reason;
                return;
            }
            qCWarning(lcShell) << "the desktop could not open" << what << ":" << reason;
            if (report)
                report(what.toStdString(), reason.toStdString());
        });
    process->start();
    if (!process->waitForStarted(5000)) {
        qCWarning(lcShell) << "could not start" << opener_ << "to open" << what << ":"
                           << process->errorString();
        delete process;
        return false;
    }
    return true;
}

// A program we may run but not read: a binary runs so, a script does not (its interpreter cannot
// read it either), and which of the two it is cannot be told beforehand. So its start is
// watched, and an end in failure soon after comes back as the opener's verdict does.
bool QtShell::startUnseen(const QString& program) {
    // Without a parent: a program still running when this one ends is never killed with it.
    // The object goes when the program ends, or is left to the end of the process.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setWorkingDirectory(QFileInfo(program).absolutePath());
    process->setStandardInputFile(QProcess::nullDevice());
    // Its output goes where ours goes, so that it never writes into a pipe nobody reads.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer since;
    since.start();
    const LateFailure report = lateFailure_;
    QObject::connect(process, &QProcess::finished, process,
                     [process, program, since, report](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code == 0)
                             return;
                         const QString reason =
                             status == QProcess::CrashExit
                                 ? QStringLiteral("it crashed")
                                 : QStringLiteral("it ended with code %1").arg(code);
                         if (since.elapsed() > kVerdictWindowMs) {
                             qCInfo(lcShell) << "the program" << program << "ended:" << reason;
                             return;
                         }
                         qCWarning(lcShell) << "could not run" << program << ":" << reason;
                         if (report)
                             report(program.toStdString(), reason.toStdString());
                     });
    process->start();
    if (!process->waitForStarted(5000)) {
        qCWarning(lcShell) << "could not start" << program << ":" << process->errorString();
        delete process;
        return false;
    }
    return true;
}

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
        if (isProgram(file) && !file.isReadable())
            return startUnseen(file.absoluteFilePath());
        if (isProgram(file)) {
            // Never through a shell: the path is the program itself, whatever characters it
            // holds, and it gets no arguments.
            const bool ok =
                QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
            if (!ok)
                qCWarning(lcShell) << "could not start" << text;
            return ok;
        }
        return openWithDesktop(file.absoluteFilePath());
    }
    // Not a path: it must be an address with a scheme (https:, mailto:, ...).
    const QUrl url(text);
    if (!url.isValid() || url.scheme().size() < 2) {
        qCWarning(lcShell) << "neither an absolute path nor an address:" << text;
        return false;
    }
    return openWithDesktop(url.toString(QUrl::FullyEncoded));
}

}  // namespace klangor
