// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the program's icon from its SVG drawing at build time:
//
//   klangor-render-icon ICON.svg OUTDIR SIZE...
//
// writes OUTDIR/klangor-<size>.png for every size, and OUTDIR/klangor.ico with the 32 x 32 and
// 16 x 16 pictures in 256 colours, for the Windows program file.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

QImage render(QSvgRenderer& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    svg.render(&painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

void put16(QByteArray& out, quint16 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 2);
}

void put32(QByteArray& out, quint32 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 4);
}

int rowBytes(int bitsPerRow) {
    return ((bitsPerRow + 31) / 32) * 4;
}

// One icon image as an ICO file carries it: a bitmap header of twice the height, a palette of
// 256 colours, the colour pixels bottom-up and a one-bit transparency mask bottom-up.
QByteArray indexedBitmap(const QImage& argb) {
    const int w = argb.width();
    const int h = argb.height();

    // Transparent pixels take black so that they do not spend palette entries; the mask hides
    // them.
    QImage opaque(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = argb.pixel(x, y);
            opaque.setPixel(x, y, qAlpha(p) >= 128 ? qRgb(qRed(p), qGreen(p), qBlue(p)) : 0);
        }
    const QImage indexed =
        opaque.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    QList<QRgb> palette = indexed.colorTable();
    palette.resize(256, qRgb(0, 0, 0));

    const int colourRow = rowBytes(w * 8);
    const int maskRow = rowBytes(w);
    QByteArray out;
    put32(out, 40);
    put32(out, static_cast<quint32>(w));
    put32(out, static_cast<quint32>(h * 2));
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);
    put32(out, static_cast<quint32>((colourRow + maskRow) * h));
    put32(out, 0);
    put32(out, 0);
    put32(out, 256);
    put32(out, 0);
    for (QRgb c : palette) {
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(colourRow, '\0');
        for (int x = 0; x < w; ++x)
            row[x] = static_cast<char>(indexed.pixelIndex(x, y));
        out.append(row);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(argb.pixel(x, y)) < 128)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QByteArray icoFile(const std::vector<QImage>& images) {
    std::vector<QByteArray> bitmaps;
    for (const QImage& image : images)
        bitmaps.push_back(indexedBitmap(image));

    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.append(static_cast<char>(images[i].width() & 0xff));
        out.append(static_cast<char>(images[i].height() & 0xff));
        out.append('\0');  // 0 colours in the directory means 256
        out.append('\0');
        put16(out, 1);
        put16(out, 8);
        put32(out, static_cast<quint32>(bitmaps[i].size()));
        put32(out, offset);
        offset += static_cast<quint32>(bitmaps[i].size());
    }
    for (const QByteArray& b : bitmaps)
        out.append(b);
    return out;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.svg OUTDIR SIZE...\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
            return 2;
        }
        const QImage image = render(svg, size);
        const QString path = QStringLiteral("%1/klangor-%2.png").arg(outDir).arg(size);
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
            return 1;
        }
        // The same pixels raw, for the program's own window icon: read without an image
        // decoder, whose plugins would otherwise be looked up at start-up.
        const QString raw = QStringLiteral("%1/klangor-%2.argb").arg(outDir).arg(size);
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        QByteArray pixels;
        for (int y = 0; y < size; ++y)
            pixels.append(reinterpret_cast<const char*>(argb.constScanLine(y)), size * 4);
        if (!writeFile(raw, pixels)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(raw));
            return 1;
        }
    }
    const QString ico = outDir + QStringLiteral("/klangor.ico");
    if (!writeFile(ico, icoFile({render(svg, 32), render(svg, 16)}))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(ico));
        return 1;
    }
    return 0;
}
