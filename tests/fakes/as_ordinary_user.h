// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// File permissions do not bind root, which reads every file. A test of what an ordinary user
// meets runs itself again as one (nobody, through setpriv) when it finds itself root.

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <unistd.h>

namespace klangor::test {

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

/// Runs the test function `function` of this test program as the user nobody, in `env`; fails
/// the calling test with the child's output when the child fails.
#define KLANGOR_RERUN_AS_ORDINARY_USER(function, env)                                           \
    do {                                                                                        \
        QProcess rerun;                                                                         \
        rerun.setProcessEnvironment(env);                                                       \
        rerun.setProcessChannelMode(QProcess::MergedChannels);                                  \
        rerun.start(QStringLiteral("setpriv"),                                                  \
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),          \
                     QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(), \
                     QStringLiteral(function)});                                                \
        QVERIFY2(rerun.waitForFinished(60000), "setpriv did not finish");                       \
        QVERIFY2(rerun.exitStatus() == QProcess::NormalExit && rerun.exitCode() == 0,           \
                 rerun.readAll().constData());                                                  \
    } while (false)

}  // namespace klangor::test
