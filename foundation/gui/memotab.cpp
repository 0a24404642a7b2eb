#include "foundation/gui/memotab.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace kelvo {

namespace {

// The memo lets Return go on to the dialog (its default button); ignoring the
// event here makes Qt offer it to the parent widgets without the memo seeing it.
class TReturnPassOn : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        event->ignore();
        return true;
    }
};

// The memo's default when no stops are set.
constexpr int DefaultTabStop = 32;

} // namespace

TMemoTab::TMemoTab(QPlainTextEdit* memo) : FMemo(memo), KeyFilter(new TReturnPassOn) {
    FMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    FMemo->setTabChangesFocus(true);
    FMemo->installEventFilter(KeyFilter.get());
    SetAutoFit(true);
    ReadFontMetrics();
    SetMemoTabs();
    TextChanged = QObject::connect(FMemo, &QPlainTextEdit::textChanged, [this] { Fit(); });
}

TMemoTab::~TMemoTab() {
    QObject::disconnect(TextChanged);
    if (FMemo)
        FMemo->removeEventFilter(KeyFilter.get());
}

void TMemoTab::SetAutoFit(bool on) {
    if (on == AutoFit || !FMemo)
        return;
    AutoFit = on;
    if (on) {
        SavedReadOnly = FMemo->isReadOnly();
        SavedMinimumSize = FMemo->minimumSize();
        SavedMaximumSize = FMemo->maximumSize();
        SavedHorizontalPolicy = FMemo->horizontalScrollBarPolicy();
        SavedVerticalPolicy = FMemo->verticalScrollBarPolicy();
        FMemo->setReadOnly(true);
        // A fitted memo shows everything; a scroll bar would only eat space.
        FMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else {
        const QSize size = FMemo->size();
        FMemo->setReadOnly(SavedReadOnly);
        FMemo->setMinimumSize(SavedMinimumSize);
        FMemo->setMaximumSize(SavedMaximumSize);
        FMemo->setHorizontalScrollBarPolicy(SavedHorizontalPolicy);
        FMemo->setVerticalScrollBarPolicy(SavedVerticalPolicy);
        FMemo->resize(size);
    }
}

void TMemoTab::ApplyTabStops() {
    if (!FMemo)
        return;
    ReadFontMetrics();
    SetMemoTabs();
    Fit();
}

void TMemoTab::ReadFontMetrics() {
    const QFontMetrics metrics(FMemo->font());
    AverageWidth = metrics.averageCharWidth();
    WideWidth = std::min((5 * AverageWidth + 1) / 2, metrics.maxWidth());
    TabUnit = AverageWidth + (WideWidth - AverageWidth) / 5;
}

std::vector<int> TMemoTab::TabPixels() const {
    std::vector<int> pixels;
    if (TabStops.empty())
        pixels.push_back((DefaultTabStop * TabUnit + 3) / 4);
    for (const std::uint16_t t : TabStops)
        pixels.push_back((t * TabUnit + 3) / 4);
    return pixels;
}

void TMemoTab::SetMemoTabs() {
    const std::vector<int> pixels = TabPixels();
    QTextOption option = FMemo->document()->defaultTextOption();
    if (pixels.size() == 1) {
        option.setTabs({});
        option.setTabStopDistance(pixels.front());
    } else {
        QList<QTextOption::Tab> tabs;
        for (const int p : pixels)
            tabs.append(QTextOption::Tab(p, QTextOption::LeftTab));
        option.setTabs(tabs);
    }
    FMemo->document()->setDefaultTextOption(option);
}

void TMemoTab::Fit() {
    if (!AutoFit || !FMemo)
        return;
    ReadFontMetrics();
    SetMemoTabs();
    const QFontMetrics metrics(FMemo->font());
    std::vector<int> pixels = TabPixels();
    const int repeat = pixels.size() == 1 ? pixels.front() : 0;
    pixels.push_back(0); // the tab array ends with a zero
    int* tabArray = repeat ? nullptr : pixels.data();

    const QString text = FMemo->toPlainText();
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    int widest = 0;
    int tallest = 0;
    for (const QString& line : lines) {
        const QSize extent = metrics.size(Qt::TextExpandTabs, line, repeat, tabArray);
        widest = std::max(widest, extent.width() & 0xFFFF);
        tallest = std::max(tallest, extent.height() & 0xFFFF);
    }

    const int border = FMemo->height() - FMemo->contentsRect().height();
    const int margin = static_cast<int>(std::ceil(FMemo->document()->documentMargin()));
    const int width = 2 * border + widest + TabUnit + 2 * margin;
    // The text starts below the document margin as well, so the height holds
    // the margins too; without them the last line would be cut.
    const int height = 2 * border + static_cast<int>(lines.size()) * tallest + 2 * margin;
    FMemo->setFixedSize(width, height);
}

} // namespace kelvo
