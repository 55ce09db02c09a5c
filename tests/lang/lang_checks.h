// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a window shows in a language, checked against the text table.

#include "app/form1.h"
#include "lang/text_table.h"
#include "repeater/form4.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>

namespace langchecks {

using klangor::lang::Language;

inline QWidget* target(TForm1& form, const QString& name) {
    if (name == QLatin1String("Form4"))
        return form.Form4();
    if (name.startsWith(QLatin1String("Form4.")))
        return form.Form4()->findChild<QWidget*>(name.mid(6));
    return form.findChild<QWidget*>(name);
}

inline QString caption(TForm1& form, QWidget* w) {
    if (const int page = ctl(form).PageControl1->indexOf(w); page >= 0)
        return ctl(form).PageControl1->tabText(page);
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    return w->windowTitle();
}

inline QStringList entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

/// Every caption, hint, prefix and list of both windows is the table's text in `language`.
inline void verifyLanguage(TForm1& form, Language language) {
    for (const auto& row : klangor::lang::textRows()) {
        const QString name = QString::fromLatin1(row.target);
        QWidget* w = target(form, name);
        QVERIFY2(w, row.target);
        using klangor::lang::Slot;
        const QString shown = row.slot == Slot::Caption       ? caption(form, w)
                              : row.slot == Slot::Name        ? w->accessibleName()
                              : row.slot == Slot::Description ? w->accessibleDescription()
                                                              : w->toolTip();
        QVERIFY2(shown == row.text(language),
                 qPrintable(name + QStringLiteral(": ") + shown + QStringLiteral(" != ") +
                            row.text(language)));
    }
    for (const auto& row : klangor::lang::listRows()) {
        auto* list = form.findChild<QComboBox*>(QString::fromLatin1(row.target));
        QVERIFY2(list, row.target);
        QCOMPARE(entries(list), row.entries(language));
    }
}

/// Every text a user can see in both windows.
inline QStringList visibleTexts(TForm1& form) {
    QStringList out;
    for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Form4())}) {
        out << window->windowTitle();
        for (QLabel* l : window->findChildren<QLabel*>()) {
            if (l == form.Form4()->Label1)
                continue;  // the countdown, written by the prompt itself
            out << l->text();
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            out << b->text();
        for (QComboBox* c : window->findChildren<QComboBox*>())
            out << entries(c);
    }
    for (int i = 0; i < ctl(form).PageControl1->count(); ++i)
        out << ctl(form).PageControl1->tabText(i);
    return out;
}

/// Nothing on screen comes from the form files or from the other language: each text is in the
/// column of `language`, among the texts no language changes, or empty.
inline void verifyNothingLeftOver(TForm1& form, Language language) {
    const Language other = language == Language::English ? Language::Turkish : Language::English;
    QStringList mine = klangor::lang::unchangedTexts();
    mine << form.windowTitle() << QString();
    QStringList theirs;
    for (const auto& row : klangor::lang::textRows()) {
        mine << row.text(language);
        theirs << row.text(other);
    }
    for (const auto& row : klangor::lang::listRows()) {
        mine << row.entries(language);
        theirs << row.entries(other);
    }
    for (const QString& text : visibleTexts(form)) {
        QVERIFY2(!theirs.contains(text) || mine.contains(text),
                 qPrintable(QStringLiteral("other language: ") + text));
        QVERIFY2(mine.contains(text), qPrintable(QStringLiteral("left over: ") + text));
    }
}

}  // namespace langchecks
