#pragma once
// Turns a QPlainTextEdit into a read-only, tab-aligned text panel that sizes
// itself to its content: two-column texts such as "File name:<tab>value" line
// up at the tab stops, and the memo grows or shrinks whenever its text changes
// so that every line is visible in full.
#include <QMetaObject>
#include <QPointer>
#include <QSize>

#include <cstdint>
#include <memory>
#include <vector>

class QObject;
class QEvent;
class QPlainTextEdit;

namespace kelvo {

class TMemoTab {
public:
    // The memo is not owned; it may go before this object does.
    explicit TMemoTab(QPlainTextEdit* memo);
    ~TMemoTab();
    TMemoTab(const TMemoTab&) = delete;
    TMemoTab& operator=(const TMemoTab&) = delete;

    // While set the memo is read-only and sized to its text; clearing it gives
    // the memo back its earlier read-only state and size limits.
    void SetAutoFit(bool on);
    bool GetAutoFit() const { return AutoFit; }

    // Hands TabStops (dialog units: a quarter of the average character width)
    // to the memo and fits it. One stop repeats at its distance; none leaves
    // the memo's default of 32 dialog units.
    void ApplyTabStops();
    // Sizes the memo to its text; nothing while AutoFit is clear.
    void Fit();

    QPlainTextEdit* Memo() const { return FMemo; }

    std::vector<std::uint16_t> TabStops;

    // Font measures of the last Fit, in pixels.
    int AverageWidth = 0;
    int WideWidth = 0;
    // The width of four dialog units.
    int TabUnit = 0;

private:
    void ReadFontMetrics();
    // Stop positions in pixels; with a single stop, its repeat distance.
    std::vector<int> TabPixels() const;
    void SetMemoTabs();

    QPointer<QPlainTextEdit> FMemo;
    bool AutoFit = false;
    bool SavedReadOnly = false;
    QSize SavedMinimumSize;
    QSize SavedMaximumSize;
    Qt::ScrollBarPolicy SavedHorizontalPolicy = Qt::ScrollBarAsNeeded;
    Qt::ScrollBarPolicy SavedVerticalPolicy = Qt::ScrollBarAsNeeded;
    QMetaObject::Connection TextChanged;
    std::unique_ptr<QObject> KeyFilter;
};

} // namespace kelvo
