#include "filetype/text_document.h"
#include "shell/gui/filedrop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <fstream>

namespace kelvo {
namespace {

using test::TScratchDir;

class FileDropTest : public ::testing::Test {
protected:
    FileDropTest() {
        for (const char* name : {"a.dat", "c.dat"})
            std::ofstream(Dir / name) << "x";
        std::filesystem::create_directory(Dir / "folder");
    }
    QMimeData* Files(const std::vector<std::string>& names) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const auto& n : names)
            urls << (n.find("://") != std::string::npos
                         ? QUrl(QString::fromStdString(n))
                         : QUrl::fromLocalFile(QString::fromStdString(n)));
        data->setUrls(urls);
        Data.reset(data);
        return data;
    }
    // What a drag entering the window is told: accepted as a copy, or not.
    bool Enter(const QMimeData* data) {
        QDragEnterEvent event(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&Window, &event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }
    bool Drop(const QMimeData* data, Qt::DropActions proposed = Qt::CopyAction) {
        QDropEvent event(QPointF(5, 5), proposed, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Window, &event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }

    TScratchDir Dir;
    QWidget Window;
    std::vector<std::pair<int, std::string>> Dropped;
    TFileDrop Target{&Window, [this](int i, const std::string& n) { Dropped.emplace_back(i, n); }};
    std::unique_ptr<QMimeData> Data;
};

TEST_F(FileDropTest, TheWindowAcceptsDrops) {
    EXPECT_TRUE(Window.acceptDrops());
}

TEST_F(FileDropTest, MissingFileIsSkippedButCounted) {
    const auto* data = Files({Dir / "a.dat", Dir / "b.dat", Dir / "c.dat"});
    EXPECT_TRUE(Enter(data));
    EXPECT_TRUE(Dropped.empty());
    EXPECT_TRUE(Drop(data));
    EXPECT_EQ(Dropped,
              (std::vector<std::pair<int, std::string>>{{0, Dir / "a.dat"}, {2, Dir / "c.dat"}}));
}

TEST_F(FileDropTest, OneExistingFileAfterMissingOnesIsEnough) {
    const auto* data = Files({Dir / "gone.dat", "https://example.org/x.dat", Dir / "c.dat"});
    EXPECT_TRUE(Enter(data));
    EXPECT_TRUE(Drop(data, Qt::CopyAction | Qt::MoveAction));
    EXPECT_EQ(Dropped, (std::vector<std::pair<int, std::string>>{{2, Dir / "c.dat"}}));
}

TEST_F(FileDropTest, ADropThatCanOnlyMoveIsRefused) {
    // Told "moved", a file manager would delete the file just opened.
    const auto* data = Files({Dir / "a.dat"});
    QDragEnterEvent event(QPoint(5, 5), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window, &event);
    EXPECT_FALSE(event.isAccepted());
    EXPECT_FALSE(Drop(data, Qt::MoveAction));
    EXPECT_TRUE(Dropped.empty());
}

TEST_F(FileDropTest, TextIsRefused) {
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(Dir / "a.dat"));
    Data.reset(data);
    EXPECT_FALSE(Enter(data));
    EXPECT_FALSE(Target.Accepting());
    EXPECT_FALSE(Drop(data));
    EXPECT_TRUE(Dropped.empty());
}

TEST_F(FileDropTest, OnlyMissingFilesAndFoldersAreRefused) {
    const auto* data = Files({Dir / "b.dat", Dir / "folder"});
    EXPECT_FALSE(Enter(data));
    EXPECT_FALSE(Drop(data));
    EXPECT_TRUE(Dropped.empty());
}

TEST_F(FileDropTest, LeavingClearsTheAcceptance) {
    const auto* data = Files({Dir / "a.dat"});
    EXPECT_TRUE(Enter(data));
    EXPECT_TRUE(Target.Accepting());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&Window, &leave);
    EXPECT_FALSE(Target.Accepting());
}

class CountingDrop : public TFileDrop {
public:
    using TFileDrop::TFileDrop;
    std::vector<int> Indices;

protected:
    void FileDropped(int index, const std::string&) override { Indices.push_back(index); }
};

TEST_F(FileDropTest, ASubclassReceivesTheFiles) {
    QWidget other;
    CountingDrop target(&other);
    const auto* data = Files({Dir / "a.dat", Dir / "c.dat"});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &drop);
    EXPECT_EQ(target.Indices, (std::vector<int>{0, 1}));
}

} // namespace
} // namespace kelvo
