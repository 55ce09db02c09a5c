// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"

namespace klangor::lang {

/// Qt's own texts (the file dialog, the edit boxes' context menus, standard buttons, the command
/// line's help) in the interface language, so that the whole interface speaks one language.
class QtTranslations final {
public:
    /// Turkish: Qt's Turkish catalogue (qtbase_tr.qm built into the program, else from the
    /// translations folder Qt was built with, Debian's qt6-translations-l10n) is installed in
    /// the application; English: it is removed and Qt speaks its built-in English. Applying a
    /// language twice changes nothing. A catalogue that cannot be found is logged and leaves
    /// Qt's texts in English.
    static void apply(Language language);
};

}  // namespace klangor::lang
