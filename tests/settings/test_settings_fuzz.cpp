// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "platform/qt/qt_settings_store.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace klangor::fakes;

namespace {

// Generated settings files: seeded, so every run loads the same ones.
class FileMaker {
public:
    explicit FileMaker(quint32 seed) : rng_(seed) {}

    QByteArray next() {
        switch (pick(6)) {
            case 0:
                return randomBytes(pick(600));
            case 1:
                return wellFormed();
            case 2: {  // cut off anywhere, also inside a line or a UTF-8 sequence
                const QByteArray whole = wellFormed();
                return whole.left(pick(whole.size() + 1));
            }
            case 3: {  // bytes changed, dropped or added here and there
                QByteArray b = wellFormed();
                for (int i = pick(8) + 1; i > 0 && !b.isEmpty(); --i) {
                    const int at = pick(b.size());
                    switch (pick(3)) {
                        case 0:
                            b[at] = static_cast<char>(pick(256));
                            break;
                        case 1:
                            b.remove(at, 1);
                            break;
                        default:
                            b.insert(at, static_cast<char>(pick(256)));
                    }
                }
                return b;
            }
            case 4: {  // lines mixed up, doubled, or under other sections
                QList<QByteArray> lines = wellFormed().split('\n');
                for (int i = pick(5); i > 0; --i)
                    lines.insert(pick(lines.size() + 1), lines.value(pick(lines.size())));
                for (int i = pick(3); i > 0; --i)
                    lines.insert(pick(lines.size() + 1), oneOf({"[Other]", "[General", "[]", "]",
                                                                "[General]", "=", "; note"}));
                std::shuffle(lines.begin(), lines.end(), rng_);
                return lines.join('\n');
            }
            default:  // the right keys with text that is not UTF-8 at all
                return "[General]\n" + key() + "=" + randomBytes(pick(20), 0x80) + "\n" + key() +
                       "=" + randomBytes(pick(20), 0x80) + "\n";
        }
    }

private:
    int pick(int n) { return n <= 0 ? 0 : static_cast<int>(rng_.bounded(n)); }

    QByteArray oneOf(std::initializer_list<const char*> list) {
        return QByteArray(*(list.begin() + pick(static_cast<int>(list.size()))));
    }

    QByteArray randomBytes(int n, int lowest = 0) {
        QByteArray b(n, '\0');
        for (char& c : b)
            c = static_cast<char>(lowest + pick(256 - lowest));
        return b;
    }

    QByteArray key() {
        return oneOf({"lang", "xMinutes", "xMinutes2", "sxMinutes", "sxMinutes2", "salarm",
                      "chkTwo", "chkTurnOff", "XMINUTES", "lang ", "xMinutes\\2", "General/lang"});
    }

    QByteArray value() {
        switch (pick(12)) {
            case 0:
                return QByteArray::number(pick(20) - 5);
            case 1:
                return QByteArray::number(static_cast<qint64>(rng_.generate64()));
            case 2:
                return QByteArray::number(rng_.generate64());
            case 3: {  // far beyond 64 bits
                QByteArray digits = pick(2) ? "-" : "";
                for (int i = pick(60) + 1; i > 0; --i)
                    digits += static_cast<char>('0' + pick(10));
                return digits;
            }
            case 4:
                return QByteArray::number((rng_.generateDouble() - 0.5) * std::pow(10.0, pick(30)),
                                          'g', pick(20));
            case 5:
                return oneOf({"", " ", "abc", "TR", "ENG", "EN", "true", "maybe", "0x1F", "1e3",
                              "+7", " 12 ", "\"5\"", "1,2", "\\x41", "Türkçe", "NaN", "-0"});
            case 6:
                return "@Variant(" + randomBytes(pick(40)) + ")";
            case 7:
                return "@ByteArray(" + randomBytes(pick(10)) + ")";
            case 8:
                return "\"" + randomBytes(pick(10), 32);
            case 9:
                return QByteArray(pick(5000), '9');
            case 10:
                return "@Variant(\\0\\0\\0\\x" + QByteArray::number(pick(0x1000), 16) +
                       "\\0\\0\\0\\x" + QByteArray::number(pick(80), 16) + randomBytes(pick(30)) +
                       ")";
            default:
                return randomBytes(pick(30), 1);
        }
    }

    QByteArray wellFormed() {
        QByteArray out = pick(4) ? "[General]\n" : "";
        for (int i = pick(12); i > 0; --i)
            out += key() + "=" + value() + (pick(8) ? "\n" : "\r\n");
        return out;
    }

    QRandomGenerator64 rng_;
};

// Whether every line is blank, a comment, a group header or a key with a value: a file that
// loses nothing when it is read, whatever QSettings thinks of it.
bool everyLineReads(QByteArray content) {
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (!(line.isEmpty() || line.startsWith(';') || line.startsWith('#') ||
              (line.startsWith('[') && line.endsWith(']')) || line.indexOf('=') > 0))
            return false;
    }
    return true;
}

}  // namespace

class TestSettingsFuzz : public QObject {
    Q_OBJECT

private slots:
    // Thousands of damaged settings files, each loaded into a fresh window and saved again: none
    // crashes, every control stays within its range, and what is saved is a clean file again.
    void generatedFiles() {
        // In memory where there is a tmpfs: each save syncs the file to disk.
        const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
        QTemporaryDir dir =
            shm ? QTemporaryDir(QStringLiteral("/dev/shm/klangor-fuzz-XXXXXX")) : QTemporaryDir();
        QVERIFY(dir.isValid());
        FileMaker maker(20261210);
        const int cases = qEnvironmentVariableIntValue("KLANGOR_FUZZ_CASES") > 0
                              ? qEnvironmentVariableIntValue("KLANGOR_FUZZ_CASES")
                              : 2000;
        // Bad values are logged, which here would be thousands of lines.
        QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < cases; ++i) {
            const QByteArray content = maker.next();
            // A new name for every case: QSettings keeps what it read of a file in memory.
            const QString path = dir.filePath(QStringLiteral("case-%1.conf").arg(i));
            // Whether QSettings finds the file malformed, asked of a copy: it keeps what it read
            // of a file in memory, and the store must find out for itself.
            const QString copy = path + QStringLiteral(".probe");
            for (const QString& p : {path, copy}) {
                QFile f(p);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(content);
            }
            const bool malformed =
                QSettings(copy, QSettings::IniFormat).status() != QSettings::NoError;
            const QString what =
                QStringLiteral("case %1: %2")
                    .arg(i)
                    .arg(QString::fromLatin1(content.left(200).toPercentEncoding()));

            Fakes fakes;
            klangor::Platform platform = fakes.platform();
            platform.settings = std::make_shared<klangor::QtSettingsStore>(path);
            TForm1 form(platform);
            form.FormShow();

            QVERIFY2(ctl(form).xMinutes->value() >= 1 && ctl(form).xMinutes->value() <= 9999,
                     qPrintable(what));
            QVERIFY2(ctl(form).xMinutes2->value() >= 1 && ctl(form).xMinutes2->value() <= 9999,
                     qPrintable(what));
            for (QComboBox* list : {ctl(form).sxMinutes, ctl(form).sxMinutes2, ctl(form).salarm}) {
                QVERIFY2(list->count() == (list == ctl(form).salarm ? 5 : 6), qPrintable(what));
                QVERIFY2(list->currentIndex() >= -1 && list->currentIndex() < list->count(),
                         qPrintable(what));
            }
            QVERIFY2(ctl(form).CheckBox3->count() == 7 && ctl(form).CheckBox3->currentIndex() == 0,
                     qPrintable(what));
            const QString button = ctl(form).lnlLang->text();
            QVERIFY2(button == QLatin1String("TR") || button == QLatin1String("ENG"),
                     qPrintable(what));
            QVERIFY2(ctl(form).Button1->text() == (button == QLatin1String("TR")
                                                       ? QStringLiteral("Horozu Kur")
                                                       : QStringLiteral("Start")),
                     qPrintable(what));

            form.SaveSettings();
            if (malformed && !everyLineReads(content)) {  // a copy kept, as it was
                QFile aside(path + QStringLiteral(".corrupt"));
                QVERIFY2(aside.open(QIODevice::ReadOnly) && aside.readAll() == content,
                         qPrintable(what));
            }
            QSettings saved(path, QSettings::IniFormat);
            QVERIFY2(saved.status() == QSettings::NoError, qPrintable(what));
            // Our eight values are all there; keys of others are left as they were.
            const QStringList keys = saved.allKeys();
            for (const char* key : {"chkTurnOff", "chkTwo", "lang", "salarm", "sxMinutes",
                                    "sxMinutes2", "xMinutes", "xMinutes2"})
                QVERIFY2(keys.contains(QLatin1String(key)), qPrintable(what));
            QVERIFY2(saved.value("lang").toString() == button, qPrintable(what));
            bool ok = false;
            QVERIFY2(saved.value("xMinutes").toInt(&ok) == ctl(form).xMinutes->value() && ok,
                     qPrintable(what));
            QVERIFY2(saved.value("salarm").toInt(&ok) == ctl(form).salarm->currentIndex() && ok,
                     qPrintable(what));
        }
        QLoggingCategory::setFilterRules(QString());
        qInfo("%d files in %lld ms", cases, static_cast<long long>(clock.elapsed()));
    }
};

QTEST_MAIN(TestSettingsFuzz)
#include "test_settings_fuzz.moc"
