// The save dialog as the user answers it: the file transfer's own question
// about an existing file, and the corrected extension however the user
// confirmed.
#include "filetype/text_document.h"
#include "shell/gui/filedialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>

namespace kelvo {
namespace {

using test::TScratchDir;

constexpr const char* KelvoFilter = "All files (*.*)|*.*|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo";

struct TRun {
    bool Accepted = false;
    // The message boxes the dialog showed; each was answered No.
    int Questions = 0;
};

// Runs the dialog while steps act on the file dialog it shows; a dialog the
// steps leave open is cancelled.
TRun RunDialog(TQtFileDialog& dialog, const std::function<void(QFileDialog&)>& steps) {
    TRun run;
    QTimer boxes;
    boxes.setInterval(5);
    QObject::connect(&boxes, &QTimer::timeout, [&run] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++run.Questions;
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->reject();
        }
    });
    QTimer script;
    script.setInterval(5);
    QObject::connect(&script, &QTimer::timeout, [&script, &steps] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!shown)
            return;
        script.stop();
        steps(*shown);
        if (shown->isVisible())
            shown->reject();
    });
    boxes.start();
    script.start();
    run.Accepted = dialog.Execute();
    return run;
}

TQtFileDialog SaveDialogIn(const TScratchDir& dir, const std::string& name) {
    TQtFileDialog dialog(TQtFileDialog::Save);
    dialog.Filter = KelvoFilter;
    dialog.FilterIndex = 2;
    dialog.InitialDir = dir.Path;
    dialog.FileName = name;
    return dialog;
}

TEST(SaveDialog, LeavesTheQuestionAboutAnExistingFileToTheFileTransfer) {
    TScratchDir dir;
    std::ofstream(dir / "set.dat") << "x";
    TQtFileDialog dialog = SaveDialogIn(dir, "set.dat");
    const TRun run =
        RunDialog(dialog, [](QFileDialog& shown) { QMetaObject::invokeMethod(&shown, "accept"); });
    EXPECT_EQ(run.Questions, 0);
    EXPECT_TRUE(run.Accepted);
    EXPECT_EQ(dialog.FileName, dir / "set.dat");
}

TEST(SaveDialog, ShowsTheCorrectedNameAlsoWhenConfirmedWithEnter) {
    TScratchDir dir;
    TQtFileDialog dialog = SaveDialogIn(dir, "set.dat");
    QString shownAfterFirstEnter;
    bool openAfterFirstEnter = false;
    const TRun run = RunDialog(dialog, [&](QFileDialog& shown) {
        auto* field = shown.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(field);
        QApplication::setActiveWindow(&shown);
        shown.activateWindow();
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        field->setText("set.txt");
        QTest::keyClick(field, Qt::Key_Return);
        shownAfterFirstEnter = field->text();
        openAfterFirstEnter = shown.isVisible();
        QTest::keyClick(field, Qt::Key_Return);
    });
    EXPECT_TRUE(openAfterFirstEnter) << "the corrected name is shown first";
    EXPECT_EQ(shownAfterFirstEnter.toStdString(), "set.dat");
    EXPECT_TRUE(run.Accepted) << "a second Enter takes the corrected name";
    EXPECT_EQ(dialog.FileName, dir / "set.dat");
}

} // namespace
} // namespace kelvo
