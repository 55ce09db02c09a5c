#include "app/theme.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>

namespace klangor {

QString installedFamily(const QString& wanted) {
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
