#include "app/form1.h"
#include "lang/text_table.h"
#include "repeater/form4.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QSignalBlocker>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLang, "klangor.lang")

using klangor::lang::Language;
using klangor::lang::Slot;

namespace {

// The repeater's status labels keep their line prefixes in their tool-tips; those must never pop
// up, so this filter eats the labels' tool-tip events.
class HiddenHints final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

// Labels that are laid out by their position only and take the size of their text. The others
// (the quick-delay headings, the two framed notes, the status values) keep their fixed size.
constexpr const char* kAutoSizeLabels[] = {"Label1",  "Label2",  "Label11", "Label17", "Label5",
                                           "Label6",  "Label7",  "Label13", "Label14", "Label18",
                                           "Label19", "Label15", "Label16"};

QWidget* findTarget(TForm1& form, const QString& target) {
    if (target == QLatin1String("Form4"))
        return form.Form4();
    if (target.startsWith(QLatin1String("Form4."))) {
        return form.Form4() ? form.Form4()->findChild<QWidget*>(target.mid(6)) : nullptr;
    }
    return form.findChild<QWidget*>(target);
}

void setCaption(TForm1& form, QWidget* w, const QString& text) {
    if (const int page = form.PageControl1->indexOf(w); page >= 0)
        form.PageControl1->setTabText(page, text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (w->isWindow())
        w->setWindowTitle(text);
    else
        qCWarning(lcLang) << "no caption to set on" << w->objectName();
}

// Rebuilds a list with new entries; its selected position stays (no selection stays none).
void refill(QComboBox* list, const QStringList& entries, bool keepIndex) {
    const QSignalBlocker quiet(list);
    const int index = list->currentIndex();
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(keepIndex ? index : 0);
}

}  // namespace

void TForm1::setUpLanguage() {
    connect(lnlLang, &ClickPanel::clicked, this, &TForm1::lnlLangClick);
    auto* hidden = new HiddenHints(this);
    for (QLabel* l : {lblBegin, lblEndx, lblLastx, lblstatus})
        l->installEventFilter(hidden);
}

bool TForm1::IsTurkishLocale() const {
    const QString name = platform_.locale ? platform_.locale->languageName() : QString();
    return name.contains(QStringLiteral("Turkey")) || name.contains(QStringLiteral("Türkiye")) ||
           name.contains(QStringLiteral("Turkish"));
}

void TForm1::SetLanguage() {
    const Language language = klangor::lang::languageOf(_lang);

    for (const klangor::lang::TextRow& row : klangor::lang::textRows()) {
        const QString target = QString::fromLatin1(row.target);
        QWidget* w = findTarget(*this, target);
        if (!w) {
            qCWarning(lcLang) << "no control named" << target;
            continue;
        }
        if (row.slot == Slot::Caption)
            setCaption(*this, w, row.text(language));
        else
            w->setToolTip(row.text(language));  // a hint, or a status line's hidden prefix
    }

    for (const klangor::lang::ListRow& row : klangor::lang::listRows()) {
        auto* list = findChild<QComboBox*>(QString::fromLatin1(row.target));
        if (!list) {
            qCWarning(lcLang) << "no list named" << row.target;
            continue;
        }
        // The action list starts over at "no action": a chosen action and its path are dropped.
        const bool isActionList = list == CheckBox3;
        refill(list, row.entries(language), !isActionList);
        if (isActionList)
            list->setCurrentIndex(0);
    }

    for (const char* name : kAutoSizeLabels)
        if (auto* label = findChild<QLabel*>(QString::fromLatin1(name)))
            label->adjustSize();
    // The bold status captions end just before their values. Where the installed font is wider
    // than the one the form was drawn with ("Bitiş:"), the caption is set a little tighter
    // instead of running into its value.
    for (const auto& [caption, value] :
         {std::pair{Label5, lblStart}, std::pair{Label6, lblEnd}, std::pair{Label7, lblx}}) {
        QFont f = caption->font();
        f.setLetterSpacing(QFont::AbsoluteSpacing, 0);
        caption->setFont(f);
        caption->adjustSize();
        constexpr int kGap = 3;  // pixels between a caption and its value
        const int over = caption->x() + caption->width() + kGap - value->x();
        if (over > 0 && caption->text().size() > 1) {
            f.setLetterSpacing(QFont::AbsoluteSpacing, -qreal(over) / (caption->text().size() - 1));
            caption->setFont(f);
            caption->adjustSize();
        }
    }
    if (TabSheet2->isVisible())
        fitRepeaterNote();  // otherwise when the page is shown
}

// The English note under the repeater's settings is longer than its Turkish original: its band
// is widened rather than the sentence cut off.
void TForm1::fitRepeaterNote() {
    Label20->resize(std::max(265, Label20->sizeHint().width()), Label20->height());
}

void TForm1::lnlLangClick() {
    // While an alarm is armed its stop caption is on Button1; the language stays until it ends.
    if (!wwDBDateTimePicker1->isEnabled())
        return;
    lnlLang->setText(lnlLang->text() == QLatin1String("TR") ? QStringLiteral("ENG")
                                                            : QStringLiteral("TR"));
    _lang = lnlLang->text();
    SetLanguage();
}
