// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/glyphs.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace klangor {

QIcon glyph(Glyph which) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor green(0x1f, 0x9d, 0x2f);
    const QColor red(0xd0, 0x21, 0x21);
    QPainterPath path;
    switch (which) {
        case Glyph::DownTriangle:
            path.moveTo(2, 5);
            path.lineTo(14, 5);
            path.lineTo(8, 12);
            path.closeSubpath();
            p.fillPath(path, green);
            break;
        case Glyph::Play:
            path.moveTo(4, 2);
            path.lineTo(13, 8);
            path.lineTo(4, 14);
            path.closeSubpath();
            p.fillPath(path, green);
            break;
        case Glyph::Tick:
            p.setPen(QPen(green, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
            break;
        case Glyph::Cross:
            p.setPen(QPen(red, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            break;
    }
    return QIcon(pm);
}

QIcon appIcon() {
    // The sizes a title bar, a taskbar and a window switcher ask for; the larger ones are for the
    // installed theme icon. They are carried as raw pixels (rendered at build time): opening a
    // PNG or naming an icon file makes Qt look through its image and icon-engine plugins first,
    // several milliseconds of the start-up.
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QFile file(QStringLiteral(":/icons/klangor-%1.argb").arg(size));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray pixels = file.readAll();
        if (pixels.size() != size * size * 4)
            continue;
        // The image only borrows the bytes: copied before they go.
        const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), size, size, size * 4,
                           QImage::Format_ARGB32);
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return icon;
}

}  // namespace klangor
