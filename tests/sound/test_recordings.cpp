// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/catalogue.h"

#include <QFile>
#include <QTest>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Wav {
    QString error;  // empty when the file is a well-formed PCM WAV
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;  // interleaved
    qsizetype frames() const { return channels ? qsizetype(samples.size()) / channels : 0; }
    // Largest magnitude over the channels of one frame.
    int at(qsizetype frame) const {
        int m = 0;
        for (int c = 0; c < channels; ++c)
            m = std::max(m, std::abs(int(samples[size_t(frame * channels + c)])));
        return m;
    }
};

quint32 le(const QByteArray& b, qsizetype at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

Wav failed(const QString& error) {
    Wav w;
    w.error = error;
    return w;
}

Wav readWav(const QString& path) {
    Wav w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot open"));
    const QByteArray b = f.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return failed(QStringLiteral("not RIFF/WAVE"));
    if (le(b, 4, 4) != quint32(b.size() - 8))
        return failed(
            QStringLiteral("RIFF size %1 for a file of %2").arg(le(b, 4, 4)).arg(b.size()));
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const qsizetype size = le(b, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + size > b.size())
            return failed(
                QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id)));
        if (id == "fmt ") {
            w.format = int(le(b, body, 2));
            w.channels = int(le(b, body + 2, 2));
            w.rate = int(le(b, body + 4, 4));
            const quint32 byteRate = le(b, body + 8, 4);
            const int align = int(le(b, body + 12, 2));
            w.bits = int(le(b, body + 14, 2));
            if (align != w.channels * w.bits / 8 || byteRate != quint32(w.rate * align))
                return failed(QStringLiteral("inconsistent block align or byte rate"));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return failed(QStringLiteral("data before fmt"));
            if (size % (w.channels * 2) != 0)
                return failed(QStringLiteral("data is not whole frames"));
            w.samples.resize(size_t(size / 2));
            for (qsizetype i = 0; i < size / 2; ++i)
                w.samples[size_t(i)] = std::int16_t(le(b, body + 2 * i, 2));
            return w;
        }
        at = body + size + (size & 1);
    }
    return failed(QStringLiteral("no data chunk"));
}

double rmsDb(const Wav& w) {
    double sum = 0;
    for (std::int16_t s : w.samples)
        sum += double(s) * s;
    return 10.0 * std::log10(sum / double(w.samples.size()) / (32768.0 * 32768.0));
}

QString path(const QString& name) {
    return QStringLiteral(":/sounds/%1.wav").arg(name);
}

}  // namespace

// The five recordings as the program carries them: format, length, and that they are clean to
// listen to (no clipping, no click at either end, a silent tail for the player to lose, and
// about the same loudness).
class TestRecordings : public QObject {
    Q_OBJECT

private slots:
    void recording_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("seconds");
        QTest::newRow("cock1") << "cock1" << 2 << 3.07;
        QTest::newRow("cock2") << "cock2" << 2 << 5.50;
        QTest::newRow("notify") << "notify" << 2 << 1.29;
        QTest::newRow("wbegin") << "wbegin" << 2 << 7.49;
        QTest::newRow("wend") << "wend" << 1 << 10.78;
    }

    void recording() {
        QFETCH(QString, name);
        QFETCH(int, channels);
        QFETCH(double, seconds);
        const Wav w = readWav(path(name));
        QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
        QCOMPARE(w.format, 1);  // PCM
        QCOMPARE(w.channels, channels);
        QCOMPARE(w.rate, kRate);
        QCOMPARE(w.bits, 16);
        const double length = double(w.frames()) / kRate;
        QVERIFY2(std::abs(length - seconds) <= seconds * 0.01, qPrintable(QString::number(length)));

        int peak = 0;
        for (qsizetype i = 0; i < w.frames(); ++i)
            peak = std::max(peak, w.at(i));
        QVERIFY2(peak < 32767 * 0.95, qPrintable(QStringLiteral("peak %1").arg(peak)));

        // No click: the first and last samples sit at zero and the first millisecond stays low.
        QVERIFY2(w.at(0) <= 16, qPrintable(QString::number(w.at(0))));
        QVERIFY2(w.at(w.frames() - 1) <= 16, qPrintable(QString::number(w.at(w.frames() - 1))));
        for (qsizetype i = 0; i < kRate / 1000; ++i)
            QVERIFY2(w.at(i) < 600, qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(w.at(i))));

        // The sound fills its recording, then at least 250 ms of silence follow it.
        qsizetype last = w.frames() - 1;
        while (last > 0 && w.at(last) <= 2)
            --last;
        const double soundEnds = double(last + 1) / kRate;
        QVERIFY2(length - soundEnds >= 0.25, qPrintable(QString::number(length - soundEnds)));
        QVERIFY2(soundEnds >= length * 0.6, qPrintable(QString::number(soundEnds)));
    }

    void similarLoudness() {
        std::vector<double> levels;
        for (const char* name : klangor::kSoundCatalogue) {
            const Wav w = readWav(path(QString::fromLatin1(name)));
            QVERIFY2(w.error.isEmpty(), name);
            levels.push_back(rmsDb(w));
            QVERIFY2(levels.back() > -26.0, qPrintable(QStringLiteral("%1: RMS %2 dB")
                                                           .arg(QString::fromLatin1(name))
                                                           .arg(levels.back())));
        }
        const auto [lo, hi] = std::minmax_element(levels.begin(), levels.end());
        QVERIFY2(*hi - *lo <= 3.0,
                 qPrintable(QStringLiteral("RMS from %1 to %2 dB").arg(*lo).arg(*hi)));
    }

    // The recordings are not copies of one another: each differs from every other one in its
    // opening second.
    void distinct() {
        std::vector<Wav> all;
        for (const char* name : klangor::kSoundCatalogue)
            all.push_back(readWav(path(QString::fromLatin1(name))));
        for (size_t a = 0; a < all.size(); ++a) {
            for (size_t b = a + 1; b < all.size(); ++b) {
                double diff = 0;
                for (qsizetype i = 0; i < kRate; ++i)
                    diff += std::abs(all[a].at(i) - all[b].at(i));
                QVERIFY2(diff / kRate > 300, qPrintable(QStringLiteral("%1 and %2").arg(a).arg(b)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordings)
#include "test_recordings.moc"
