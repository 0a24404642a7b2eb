#include "foundation/gui/memotab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace kelvo {
namespace {

class MemoTab : public ::testing::Test {
protected:
    void SetUp() override {
        Memo = new QPlainTextEdit(&Window);
        Window.resize(800, 600);
        Window.show();
    }

    int Border() const { return Memo->height() - Memo->contentsRect().height(); }
    int Margin() const { return static_cast<int>(Memo->document()->documentMargin()); }
    // The left edge of character n of line `line`, in viewport pixels.
    int CharLeft(int line, int n) const {
        QTextCursor c(Memo->document()->findBlockByNumber(line));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, n);
        return Memo->cursorRect(c).left();
    }
    // Every line, and every line in full, lies inside the viewport.
    void ExpectAllTextVisible() const {
        QTextCursor end(Memo->document());
        end.movePosition(QTextCursor::End);
        EXPECT_LE(Memo->cursorRect(end).bottom(), Memo->viewport()->height());
        EXPECT_LE(Memo->document()->idealWidth(), Memo->viewport()->width());
    }

    QWidget Window;
    QPlainTextEdit* Memo = nullptr;
};

TEST_F(MemoTab, EmptyMemoGetsOnlyItsFrameMarginsAndOneTabUnit) {
    TMemoTab tab(Memo);
    tab.ApplyTabStops();

    EXPECT_EQ(Memo->height(), 2 * Border() + 2 * Margin());
    EXPECT_EQ(Memo->width(), 2 * Border() + tab.TabUnit + 2 * Margin());
    EXPECT_GT(tab.TabUnit, 0);
    EXPECT_GE(tab.WideWidth, tab.AverageWidth);
}

TEST_F(MemoTab, TextChangeResizesAtOnceSoThatEveryLineShows) {
    TMemoTab tab(Memo);
    tab.TabStops.push_back(80);
    tab.ApplyTabStops();
    const QSize empty = Memo->size();

    Memo->setPlainText("File name:\t/tmp/a.dat\nSize:\t12 bytes");
    const QSize two = Memo->size();
    EXPECT_GT(two.width(), empty.width());
    EXPECT_EQ(two.height(), empty.height() + 2 * QFontMetrics(Memo->font()).height());
    ExpectAllTextVisible();

    Memo->appendPlainText("Modified:\tSaturday, the twenty-first of something very long indeed");
    EXPECT_GT(Memo->width(), two.width());
    EXPECT_EQ(Memo->height(), empty.height() + 3 * QFontMetrics(Memo->font()).height());
    ExpectAllTextVisible();

    Memo->clear();
    EXPECT_EQ(Memo->size(), empty);
}

TEST_F(MemoTab, ValuesStartAtTheTabStopWhateverTheLabelWidth) {
    TMemoTab tab(Memo);
    tab.TabStops.push_back(60);
    tab.ApplyTabStops();
    Memo->setPlainText("A:\tone\nA much longer label:\ttwo");
    Memo->updateGeometry();

    const int stop = (60 * tab.TabUnit + 3) / 4;
    EXPECT_EQ(CharLeft(0, 3), CharLeft(0, 0) + stop);
    // A single stop repeats: a label past it moves on to the next multiple.
    const int labelWidth = QFontMetrics(Memo->font()).horizontalAdvance("A much longer label:");
    const int next = (labelWidth / stop + 1) * stop;
    EXPECT_EQ(CharLeft(1, 21), CharLeft(1, 0) + next);
    ExpectAllTextVisible();
}

TEST_F(MemoTab, SeveralStopsEachTakeTheirPlace) {
    TMemoTab tab(Memo);
    tab.TabStops = {20, 100};
    tab.ApplyTabStops();
    Memo->setPlainText("a\tb\tc");

    EXPECT_EQ(CharLeft(0, 2) - CharLeft(0, 0), (20 * tab.TabUnit + 3) / 4);
    EXPECT_EQ(CharLeft(0, 4) - CharLeft(0, 0), (100 * tab.TabUnit + 3) / 4);
    ExpectAllTextVisible();
}

TEST_F(MemoTab, ClearingAutoFitGivesBackEditingAndStopsResizing) {
    Memo->setReadOnly(false);
    TMemoTab tab(Memo);
    EXPECT_TRUE(Memo->isReadOnly());
    tab.ApplyTabStops();

    tab.SetAutoFit(false);
    EXPECT_FALSE(Memo->isReadOnly());
    const QSize before = Memo->size();
    Memo->setPlainText("a line\nanother line\nand a third");
    EXPECT_EQ(Memo->size(), before);

    tab.SetAutoFit(true);
    tab.Fit();
    EXPECT_TRUE(Memo->isReadOnly());
    EXPECT_NE(Memo->size(), before);
}

TEST_F(MemoTab, ReadOnlyMemoStaysReadOnlyAfterAutoFit) {
    Memo->setReadOnly(true);
    TMemoTab tab(Memo);
    tab.SetAutoFit(false);
    EXPECT_TRUE(Memo->isReadOnly());
}

TEST_F(MemoTab, ReturnGoesToTheDialogsDefaultButtonAndTabMovesFocus) {
    QDialog dialog;
    auto* memo = new QPlainTextEdit(&dialog);
    auto* ok = new QPushButton("OK", &dialog);
    ok->move(0, 200);
    ok->setDefault(true);
    bool pressed = false;
    QObject::connect(ok, &QPushButton::clicked, [&] { pressed = true; });
    TMemoTab tab(memo);
    memo->setPlainText("x\ty");
    dialog.show();
    memo->setFocus();

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(memo, &press);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(memo->toPlainText(), "x\ty");
    EXPECT_TRUE(memo->tabChangesFocus());
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(MemoTab, EndsQuietlyWhoeverGoesFirst) {
    {
        TMemoTab tab(Memo);
        tab.ApplyTabStops();
    }
    const QSize after = Memo->size();
    Memo->setPlainText("no longer fitted\nat all");
    EXPECT_EQ(Memo->size(), after);

    auto tab = std::make_unique<TMemoTab>(Memo);
    delete Memo;
    Memo = nullptr;
    tab->ApplyTabStops();
    tab->SetAutoFit(false);
    tab.reset();
}

} // namespace
} // namespace kelvo
