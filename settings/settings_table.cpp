// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_table.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace klangor::settings {

namespace {

// clang-format off
constexpr Setting kSettings[] = {
    // key           kind              control       read  default min  max
    {"lang",       Kind::Language,  "lnlLang",    0,    0,      0,   0},
    {"xMinutes",   Kind::Period,    "xMinutes",   3,    60,     1,   9999},
    {"xMinutes2",  Kind::Period,    "xMinutes2",  4,    5,      1,   9999},
    {"sxMinutes",  Kind::ListIndex, "sxMinutes",  5,    0,      0,   5},
    {"sxMinutes2", Kind::ListIndex, "sxMinutes2", 6,    0,      0,   5},
    {"salarm",     Kind::ListIndex, "salarm",     7,    0,      0,   4},
    {"chkTwo",     Kind::Flag,      "chkTwo",     2,    0,      0,   1},
    {"chkTurnOff", Kind::Flag,      "chkTurnOff", 1,    0,      0,   1},
};
// clang-format on

}  // namespace

std::span<const Setting> settingsTable() {
    return kSettings;
}

std::vector<const Setting*> loadOrder() {
    std::vector<const Setting*> order;
    for (const Setting& s : kSettings)
        order.push_back(&s);
    std::sort(order.begin(), order.end(),
              [](const Setting* a, const Setting* b) { return a->readRank < b->readRank; });
    return order;
}

std::optional<qint64> storedNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::SChar:
            return value.toLongLong();
        case QMetaType::UInt:
        case QMetaType::UShort:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UChar: {
            const qulonglong u = value.toULongLong();
            constexpr auto top = static_cast<qulonglong>(std::numeric_limits<qint64>::max());
            return static_cast<qint64>(std::min(u, top));
        }
        case QMetaType::QString:
        case QMetaType::QByteArray:
            break;
        default:
            return std::nullopt;
    }
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString text = value.toString().trimmed();
    if (!wholeNumber.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (ok)
        return n;
    // All digits, yet beyond 64 bits: keep it out of range on its own side.
    return text.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min()
                                             : std::numeric_limits<qint64>::max();
}

QString storedText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        default:
            return {};
    }
}

}  // namespace klangor::settings
