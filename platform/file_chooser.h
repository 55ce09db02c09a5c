// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace klangor {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    /// Shows the platform's file-open dialog, opened in `folder`; the full path of the chosen
    /// file, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget* parent, const QString& folder) = 0;
};

}  // namespace klangor
