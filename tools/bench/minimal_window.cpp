// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's yardstick: a Qt Widgets window with one label and nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Klangor benchmark"));
    label.setWindowTitle(QStringLiteral("bench_minimal_window"));
    label.show();
    return app.exec();
}
