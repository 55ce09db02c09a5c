#include "app/theme.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QMessageBox>

namespace klangor {

namespace {

QString findInstalledFamily(const QString& wanted) {
    if (QFontDatabase::hasFamily(wanted))
        return wanted;
    // Fonts of similar width first: Liberation Sans has Arial's metrics and is close to Tahoma.
    for (const char* family : {"Liberation Sans", "Arimo", "DejaVu Sans", "Noto Sans"}) {
        const QString f = QString::fromLatin1(family);
        if (QFontDatabase::hasFamily(f))
            return f;
    }
    return wanted;
}

}  // namespace

QString installedFamily(const QString& wanted) {
    // Asking for a family that is not installed makes fontconfig resolve aliases, a few
    // milliseconds each time; the windows ask for the same few families while they are built.
    static QHash<QString, QString> answers;
    auto it = answers.constFind(wanted);
    if (it == answers.constEnd())
        it = answers.insert(wanted, findInstalledFamily(wanted));
    return *it;
}

bool applyTheme(const QString& name) {
    const QString resource = QStringLiteral(":/themes/%1.qss")
                                 .arg(name.toLower().replace(QLatin1Char(' '), QLatin1Char('_')));
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QMessageBox::critical(nullptr, QStringLiteral("Klangor"),
                              QStringLiteral("Could not load the theme \"%1\".").arg(name));
        return false;
    }
    qApp->setStyle(QStringLiteral("Fusion"));
    QFont font(installedFamily(QStringLiteral("Tahoma")));
    font.setPixelSize(12);
    QApplication::setFont(font);
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

}  // namespace klangor
