// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/time_room.h"
#include "lang/format.h"

#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTime>

#include <algorithm>
#include <limits>

namespace klangor {

namespace {

// No text is set smaller than this to make room; past it, a text may be cut.
constexpr int kSmallestPixelSize = 9;
// Pixels between two pieces of the status line pushed apart.
constexpr int kStatusGap = 3;
// Free pixels between the time field's button and the control after it.
constexpr int kButtonMargin = 4;
// QLineEdit draws its text 2 px in from each side, and the cursor after it.
constexpr int kLineEditMargins = 2 * 2 + 1;

QFont withPixelSize(QFont font, int px) {
    font.setPixelSize(px);
    return font;
}

int widestDigitWidth(const QFontMetrics& metrics) {
    int widest = 0;
    for (char d = '0'; d <= '9'; ++d)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(d)));
    return widest;
}

}  // namespace

int widestTimeWidth(const QFontMetrics& metrics, const QLocale& locale, const QString& format) {
    // Minutes and seconds are written with the same digits: find the widest pair once, then try
    // every hour with it (hours differ in digits and in the AM/PM text).
    int widestPair = 0;
    int widest = -1;
    for (int m = 0; m < 60; ++m) {
        const int w = metrics.horizontalAdvance(locale.toString(QTime(0, m, m), format));
        if (w > widest) {
            widest = w;
            widestPair = m;
        }
    }
    for (int h = 0; h < 24; ++h)
        widest = std::max(widest, metrics.horizontalAdvance(
                                      locale.toString(QTime(h, widestPair, widestPair), format)));
    return widest;
}

std::optional<std::vector<QRect>> placeOnLine(const std::vector<QRect>& designed,
                                              const std::vector<int>& needed, int gap,
                                              int lineEnd) {
    std::vector<QRect> places;
    places.reserve(designed.size());
    int end = designed.empty() ? 0 : designed.front().x();  // where the last piece ended
    for (std::size_t i = 0; i < designed.size(); ++i) {
        const bool pushed = i > 0 && end + gap > designed[i].x();
        const int x = pushed ? end + gap : designed[i].x();
        places.emplace_back(x, designed[i].y(), needed[i], designed[i].height());
        end = x + needed[i];
    }
    if (end > lineEnd)
        return std::nullopt;
    // Where there is room, a piece keeps its designed width.
    for (std::size_t i = 0; i < places.size(); ++i) {
        const int limit = i + 1 < places.size() ? places[i + 1].x() : lineEnd;
        places[i].setWidth(
            std::max(places[i].width(), std::min(designed[i].width(), limit - places[i].x())));
    }
    return places;
}

StatusLineRoom::StatusLineRoom(std::vector<Piece> pieces) : pieces_(std::move(pieces)) {
    for (const Piece& p : pieces_) {
        designed_.push_back({p.label->geometry(), p.label->font()});
        // A value stays next to its caption also when it is written right to left (Arabic
        // digits and letters), which would otherwise align it with the caption after it.
        if (p.shows != Shows::Caption)
            p.label->setAlignment(p.label->alignment() | Qt::AlignAbsolute);
    }
}

void StatusLineRoom::fit() {
    if (pieces_.empty())
        return;
    const QLocale locale;
    const QString longTime = LongTimeFormat(locale);
    const QWidget* panel = pieces_.front().label->parentWidget();
    const int lineEnd = panel->width();

    const int largest = designed_.front().font.pixelSize();
    for (int px = largest;; --px) {
        std::vector<QRect> designed;
        std::vector<int> needed;
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            QLabel* label = pieces_[i].label;
            const QFont font = withPixelSize(designed_[i].font, px);
            const QFontMetrics fm(font);
            designed.push_back(designed_[i].place);
            switch (pieces_[i].shows) {
                case Shows::Caption:
                    // A caption is as large as its text, as the language switch sizes it.
                    label->setFont(font);
                    designed.back().setSize({0, label->sizeHint().height()});
                    needed.push_back(label->sizeHint().width());
                    break;
                case Shows::LongTime:
                    // The widest time, or what the label shows now if wider (a day before it).
                    needed.push_back(std::max(widestTimeWidth(fm, locale, longTime),
                                              fm.horizontalAdvance(label->text())) +
                                     1);
                    break;
                case Shows::Counter:
                    // Up to 999 hours ahead: room for a third digit of hours.
                    needed.push_back(widestTimeWidth(fm, QLocale::c(), QStringLiteral("hh:mm:ss")) +
                                     widestDigitWidth(fm) + 1);
                    break;
            }
        }
        std::optional<std::vector<QRect>> places =
            placeOnLine(designed, needed, kStatusGap, lineEnd);
        if (!places && px > kSmallestPixelSize)
            continue;
        if (!places)  // nothing fits: the smallest font, packed from the left
            places = placeOnLine(designed, needed, kStatusGap, std::numeric_limits<int>::max());
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            pieces_[i].label->setFont(withPixelSize(designed_[i].font, px));
            pieces_[i].label->setGeometry((*places)[i]);
        }
        return;
    }
}

TimeFieldRoom::TimeFieldRoom(QDateTimeEdit* field, QWidget* buttonAfter, int rightLimit)
    : field_(field),
      button_(buttonAfter),
      rightLimit_(rightLimit),
      designedField_(field->geometry()),
      buttonGap_(buttonAfter->x() - (field->x() + field->width())),
      designedFont_(field->font()) {}

void TimeFieldRoom::fit() {
    // The field's frame and arrows, as its style draws them at the designed size.
    QStyleOptionSpinBox opt;
    opt.initFrom(field_);
    opt.rect = QRect(QPoint(0, 0), designedField_.size());
    opt.frame = field_->hasFrame();
    opt.buttonSymbols = field_->buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    if (field_->buttonSymbols() != QAbstractSpinBox::NoButtons)
        opt.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    const int chrome =
        designedField_.width() -
        field_->style()
            ->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, field_)
            .width();
    const int widest =
        rightLimit_ - kButtonMargin - button_->width() - buttonGap_ - designedField_.x();

    int px = designedFont_.pixelSize();
    int width = designedField_.width();
    for (;; --px) {
        const QFontMetrics fm(withPixelSize(designedFont_, px));
        const int needed = widestTimeWidth(fm, field_->locale(), field_->displayFormat()) +
                           kLineEditMargins + chrome;
        width = std::max(designedField_.width(), std::min(needed, widest));
        if (needed <= widest || px <= kSmallestPixelSize)
            break;
    }
    field_->setFont(withPixelSize(designedFont_, px));
    field_->setGeometry(designedField_.x(), designedField_.y(), width, designedField_.height());
    button_->move(field_->x() + width + buttonGap_, button_->y());
}

}  // namespace klangor
