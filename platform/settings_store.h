// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace klangor {

/// The place where the program's settings live between runs (a file on Linux, the registry on
/// Windows). Values are strings and 32-bit integers.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// Whether there are saved settings at all (false on the first run).
    virtual bool exists() = 0;
    /// The stored value, or nothing when it is absent.
    virtual std::optional<QVariant> read(const QString& name) = 0;
    /// Writes all values together, in the given order, over the ones stored under the same names
    /// (other names stay). Returns false when nothing could be saved.
    virtual bool save(const std::vector<std::pair<QString, QVariant>>& values) = 0;
    /// The stored settings turned out not to be the program's (none of its values): they are
    /// set aside, `why` is logged, and the program goes on as on a first run.
    virtual void setAside(const QString& why) = 0;
};

}  // namespace klangor
