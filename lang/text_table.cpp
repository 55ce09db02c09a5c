// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/text_table.h"

#include <iterator>

namespace klangor::lang {

namespace {

// clang-format off
constexpr TextRow kTexts[] = {
    {"Form4",          Slot::Caption, "Repeater",               "Tekrarlayıcı"},
    {"Form4.Button1",  Slot::Caption, "Turn off the screen",    "Ekranı Kapat"},
    {"chkTurnOff",     Slot::Caption, "Ask question when time is up. Turn off the screen?",
                                      "Süre dolduğunda soru sor. Ekran kapatılsın mı?"},
    {"lblBegin",       Slot::Prefix,  "Start: ",                "Başlangıç: "},
    {"lblEndx",        Slot::Prefix,  "Stop: ",                 "Bitiş: "},
    {"lblLastx",       Slot::Prefix,  "Last Repeat: ",          "Son Tekrar: "},
    {"lblstatus",      Slot::Prefix,  "Repeater is running...", "Tekrarlayıcı çalışıyor..."},
    {"TabSheet1",      Slot::Caption, "Alarm",                  "Alarm"},
    {"TabSheet2",      Slot::Caption, "Repeater",               "Tekrarlayıcı"},
    {"repeater_start", Slot::Caption, "Repeater Start",         "Tekrarlayıcıyı Başlat"},
    {"repeater_stop",  Slot::Caption, "Repeater Stop",          "Tekrarlayıcıyı Durdur"},
    {"Label13",        Slot::Caption, "Repeater (1st warning)", "Tekrarlayıcı 1. Uyarı"},
    {"Label14",        Slot::Caption, "Repeater (2nd warning)", "Tekrarlayıcı 2. Uyarı"},
    {"Label18",        Slot::Caption, "mn.",                    "dk."},
    {"Label19",        Slot::Caption, "mn.",                    "dk."},
    {"Label15",        Slot::Caption, "Sound",                  "Ses"},
    {"Label16",        Slot::Caption, "Sound",                  "Ses"},
    {"Label20",        Slot::Caption, "The second warning will run after the first warning.",
                                      "İkinci uyarı, birinci uyarıdan sonra çalışacaktır."},
    {"Label17",        Slot::Caption, "Alarm Sound",            "Alarm Ses"},
    {"chkTwo",         Slot::Caption, "Repeat twice",           "İki defa tekrarla"},
    {"Label21",        Slot::Caption, "Work, rest, work, rest ....\nDon't forget to take a break!",
                                      "Çalış, dinlen, çalış, dinlen ....\nAra vermeyi unutma!"},
    {"Label11",        Slot::Caption, "Options",                "Opsiyonlar"},
    {"Label9",         Slot::Caption, "Hour",                   "Saat"},
    {"Label10",        Slot::Caption, "Minute",                 "Dakika"},
    {"Button2",        Slot::Caption, "Stop",                   "Durdur"},
    {"Label1",         Slot::Caption, "Alarm Time",             "Uyarı Saati"},
    {"Label2",         Slot::Caption, "Note",                   "Açıklama"},
    {"Button1",        Slot::Caption, "Start",                  "Horozu Kur"},
    {"CheckBox1",      Slot::Caption, "Sound Alert",            "Sesli Uyarı"},
    {"CheckBox2",      Slot::Caption, "Message Alert",          "Görsel Uyarı"},
    {"Label5",         Slot::Caption, "Start:",                 "Başl:"},
    {"Label6",         Slot::Caption, "End:",                   "Bitiş:"},
    {"Label7",         Slot::Caption, "Remaining:",             "K.Zaman:"},
    {"lnlLang",        Slot::Caption, "ENG",                    "TR"},
    {"Button1",        Slot::Hint,    "F5: Start / Stop",       "F5: Horozu Kur / Horozu Kes"},

    // What a screen reader says for the controls whose caption is a picture or nothing, and the
    // tool-tips of the picture buttons.
    {"PageControl1",   Slot::Name,    "Pages",                  "Sayfalar"},
    {"wwDBDateTimePicker1", Slot::Name, "Alarm time",           "Uyarı saati"},
    {"BitBtn1",        Slot::Name,    "Alarm after a delay",    "Süre sonra alarm"},
    {"BitBtn1",        Slot::Description, "Opens the panel of hours and minutes to wait (F1)",
                                      "Beklenecek saat ve dakika panelini açar (F1)"},
    {"BitBtn1",        Slot::Hint,    "Alarm after a delay (F1)", "Süre sonra alarm (F1)"},
    {"ComboBox1",      Slot::Name,    "Note",                   "Açıklama"},
    {"salarm",         Slot::Name,    "Alarm sound",            "Alarm sesi"},
    {"salarm",         Slot::Description, "The sound played when the alarm rings",
                                      "Alarm çaldığında çalınan ses"},
    {"SpeedButton3",   Slot::Name,    "Play the alarm sound",   "Alarm sesini çal"},
    {"SpeedButton3",   Slot::Description, "Plays the sound chosen in the list beside it",
                                      "Yanındaki listede seçili sesi çalar"},
    {"SpeedButton3",   Slot::Hint,    "Play the alarm sound",   "Alarm sesini çal"},
    {"CheckBox3",      Slot::Name,    "Action after the alarm", "Alarmdan sonraki işlem"},
    {"CheckBox3",      Slot::Description, "What the computer does 15 seconds after the alarm",
                                      "Alarmdan 15 saniye sonra bilgisayarın yapacağı işlem"},
    {"Button2",        Slot::Description, "Cancels the action that is about to run",
                                      "Çalışmak üzere olan işlemi iptal eder"},
    {"se_hour",        Slot::Name,    "Hours",                  "Saat"},
    {"se_minute",      Slot::Name,    "Minutes",                "Dakika"},
    {"Button3",        Slot::Name,    "Accept",                 "Onayla"},
    {"Button3",        Slot::Description, "Starts the alarm in the hours and minutes given",
                                      "Alarmı verilen saat ve dakika sonrasına kurar"},
    {"Button3",        Slot::Hint,    "Accept and start (Enter)", "Onayla ve kur (Enter)"},
    {"Button4",        Slot::Name,    "Close",                  "Kapat"},
    {"Button4",        Slot::Description, "Closes the panel without starting an alarm",
                                      "Paneli alarm kurmadan kapatır"},
    {"Button4",        Slot::Hint,    "Close (Esc)",            "Kapat (Esc)"},
    {"xMinutes",       Slot::Name,    "First warning every so many minutes",
                                      "Birinci uyarı kaç dakikada bir"},
    {"sxMinutes",      Slot::Name,    "First warning sound",    "Birinci uyarı sesi"},
    {"sxMinutes",      Slot::Description, "The sound played at each first warning",
                                      "Her birinci uyarıda çalınan ses"},
    {"SpeedButton1",   Slot::Name,    "Play the first warning sound", "Birinci uyarı sesini çal"},
    {"SpeedButton1",   Slot::Description, "Plays the sound chosen in the list beside it",
                                      "Yanındaki listede seçili sesi çalar"},
    {"SpeedButton1",   Slot::Hint,    "Play the first warning sound", "Birinci uyarı sesini çal"},
    {"xMinutes2",      Slot::Name,    "Second warning so many minutes after the first",
                                      "İkinci uyarı birinciden kaç dakika sonra"},
    {"sxMinutes2",     Slot::Name,    "Second warning sound",   "İkinci uyarı sesi"},
    {"sxMinutes2",     Slot::Description, "The sound played at each second warning",
                                      "Her ikinci uyarıda çalınan ses"},
    {"SpeedButton2",   Slot::Name,    "Play the second warning sound", "İkinci uyarı sesini çal"},
    {"SpeedButton2",   Slot::Description, "Plays the sound chosen in the list beside it",
                                      "Yanındaki listede seçili sesi çalar"},
    {"SpeedButton2",   Slot::Hint,    "Play the second warning sound", "İkinci uyarı sesini çal"},
    {"lnlLang",        Slot::Name,    "Language: English",      "Dil: Türkçe"},
    {"lnlLang",        Slot::Description, "Switches the interface between English and Turkish",
                                      "Arayüzü Türkçe ile İngilizce arasında değiştirir"},
    {"Panel3",         Slot::Name,    "Home page",              "Ana sayfa"},
    {"Panel3",         Slot::Description, "Opens the Vostrel home page in the browser",
                                      "Vostrel ana sayfasını tarayıcıda açar"},
    {"Panel3",         Slot::Hint,    "Vostrel home page",      "Vostrel ana sayfası"},
};

constexpr const char* kSoundsEn[] = {"Sound-1", "Sound-2", "Sound-3", "Sound-4", "Sound-5", "Quiet"};
constexpr const char* kSoundsTr[] = {"Ses-1", "Ses-2", "Ses-3", "Ses-4", "Ses-5", "Sessiz"};

constexpr const char* kActionsEn[] = {"( no action )", "Lock", "Sleep", "Hibernate", "Restart",
                                      "Shut down", "Execute Command"};
constexpr const char* kActionsTr[] = {"(aksiyon yok)", "Ekranı Kilitle", "Uykuya Geç", "Hibernate",
                                      "Yeniden Başlat", "Sistemi Kapat", "Komut Çalıştır"};

// The notifications of a pending and of a failed after-alarm action, by the action's position in
// the list. "%1" is the grace period in seconds, "%2" the file to open.
struct NoticeRow {
    const char* comingEn;
    const char* comingTr;
    const char* failedEn;
    const char* failedTr;
};
constexpr NoticeRow kNotices[] = {
    {"Lock in %1 seconds",      "Ekran %1 saniye sonra kilitlenecek",
     "Could not lock",          "Ekran kilitlenemedi"},
    {"Sleep in %1 seconds",     "Bilgisayar %1 saniye sonra uykuya geçecek",
     "Could not sleep",         "Bilgisayar uykuya geçemedi"},
    {"Hibernate in %1 seconds", "Bilgisayar %1 saniye sonra hazırda bekletilecek",
     "Could not hibernate",     "Bilgisayar hazırda bekletilemedi"},
    {"Restart in %1 seconds",   "Bilgisayar %1 saniye sonra yeniden başlatılacak",
     "Could not restart",       "Bilgisayar yeniden başlatılamadı"},
    {"Shut down in %1 seconds", "Sistem %1 saniye sonra kapatılacak",
     "Could not shut down",     "Sistem kapatılamadı"},
    {"Opening %2 in %1 seconds", "%2 %1 saniye sonra açılacak",
     "Could not open",          "Açılamadı"},
};
constexpr const char* kCancelActionEn = "Stop";
constexpr const char* kCancelActionTr = "Durdur";

const ListRow kLists[] = {
    {"sxMinutes",  kSoundsEn,                                   kSoundsTr},
    {"sxMinutes2", kSoundsEn,                                   kSoundsTr},
    {"salarm",     std::span(kSoundsEn).first(5),               std::span(kSoundsTr).first(5)},
    {"CheckBox3",  kActionsEn,                                  kActionsTr},
};
// clang-format on

}  // namespace

Language languageOf(const QString& code) {
    return code == QLatin1String("TR") ? Language::Turkish : Language::English;
}

QStringList ListRow::entries(Language language) const {
    QStringList out;
    for (const char* e : language == Language::Turkish ? turkish : english)
        out << QString::fromUtf8(e);
    return out;
}

std::span<const TextRow> textRows() {
    return kTexts;
}

std::span<const ListRow> listRows() {
    return kLists;
}

QString startCaption(Language language) {
    for (const TextRow& row : kTexts)
        if (row.slot == Slot::Caption && qstrcmp(row.target, "Button1") == 0)
            return row.text(language);
    return {};
}

QString stopCaption(Language language) {
    return QString::fromUtf8(language == Language::Turkish ? "Horozu Kes" : "Stop");
}

bool isStartCaption(const QString& caption) {
    return caption == startCaption(Language::English) || caption == startCaption(Language::Turkish);
}

QString lateAlarmSkippedAction(Language language, const QString& action) {
    return (language == Language::Turkish
                ? QString::fromUtf8("Alarm geç fark edildi; alarm sonrası işlem (%1) atlandı.")
                : QStringLiteral("The alarm was noticed late; the after-alarm action (%1) "
                                 "was skipped."))
        .arg(action);
}

QString lateGraceCancelledAction(Language language, const QString& action) {
    return (language == Language::Turkish
                ? QString::fromUtf8("İşlem iptal edildi (%1): geri sayım geç bitti (uyku ya da "
                                    "saat değişikliği).")
                : QStringLiteral("Action cancelled (%1): the countdown ended late (sleep or "
                                 "clock change)."))
        .arg(action);
}

namespace {

const NoticeRow* noticeOf(int entry) {
    const int row = entry - 1;
    return row >= 0 && row < int(std::size(kNotices)) ? &kNotices[row] : nullptr;
}

}  // namespace

QString actionComingNotice(Language language, int entry, int seconds, const QString& file) {
    const NoticeRow* row = noticeOf(entry);
    if (!row)
        return {};
    const char* text = language == Language::Turkish ? row->comingTr : row->comingEn;
    QString out = QString::fromUtf8(text).replace(QLatin1String("%1"), QString::number(seconds));
    return out.replace(QLatin1String("%2"), file);
}

QString actionFailedNotice(Language language, int entry, const QString& why) {
    const NoticeRow* row = noticeOf(entry);
    if (!row)
        return {};
    const QString text =
        QString::fromUtf8(language == Language::Turkish ? row->failedTr : row->failedEn);
    return why.isEmpty() ? text : text + QStringLiteral(": ") + why;
}

QString screenOffFailedNotice(Language language) {
    return language == Language::Turkish ? QString::fromUtf8("Ekran kapatılamadı")
                                         : QStringLiteral("Could not switch the screen off");
}

QString cancelActionLabel(Language language) {
    return QString::fromUtf8(language == Language::Turkish ? kCancelActionTr : kCancelActionEn);
}

QStringList unchangedTexts() {
    QStringList out = {QStringLiteral("Dil / Language :"), QStringLiteral(":"), QStringLiteral("?"),
                       QStringLiteral("00:00:00")};
    for (int minutes : {1, 2, 3, 4, 5, 10, 15, 20, 25, 30, 40, 45, 50, 55, 60})
        out << QString::number(minutes);
    return out;
}

}  // namespace klangor::lang
