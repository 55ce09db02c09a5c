#pragma once

#include "app/form1.h"

/// The tests' view of TForm1's private fields.
struct TForm1Access {
    static QTime& startTime(TForm1& f) { return f._startTime; }
    static QTime& endTime(TForm1& f) { return f._endTime; }
    static QDateTime& endAt(TForm1& f) { return f._endAt; }
    static int& shut(TForm1& f) { return f._shut; }
    static QString& exec(TForm1& f) { return f._exec; }
    static int& tmr(TForm1& f) { return f._tmr; }
    static QDateTime& xbegin(TForm1& f) { return f.xbegin; }
    static QString& lang(TForm1& f) { return f._lang; }
};
