// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The eight values kept between runs, each declared once: the loader and the saver both walk
// this table, the tests and the README read it too.

#include <QString>
#include <QVariant>

#include <optional>
#include <span>
#include <vector>

namespace klangor::settings {

/// What a value holds, which also fixes how it is stored: Text as a string, the rest as 32-bit
/// integers.
enum class Kind {
    Language,   // the caption of the language button, "TR" or "ENG"
    Period,     // minutes in a spin box
    ListIndex,  // the selected position of a drop-down list; out of range means the first
    Flag,       // a check box, 1 for ticked and 0 for not; any number but 0 reads as ticked
};

struct Setting {
    const char* key;  // value name in the store
    Kind kind;
    const char* control;  // object name of the control in the main window
    int readRank;         // position in the load order (the table itself is in save order)
    int defaultValue;     // what the form starts with (Language: none, chosen by the locale)
    int minimum;          // range of a valid value
    int maximum;
};

/// Every setting, in the order they are saved.
std::span<const Setting> settingsTable();

/// The same settings in the order they are loaded.
std::vector<const Setting*> loadOrder();

/// A stored value as a whole number, or nothing when it holds no whole number. Numbers too large
/// for 64 bits come back as the largest (or smallest) 64-bit number rather than wrapping.
std::optional<qint64> storedNumber(const QVariant& value);

/// A stored value as text; empty when it holds nothing that reads as text.
QString storedText(const QVariant& value);

}  // namespace klangor::settings
