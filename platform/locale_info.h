// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace klangor {

class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    /// The English name of the language of the user's locale, e.g. "Turkish".
    virtual QString languageName() const = 0;
};

}  // namespace klangor
