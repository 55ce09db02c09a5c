// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Room for the times the main window shows. A time in the user's long time format can be
// "16:18:14", "4:18:14 PM" or "16時18分14秒": the time field and the status line are laid out for
// the widest time of the locale, so that every time shows whole, whatever the hour.

#include <QFont>
#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

class QDateTimeEdit;
class QFontMetrics;
class QLabel;
class QLocale;
class QString;
class QWidget;

namespace klangor {

/// The widest text that `format` gives for a time of day in `locale`, in pixels of `metrics`.
int widestTimeWidth(const QFontMetrics& metrics, const QLocale& locale, const QString& format);

/// Pieces of text side by side on one line. Each keeps its designed place where it fits there;
/// one that needs more room pushes those after it to the right, `gap` pixels after it. A piece
/// is as wide as designed, or as its text needs, without reaching into the next one. Returns the
/// places, or nothing when the last piece would end past `lineEnd`.
std::optional<std::vector<QRect>> placeOnLine(const std::vector<QRect>& designed,
                                              const std::vector<int>& needed, int gap, int lineEnd);

/// The status line under the Alarm page: three captions, each before its value.
class StatusLineRoom {
public:
    enum class Shows { Caption, LongTime, Counter };
    struct Piece {
        QLabel* label;
        Shows shows;
    };
    /// The pieces from left to right, at their designed places and in their designed fonts.
    explicit StatusLineRoom(std::vector<Piece> pieces);

    /// Lays the line out for the captions it shows now and the widest times (or the time
    /// shown now, where a day stands before it): at the designed
    /// places where the texts fit, moved apart where they do not, and in a smaller font where
    /// the line would otherwise run past its panel.
    void fit();

private:
    struct Designed {
        QRect place;
        QFont font;
    };
    std::vector<Piece> pieces_;
    std::vector<Designed> designed_;
};

/// The alarm time field and the button right of it: the field is widened for the widest time
/// of its format and locale, up to `rightLimit` (the button moves along with it), and its font
/// is made smaller where even that is not enough.
class TimeFieldRoom {
public:
    TimeFieldRoom(QDateTimeEdit* field, QWidget* buttonAfter, int rightLimit);
    void fit();

private:
    QDateTimeEdit* field_;
    QWidget* button_;
    int rightLimit_;
    QRect designedField_;
    int buttonGap_;
    QFont designedFont_;
};

}  // namespace klangor
