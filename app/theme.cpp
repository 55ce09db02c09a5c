#include "app/theme.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QMessageBox>

namespace klangor {

bool applyTheme(const QString& name) {
    // The forms ask for Tahoma; where it is missing, take a sans font of similar width.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Noto Sans"), QStringLiteral("Verdana")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});

    const QString resource = QStringLiteral(":/themes/%1.qss")
                                 .arg(name.toLower().replace(QLatin1Char(' '), QLatin1Char('_')));
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QMessageBox::critical(nullptr, QStringLiteral("Klangor"),
                              QStringLiteral("Could not load the theme \"%1\".").arg(name));
        return false;
    }
    qApp->setStyle(QStringLiteral("Fusion"));
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

}  // namespace klangor
