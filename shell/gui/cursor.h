#pragma once
// The hourglass for the length of a scope, restored also when an exception
// passes. Loading and saving run under one.
#include <QApplication>
#include <QCursor>

namespace kelvo {

class TChangeCursorTemp {
public:
    TChangeCursorTemp() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TChangeCursorTemp() { QApplication::restoreOverrideCursor(); }
    TChangeCursorTemp(const TChangeCursorTemp&) = delete;
    TChangeCursorTemp& operator=(const TChangeCursorTemp&) = delete;
};

} // namespace kelvo
