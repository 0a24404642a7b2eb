#include "shell/gui/help_pages.h"
#include "translations/mlparas.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

fs::path HelpDir() {
    return fs::path(DataDirectory()) / help_pages::Folder;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The pages of the source tree: a build's copy may hold pages since removed.
std::vector<std::string> Pages() {
    std::vector<std::string> pages;
    for (const auto& entry :
         fs::directory_iterator(fs::path(KELVO_DATA_SOURCE) / help_pages::Folder))
        if (entry.path().extension() == ".html")
            pages.push_back(entry.path().filename().string());
    std::sort(pages.begin(), pages.end());
    return pages;
}

TEST(HelpPages, ContextsLeadToExistingPages) {
    EXPECT_EQ(help_pages::ForContext(30, true), "editor.html");
    EXPECT_EQ(help_pages::ForContext(30, false), "mainwindow.html");
    EXPECT_EQ(help_pages::ForContext(0, true), help_pages::Contents);
    EXPECT_EQ(help_pages::ForContext(12345, false), help_pages::Contents);
    for (const char* page : {help_pages::Contents, help_pages::OnHelp, help_pages::MainWindow,
                             help_pages::EditorWindow})
        EXPECT_TRUE(fs::is_regular_file(HelpDir() / page)) << page;
}

TEST(HelpPages, EveryLinkLeadsToAPageAndEveryPageCanBeReached) {
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]*)(#([^\"]*))?\""));
    std::set<std::string> reached{help_pages::Contents};
    std::vector<std::string> todo{help_pages::Contents};
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        const QString text = QString::fromStdString(Read(HelpDir() / page));
        for (auto it = href.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            const std::string target =
                match.captured(1).isEmpty() ? page : match.captured(1).toStdString();
            ASSERT_TRUE(fs::is_regular_file(HelpDir() / target)) << page << " -> " << target;
            if (!match.captured(3).isEmpty()) {
                const std::string anchor = "name=\"" + match.captured(3).toStdString() + "\"";
                EXPECT_NE(Read(HelpDir() / target).find(anchor), std::string::npos)
                    << page << " -> " << target << "#" << match.captured(3).toStdString();
            }
            if (reached.insert(target).second)
                todo.push_back(target);
        }
    }
    for (const std::string& page : Pages())
        EXPECT_TRUE(reached.count(page)) << page << " cannot be reached from the contents";
}

TEST(HelpPages, EveryPictureOfAPageIsThere) {
    const QRegularExpression src(QStringLiteral("<img[^>]*src=\"([^\"]*)\""));
    for (const std::string& page : Pages()) {
        const QString text = QString::fromStdString(Read(HelpDir() / page));
        for (auto it = src.globalMatch(text); it.hasNext();) {
            const std::string picture = it.next().captured(1).toStdString();
            std::error_code error;
            const auto size = fs::file_size(HelpDir() / picture, error);
            EXPECT_TRUE(!error && size > 0) << page << " shows " << picture;
        }
    }
}

TEST(HelpPages, TheHelpBrowserShowsEveryPageWithItsTitle) {
    QTextBrowser browser;
    for (const std::string& page : Pages()) {
        const std::string text = Read(HelpDir() / page);
        EXPECT_EQ(text.find("<script"), std::string::npos) << page;
        browser.setSource(QUrl::fromLocalFile(QString::fromStdString((HelpDir() / page).string())));
        EXPECT_FALSE(browser.documentTitle().isEmpty()) << page;
        EXPECT_GT(browser.toPlainText().size(), 200) << page;
    }
}

TEST(HelpPages, TheProgramsMessagesAreQuotedInItsWords) {
    const std::string online = Read(HelpDir() / "online.html");
    for (const char* message :
         {"Could not connect to an Kelvo device!", "New values are different! Reprogram device?",
          "Missing response from KELVO Device! Going offline.", "Reprogramming successful!"})
        EXPECT_NE(online.find(message), std::string::npos) << message;
    EXPECT_NE(Read(HelpDir() / "commandline.html").find("-kalibrier"), std::string::npos);
    EXPECT_NE(Read(HelpDir() / "log.html").find("No more errors found!"), std::string::npos);
}

} // namespace
} // namespace kelvo
