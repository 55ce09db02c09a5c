#include "app/form1.h"
#include "app/theme.h"
#include "platform/platform.h"
#include "platform/session.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (const QString error = klangor::prepareDisplay(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Klangor"));
    // No application display name: Qt would append it to every window title, and the caption
    // must read exactly as the main window sets it.
    QApplication::setOrganizationName(QStringLiteral("Vostrel"));
    QApplication::setDesktopFileName(QStringLiteral("klangor"));
    klangor::applyTheme(QStringLiteral("Aqua Light Slate"));

    TForm1 form(klangor::makeSystemPlatform());
    klangor::closeOnQuitRequests(&form);
    form.show();
    return app.exec();
}
