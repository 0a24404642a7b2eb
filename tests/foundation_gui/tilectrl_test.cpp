#include "foundation/gui/autodialog.h"
#include "foundation/gui/tilectrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace kelvo {
namespace {

class TileLayout : public ::testing::Test {
protected:
    int X(int units) const { return Table.ToPixelsX(units); }
    int Y(int units) const { return Table.ToPixelsY(units); }

    QWidget Form;
    TTileTable Table;
};

TEST_F(TileLayout, BaseUnitsComeFromTheContainersFont) {
    new QCheckBox("a", &Form);
    Layout(&Form, Table);
    const QFontMetrics metrics(Form.font());
    EXPECT_EQ(Table.HorizontalUnit(), metrics.averageCharWidth());
    EXPECT_EQ(Table.VerticalUnit(), metrics.height());
    EXPECT_EQ(X(6), metrics.averageCharWidth() * 6 / 4);
    EXPECT_EQ(Y(6), metrics.height() * 6 / 8);
}

TEST_F(TileLayout, GapsDependOnWhetherTheKindRepeats) {
    auto* edit = new QLineEdit(&Form);
    auto* first = new QCheckBox("first", &Form);
    auto* second = new QCheckBox("second", &Form);
    Layout(&Form, Table);

    // The first control of a form follows "another kind".
    EXPECT_EQ(edit->geometry().topLeft(), QPoint(X(6), Y(1) + Y(6)));
    EXPECT_EQ(first->y(), edit->y() + edit->height() + Y(6));
    EXPECT_EQ(second->y(), first->y() + first->height() + Y(2));
    EXPECT_EQ(first->x(), X(6));
    EXPECT_EQ(second->x(), X(6));
}

TEST_F(TileLayout, KindsGetTheirDefaultSizePlusOnePixelButNeverLessThanTheyNeed) {
    auto* button = new QPushButton("OK", &Form);
    auto* radio = new QRadioButton("r", &Form);
    auto* edit = new QLineEdit(&Form);
    auto* longer = new QPushButton("A caption far wider than forty dialog units", &Form);
    auto* combo = new QComboBox(&Form);
    combo->addItem("A choice far wider than seventy-two dialog units, surely");
    Layout(&Form, Table);

    auto standard = [&](QWidget* w, int g) {
        return QSize(std::max(X(Table.Values[g + 2]) + 1, w->sizeHint().width()),
                     std::max(Y(Table.Values[g + 3]) + 1, w->sizeHint().height()));
    };
    EXPECT_EQ(button->size(), standard(button, TTileTable::Button));
    EXPECT_EQ(radio->size(), standard(radio, TTileTable::RadioButton));
    EXPECT_EQ(radio->width(), X(61) + 1);
    EXPECT_EQ(edit->width(), X(72) + 1);
    EXPECT_GE(edit->height(), edit->sizeHint().height());
    EXPECT_EQ(longer->width(), longer->sizeHint().width());
    EXPECT_GT(longer->width(), X(40) + 1);
    EXPECT_EQ(combo->width(), combo->sizeHint().width());
}

TEST_F(TileLayout, NegativeSizesAreExactPixels) {
    auto* edit = new QLineEdit(&Form);
    SetTileHints(edit, 0, 0, TileSize(100), TileSize(30));
    auto* wide = new QLineEdit(&Form);
    SetTileHints(wide, 0, 0, TileSize(100), 0);
    Layout(&Form, Table);
    EXPECT_EQ(edit->size(), QSize(100, 30));
    EXPECT_EQ(wide->width(), 100);
    EXPECT_EQ(wide->height(), std::max(Y(9) + 1, wide->sizeHint().height()));
    EXPECT_EQ(TileSize(100), static_cast<int>(0xFFFF0064u));
}

TEST_F(TileLayout, BesideFollowsThePreviousControlOnItsRow) {
    auto* a = new QPushButton("a", &Form);
    auto* b = new QPushButton("b", &Form);
    SetTileHints(b, TileBeside, 0, 0, 0);
    auto* c = new QPushButton("c", &Form);
    SetTileHints(c, TileBeside | 5, 3, 0, 0);
    Layout(&Form, Table);

    EXPECT_EQ(b->y(), a->y());
    // The gap beside a control converts with the vertical unit.
    EXPECT_EQ(b->x(), a->x() + a->width() + Y(6));
    EXPECT_EQ(c->x(), b->x() + b->width() + 5);
    EXPECT_EQ(c->y(), a->y() + 3);
}

TEST_F(TileLayout, BesideAsFirstOfAColumnIsPlacedAsIfClear) {
    auto* first = new QCheckBox("first", &Form);
    SetTileHints(first, TileBeside, 0, 0, 0);
    auto* next = new QCheckBox("next", &Form);
    SetTileHints(next, TileNewColumn | TileBeside, 0, 0, 0);
    Layout(&Form, Table);

    EXPECT_EQ(first->pos(), QPoint(X(6), Y(1) + Y(6)));
    // A new column starts at the widest right edge plus the column gap, and
    // at the top again; the kind repeats, so the gap is the same-kind one.
    EXPECT_EQ(next->pos(), QPoint(first->x() + first->width() + X(12), Y(1) + Y(2)));
}

TEST_F(TileLayout, OffsetsAddToPositionAndReplaceTheGap) {
    auto* a = new QLineEdit(&Form);
    SetTileHints(a, 4, 0, 0, 0);
    auto* b = new QLineEdit(&Form);
    SetTileHints(b, -2 & 0xFFFF, 20, 0, 0);
    Layout(&Form, Table);
    EXPECT_EQ(a->x(), X(6) + 4);
    EXPECT_EQ(b->x(), X(6) - 2);
    EXPECT_EQ(b->y(), a->y() + a->height() + 20);
}

TEST_F(TileLayout, ContainerIsSizedAroundItsControls) {
    auto* a = new QLineEdit(&Form);
    auto* b = new QLineEdit(&Form);
    SetTileHints(b, TileNewColumn, 0, TileSize(50), 0);
    Layout(&Form, Table);
    EXPECT_EQ(Form.width(), b->x() + b->width() + X(6));
    EXPECT_EQ(Form.height(), a->y() + a->height() + Y(6));
}

TEST_F(TileLayout, LabelsKeepTheSizeTheirTextNeeds) {
    auto* label = new QLabel("A fairly long label that must not be cut", &Form);
    auto* sized = new QLabel("x", &Form);
    sized->resize(123, 17);
    Layout(&Form, Table);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_EQ(sized->size(), QSize(123, 17));
}

TEST_F(TileLayout, GroupBoxesAreLaidOutInsideAndSizedAroundTheirContent) {
    auto* before = new QCheckBox("before", &Form);
    auto* box = new QGroupBox("Box", &Form);
    auto* one = new QRadioButton("one", box);
    auto* two = new QRadioButton("two", box);
    SetTileHints(two, 0, 0, TileSize(150), 0);
    auto* after = new QCheckBox("after", &Form);
    Layout(&Form, Table);

    EXPECT_EQ(box->y(), before->y() + before->height() + Y(3));
    EXPECT_EQ(two->y(), one->y() + one->height() + Y(1));
    EXPECT_EQ(two->width(), 150);
    // Inside the box, below its title, with the group box margins around.
    EXPECT_GT(one->y(), 0);
    EXPECT_GE(one->x(), X(6));
    EXPECT_EQ(box->width() - (two->x() + two->width()), one->x());
    EXPECT_GE(box->height(), two->y() + two->height() + Y(4));
    EXPECT_EQ(after->y(), box->y() + box->height() + Y(6));
}

TEST_F(TileLayout, LayingOutAgainGivesTheSamePlaces) {
    new QLineEdit(&Form);
    auto* b = new QPushButton("b", &Form);
    SetTileHints(b, TileBeside | 7, 2, 0, 0);
    Layout(&Form, Table);
    const QRect first = b->geometry();
    Layout(&Form, Table);
    EXPECT_EQ(b->geometry(), first);
    EXPECT_EQ(TileHints(b).Left, TileBeside | 7);
}

TEST_F(TileLayout, EmptyContainerIsLeftAlone) {
    Form.resize(77, 55);
    Layout(&Form, Table);
    EXPECT_EQ(Form.size(), QSize(77, 55));
}

// ---- the dialog frame ----

class AutoDialog : public ::testing::Test {
protected:
    std::vector<QString> Captions() const {
        std::vector<QString> out;
        for (int i = 0; i < 4; ++i)
            out.push_back(Dialog.Button(i) ? Dialog.Button(i)->text() : QString("-"));
        return out;
    }
    void Press(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    TAutoDialog Dialog;
};

TEST_F(AutoDialog, YesNoCancelWithHelpAnswersEscapeAndReturn) {
    auto* edit = new QLineEdit(&Dialog);
    Dialog.SetButtons(TAutoDialog::SetYesNoCancel | TAutoDialog::FlagHelp);
    EXPECT_EQ(Captions(), (std::vector<QString>{"Ja", "Nein", "Abbrechen", "Hilfe"}));
    EXPECT_EQ(Dialog.DefaultButton(), Dialog.Button(0));
    EXPECT_EQ(Dialog.CancelButton(), Dialog.Button(2));

    Dialog.show();
    edit->setFocus();
    Press(edit, Qt::Key_Escape);
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(Dialog.result(), TAutoDialog::Cancel);

    Dialog.show();
    Press(edit, Qt::Key_Return);
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(Dialog.result(), TAutoDialog::Yes);
}

TEST_F(AutoDialog, ButtonsStandInOneRowBelowTheContent) {
    auto* edit = new QLineEdit(&Dialog);
    Dialog.SetButtons(TAutoDialog::SetYesNoCancel | TAutoDialog::FlagHelp);
    const int top = Dialog.Button(0)->y();
    EXPECT_GT(top, edit->y() + edit->height());
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(Dialog.Button(i)->y(), top);
        EXPECT_GT(Dialog.Button(i)->x(), Dialog.Button(i - 1)->x() + Dialog.Button(i - 1)->width());
    }
    EXPECT_GE(Dialog.width(), Dialog.Button(3)->x() + Dialog.Button(3)->width());
    EXPECT_GE(Dialog.height(), top + Dialog.Button(3)->height());
}

TEST_F(AutoDialog, ColumnPlacementStacksTheButtonsRightOfTheContent) {
    auto* edit = new QLineEdit(&Dialog);
    Dialog.SetButtons(TAutoDialog::SetOkCancel | TAutoDialog::FlagButtonColumn);
    QPushButton* ok = Dialog.Button(0);
    QPushButton* cancel = Dialog.Button(1);
    EXPECT_GT(ok->x(), edit->x() + edit->width());
    EXPECT_EQ(cancel->x(), ok->x());
    EXPECT_EQ(cancel->y(), ok->y() + ok->height() + Dialog.Tile.ToPixelsY(6));
    EXPECT_EQ(Dialog.Button(2), nullptr);
}

TEST_F(AutoDialog, EveryStandardSetHasItsCaptionsAndResults) {
    const std::vector<std::vector<QString>> captions = {
        {"OK", "-", "-"},
        {"OK", "Abbrechen", "-"},
        {"Aufgeben", "Wiederholen", QString::fromUtf8("Übergehen")},
        {"Ja", "Nein", "Abbrechen"},
        {"Ja", "Nein", "-"},
        {"Wiederholen", "Abbrechen", "-"},
        {"Abbrechen", "-", "-"},
    };
    const std::vector<std::vector<int>> results = {{1},    {1, 2}, {3, 4, 5}, {6, 7, 2},
                                                   {6, 7}, {4, 2}, {2}};
    for (int set = 0; set < 7; ++set) {
        SCOPED_TRACE(set);
        Dialog.SetButtons(set);
        std::vector<QString> got = Captions();
        got.pop_back();
        EXPECT_EQ(got, captions[set]);
        for (std::size_t i = 0; i < results[set].size(); ++i) {
            Dialog.show();
            Dialog.Button(static_cast<int>(i))->click();
            EXPECT_EQ(Dialog.result(), results[set][i]);
            EXPECT_FALSE(Dialog.isVisible());
        }
        EXPECT_EQ(
            Dialog.findChildren<QPushButton*>().size(),
            static_cast<qsizetype>(got.size() - std::count(got.begin(), got.end(), QString("-"))));
    }
}

TEST_F(AutoDialog, ANewButtonSetResizesTheDialog) {
    new QLineEdit(&Dialog);
    Dialog.SetButtons(TAutoDialog::SetOk);
    const QSize one = Dialog.size();
    Dialog.SetButtons(TAutoDialog::SetYesNoCancel | TAutoDialog::FlagHelp);
    EXPECT_GT(Dialog.width(), one.width());
    EXPECT_EQ(Dialog.findChildren<QPushButton*>().size(), 4);
    Dialog.SetButtons(TAutoDialog::SetOk);
    EXPECT_EQ(Dialog.size(), one);
    EXPECT_EQ(Dialog.minimumSize(), Dialog.maximumSize());
}

TEST_F(AutoDialog, SetsSevenToFifteenKeepTheButtons) {
    Dialog.SetButtons(TAutoDialog::SetOkCancel);
    QPushButton* ok = Dialog.Button(0);
    Dialog.SetButtons(7 | TAutoDialog::FlagHelp);
    EXPECT_EQ(Dialog.Button(0), ok);
    EXPECT_EQ(Captions(), (std::vector<QString>{"OK", "Abbrechen", "-", "-"}));
}

TEST_F(AutoDialog, EscapeWithoutCancelButtonDoesNothing) {
    Dialog.SetButtons(TAutoDialog::SetOk);
    Dialog.show();
    Press(&Dialog, Qt::Key_Escape);
    EXPECT_TRUE(Dialog.isVisible());
    // The window's close box still closes it, as Cancel.
    Dialog.close();
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(Dialog.result(), TAutoDialog::Cancel);
}

TEST_F(AutoDialog, EscapeTriggersTheCancelRoleWhateverItsResult) {
    Dialog.SetButtons(TAutoDialog::SetYesNo);
    Dialog.show();
    Press(&Dialog, Qt::Key_Escape);
    EXPECT_EQ(Dialog.result(), TAutoDialog::No);
}

TEST_F(AutoDialog, HelpCallsTheInstalledHandlerAndKeepsTheDialogOpen) {
    Dialog.SetButtons(TAutoDialog::SetOkCancel | TAutoDialog::FlagHelp);
    Dialog.show();
    Dialog.Button(2)->click(); // nothing installed: nothing happens
    EXPECT_TRUE(Dialog.isVisible());

    TAutoDialog* asked = nullptr;
    auto old = TAutoDialog::SetHelpHandler([&](TAutoDialog& d) { asked = &d; });
    Dialog.Button(2)->click();
    TAutoDialog::SetHelpHandler(old);
    EXPECT_EQ(asked, &Dialog);
    EXPECT_TRUE(Dialog.isVisible());
}

TEST_F(AutoDialog, ExecReturnsTheResultOfTheButtonPressed) {
    Dialog.SetButtons(TAutoDialog::SetYesNoCancel);
    QTimer::singleShot(0, [this] { Dialog.Button(1)->click(); });
    EXPECT_EQ(Dialog.exec(), TAutoDialog::No);
}

TEST(AutoDialogPlacement, CentresOnTheMainWindowUnlessPlacedElsewhere) {
    QMainWindow main;
    main.setGeometry(100, 80, 800, 600);
    main.show();
    {
        TAutoDialog dialog(&main);
        new QLineEdit(&dialog);
        dialog.SetButtons(TAutoDialog::SetOkCancel);
        const QRect m = main.frameGeometry();
        EXPECT_EQ(dialog.x(), m.left() + (m.width() - dialog.width()) / 2);
        EXPECT_EQ(dialog.y(), m.top() + (m.height() - dialog.height()) / 2);
    }
    {
        TAutoDialog dialog(&main);
        dialog.move(5, 6);
        dialog.SetButtons(TAutoDialog::SetOkCancel);
        EXPECT_EQ(dialog.pos(), QPoint(5, 6));
    }
}

} // namespace
} // namespace kelvo
