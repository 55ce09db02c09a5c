// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/shell.h"

#include <QString>

namespace klangor {

/// Starts executables directly with an argument list and hands everything else to the
/// desktop's opener (xdg-open), whose verdict comes back through the late-failure handler.
class QtShell final : public Shell {
public:
    /// `opener` is the desktop's opener: a program that takes one file path or address.
    explicit QtShell(QString opener = QStringLiteral("xdg-open"));

    bool open(const std::string& target) override;
    void setLateFailureHandler(LateFailure handler) override;

private:
    bool openWithDesktop(const QString& what);
    bool startUnseen(const QString& program);

    QString opener_;
    LateFailure lateFailure_;
};

}  // namespace klangor
