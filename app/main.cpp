#include "app/application.h"
#include "app/form1.h"
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
    klangor::setUpApplication();

    TForm1 form(klangor::makeSystemPlatform());
    klangor::closeOnQuitRequests(&form);
    form.show();
    return app.exec();
}
