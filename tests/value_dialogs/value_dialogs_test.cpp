#include "editor/value_dialogs.h"

#include "model/dlglinevalue_choice.h"
#include "model/kelvo_doc_support.h"
#include "online/kelvo_online.h"
#include "translations/mlparas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace kelvo {
namespace {

using namespace test;
using Doc = TFileTypeKelvo;

QPushButton* ButtonOf(QWidget* dialog, const QString& caption) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

// Once the modal dialog is up, lets act work on it and then presses the button
// with the caption `press`. Whatever act finds, the dialog is ended, so a
// failing test cannot hang in exec().
void WhenModal(std::function<void(TValueDialog&)> act, QString press) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act, press] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        auto* dialog = dynamic_cast<TValueDialog*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "not a value dialog: " << modal->metaObject()->className();
            modal->close();
            return;
        }
        if (act)
            act(*dialog);
        if (QPushButton* b = ButtonOf(dialog, press))
            b->click();
        if (dialog->isVisible())
            dialog->done(TAutoDialog::None);
    });
    timer->start(5);
}

void Type(TValueDialog& d, const QString& text) {
    ASSERT_NE(d.Edit, nullptr);
    d.Edit->setText(text);
}

void Pick(TValueDialog& d, int item) {
    ASSERT_NE(d.List, nullptr);
    d.List->setCurrentIndex(item);
}

class ValueDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        Previous = InstallQtValueEditor();
        Owner.resize(600, 400);
        Owner.show();
    }
    void TearDown() override { SetValueEditor(Previous); }

    TEntry ChoiceLine(std::vector<std::string> texts, std::uint16_t index) {
        TEntry e = Line(Document, 2, ChoiceKind, 0, "Mode");
        auto& value = static_cast<TDlglineValueChoice&>(*e.Value);
        value.SetChoices(texts);
        value.Index = index;
        return e;
    }
    static TDlglineValueChoice& ChoiceOf(TEntry& e) {
        return static_cast<TDlglineValueChoice&>(*e.Value);
    }

    TValueEditor* Previous = nullptr;
    QWidget Owner;
    Doc Document;
};

TEST_F(ValueDialogs, TextDialogIsBuiltAsTheFrameSays) {
    TEntry row = Line(Document, 1, 0, 0, "Channel %d{1+i}", 42);
    row.IndexI = 1;
    auto dialog = NewTextDialog(*row.Value, &Owner, row);

    EXPECT_EQ(dialog->windowTitle(), "Edit Value");
    EXPECT_EQ(dialog->Label->text(), "New Value for \"Channel 2\":");
    EXPECT_EQ(dialog->Edit->text(), "42");
    EXPECT_EQ(dialog->List, nullptr);
    std::vector<QString> captions;
    for (int i = 0; i < 4; ++i)
        captions.push_back(dialog->Button(i) ? dialog->Button(i)->text() : "-");
    EXPECT_EQ(captions, (std::vector<QString>{"OK", "Abbrechen", "Hilfe", "-"}));
    EXPECT_EQ(dialog->Tile.Values[14], 35);
    EXPECT_EQ(dialog->Tile.Values[26], 100);
    // At least the table's 100 units, and as wide as the row of buttons.
    EXPECT_GE(dialog->Edit->width(), dialog->Tile.ToPixelsX(100) + 1);
    EXPECT_EQ(dialog->Edit->geometry().right(), dialog->Button(2)->geometry().right());
    EXPECT_EQ(dialog->DefaultButton()->text(), "OK");
    EXPECT_EQ(dialog->CancelButton()->text(), "Abbrechen");
}

TEST_F(ValueDialogs, NothingIsCutOff) {
    TEntry row = Line(Document, 1, 0, 0, "A rather long caption of a parameter line", 1);
    TEntry choice = ChoiceLine({"Off", "On with a long choice text"}, 1);
    std::vector<std::unique_ptr<TValueDialog>> dialogs;
    dialogs.push_back(NewTextDialog(*row.Value, &Owner, row));
    dialogs.push_back(NewChoiceDialog(ChoiceOf(choice), &Owner, choice));
    for (const auto& dialog : dialogs) {
        const QRect inside = dialog->rect();
        for (QWidget* w : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(inside.contains(w->geometry())) << w->metaObject()->className();
        EXPECT_GE(dialog->Label->width(),
                  dialog->Label->fontMetrics().horizontalAdvance(dialog->Label->text()));
        for (int i = 0; i < 3; ++i)
            EXPECT_GE(dialog->Button(i)->width(), dialog->Button(i)->sizeHint().width())
                << dialog->Button(i)->text().toStdString();
    }
}

TEST_F(ValueDialogs, OkAppliesTheTypedText) {
    TEntry row = Line(Document, 1, 0, 0, "Gain", 42);
    WhenModal([](TValueDialog& d) { Type(d, "17"); }, "OK");
    EXPECT_TRUE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(row.Value->GetLong(), 17);
}

TEST_F(ValueDialogs, CancelChangesNothing) {
    TEntry row = Line(Document, 1, 0, 0, "Gain", 42);
    WhenModal([](TValueDialog& d) { Type(d, "99"); }, "Abbrechen");
    EXPECT_FALSE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(row.Value->GetLong(), 42);

    WhenModal([](TValueDialog& d) { Type(d, "99"); }, "Hilfe"); // then closed by the script
    EXPECT_FALSE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(row.Value->GetLong(), 42);
}

TEST_F(ValueDialogs, DeviceTextsAreShownDecodedAndTypedTextIsEncoded) {
    TEntry row = Line(Document, 1, KindText << 8, 0,
                      "Gr\x81\xe1"
                      "e");
    row.Value->SetText("M\x84rz");
    QString shown;
    QString label;
    WhenModal(
        [&](TValueDialog& d) {
            shown = d.Edit->text();
            label = d.Label->text();
            Type(d, QString::fromUtf8("Köln → Zürich"));
        },
        "OK");
    EXPECT_TRUE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(shown, QString::fromUtf8("März"));
    EXPECT_EQ(label, QString::fromUtf8("New Value for \"Grüße\":"));
    EXPECT_EQ(row.Value->GetText(), "K\x94ln ? Z\x81rich");
}

TEST_F(ValueDialogs, ChoiceOkTakesTheSelectedItemAndCancelKeepsTheIndex) {
    TEntry row = ChoiceLine({"Off", "On", "Auto"}, 0);
    std::vector<QString> items;
    WhenModal(
        [&](TValueDialog& d) {
            for (int i = 0; i < d.List->count(); ++i)
                items.push_back(d.List->itemText(i));
            Pick(d, 2);
        },
        "OK");
    EXPECT_TRUE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(items, (std::vector<QString>{"Off", "On", "Auto"}));
    EXPECT_EQ(ChoiceOf(row).Index, 2);

    WhenModal([](TValueDialog& d) { Pick(d, 1); }, "Abbrechen");
    EXPECT_FALSE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(ChoiceOf(row).Index, 2);
}

TEST_F(ValueDialogs, ChoiceIndexBeyondTheListOpensOnTheLastItem) {
    TEntry row = ChoiceLine({"Off", "On", "Auto"}, 7);
    auto dialog = NewChoiceDialog(ChoiceOf(row), &Owner, row);
    EXPECT_EQ(dialog->List->currentIndex(), 2);
    EXPECT_EQ(ChoiceOf(row).Index, 2);

    ChoiceOf(row).Index = 9;
    int opened = -1;
    WhenModal([&](TValueDialog& d) { opened = d.List->currentIndex(); }, "OK");
    EXPECT_TRUE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(ChoiceOf(row).Index, 2);
}

TEST_F(ValueDialogs, ChoiceListStopsAtTheFirstEmptyText) {
    TEntry row = ChoiceLine({"Only", "", "Never shown"}, 2);
    auto dialog = NewChoiceDialog(ChoiceOf(row), &Owner, row);
    ASSERT_EQ(dialog->List->count(), 1);
    EXPECT_EQ(dialog->List->itemText(0), "Only");
    EXPECT_EQ(ChoiceOf(row).Index, 0);
    EXPECT_FALSE(dialog->List->isEditable());
}

TEST_F(ValueDialogs, ChoiceWithoutTextsKeepsItsIndexOnOk) {
    TEntry row = ChoiceLine({"", "x"}, 3);
    WhenModal([](TValueDialog& d) { EXPECT_EQ(d.List->count(), 0); }, "OK");
    EXPECT_TRUE(row.Value->Edit(&Owner, &row));
    EXPECT_EQ(ChoiceOf(row).Index, 3);
}

TEST_F(ValueDialogs, ChoicesAndLabelFollowTheDocumentsTranslation) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kelvo_dialogs_" + std::to_string(::getpid()) + ".lng"))
                                 .string();
    std::ofstream(path, std::ios::binary)
        << "[Deutsch]\r\n\r\nT\r\n\"Mode\"\r\n=\r\n\"Betriebsart\"\r\n\r\n"
           "C\r\n\"|Off|On\"\r\n=\r\n\"|Aus|Ein\"\r\n\r\n";
    TMlparas paragraphs;
    ASSERT_EQ(paragraphs.LoadFile(path), 1);
    std::filesystem::remove(path);
    Doc doc(paragraphs);
    TEntry line = Line(doc, 1, ChoiceKind, 0, "Mode");
    ChoiceOf(line).SetChoices(std::vector<std::string>{"Off", "On"});
    ASSERT_EQ(Process(doc, {line}), 0);
    doc.SetLanguage("Deutsch");
    TEntry& row = doc.Entries.front();

    auto dialog = NewChoiceDialog(ChoiceOf(row), &Owner, row);
    EXPECT_EQ(dialog->Label->text(), "New Value for \"Betriebsart\":");
    ASSERT_EQ(dialog->List->count(), 2);
    EXPECT_EQ(dialog->List->itemText(1), "Ein");
}

TEST_F(ValueDialogs, DocumentEditGoesThroughTheInstalledDialogs) {
    ASSERT_EQ(Process(Document, {Line(Document, 1, 0, 0, "Gain", 42)}), 0);
    WhenModal([](TValueDialog& d) { Type(d, "0x10"); }, "OK");
    TKelvoOnline online(Document, nullptr, nullptr, nullptr);
    EXPECT_TRUE(online.EditValue(&Owner, 0));
    EXPECT_EQ(Document.Entries.front().Value->GetLong(), 16);
}

TEST_F(ValueDialogs, OwnerGoingAwayDuringTheDialogCountsAsCancel) {
    auto* owner = new QWidget;
    owner->show();
    TEntry row = Line(Document, 1, 0, 0, "Gain", 42);
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, owner] {
        if (!QApplication::activeModalWidget())
            return;
        timer->stop();
        timer->deleteLater();
        delete owner;
    });
    timer->start(5);
    EXPECT_FALSE(row.Value->Edit(owner, &row));
    EXPECT_EQ(row.Value->GetLong(), 42);
}

// With KELVO_DIALOG_PICTURES set to a directory, the dialogs are saved there
// as PNG files for a look at them.
TEST_F(ValueDialogs, PicturesOnRequest) {
    const char* dir = std::getenv("KELVO_DIALOG_PICTURES");
    TEntry row = Line(Document, 1, 0, 0, "Channel %d{1+i} Gain", 42);
    row.IndexI = 0;
    TEntry choice = ChoiceLine({"Off", "On", "Automatic"}, 1);
    auto text = NewTextDialog(*row.Value, &Owner, row);
    auto list = NewChoiceDialog(ChoiceOf(choice), &Owner, choice);
    text->show();
    list->show();
    const QImage a = text->grab().toImage();
    const QImage b = list->grab().toImage();
    EXPECT_FALSE(a.isNull());
    EXPECT_FALSE(b.isNull());
    if (dir) {
        a.save(QString::fromLocal8Bit(dir) + "/text_dialog.png");
        b.save(QString::fromLocal8Bit(dir) + "/choice_dialog.png");
    }
}

} // namespace
} // namespace kelvo
