// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/qt_translations.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace klangor::lang {

namespace {

// The installed catalogue is a child of the application object, found again by this name: it
// lives and dies with the application it was installed in.
QString catalogueName() {
    return QStringLiteral("klangor-qt-translations");
}

}  // namespace

void QtTranslations::apply(Language language) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    auto* installed = app->findChild<QTranslator*>(catalogueName(), Qt::FindDirectChildrenOnly);
    if (language != Language::Turkish) {
        if (installed) {
            QCoreApplication::removeTranslator(installed);
            delete installed;
        }
        return;
    }
    if (installed)
        return;
    auto* catalogue = new QTranslator(app);
    catalogue->setObjectName(catalogueName());
    // A catalogue built into the program (the Windows build) comes first, then Qt's own folder.
    const QString builtIn = QStringLiteral(":/qt-translations");
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!catalogue->load(QStringLiteral("qtbase_tr"), builtIn) &&
        !catalogue->load(QStringLiteral("qtbase_tr"), folder)) {
        qCWarning(lcLang) << "Qt's Turkish texts (qtbase_tr.qm) are not in" << folder
                          << "- the file dialog and context menus stay in English";
        delete catalogue;
        return;
    }
    QCoreApplication::installTranslator(catalogue);
}

}  // namespace klangor::lang
