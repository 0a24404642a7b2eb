// The end of the program on a signal, each case in a process of its own
// (program_end_probe): the end cannot be undone within a process.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TRun {
    int Status = -1;
    std::map<std::string, std::string> Said;
    std::vector<std::string> Copies; // the contents of the recovery copies
};

class ProgramEnd : public ::testing::Test {
protected:
    void SetUp() override {
        FState = fs::temp_directory_path() /
                 ("kelvo-end-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FState);
        fs::create_directories(FState);
    }
    void TearDown() override { fs::remove_all(FState); }

    TRun Run(const std::string& scenario) {
        const std::string probe =
            (fs::path(::testing::internal::GetArgvs()[0]).parent_path() / "program_end_probe")
                .string();
        const std::string command = "QT_QPA_PLATFORM=offscreen '" + probe + "' " + scenario + " '" +
                                    FState.string() + "' 2>/dev/null";
        TRun run;
        FILE* out = ::popen(command.c_str(), "r");
        if (!out)
            return run;
        char line[512];
        while (std::fgets(line, sizeof line, out)) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            const auto space = text.find(' ');
            run.Said[text.substr(0, space)] =
                space == std::string::npos ? std::string() : text.substr(space + 1);
        }
        run.Status = ::pclose(out);
        const fs::path folder = FState / "kelvo" / "recovery";
        if (fs::is_directory(folder))
            for (const auto& entry : fs::directory_iterator(folder)) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream text;
                text << in.rdbuf();
                run.Copies.push_back(text.str());
            }
        return run;
    }

    fs::path FState;
};

TEST_F(ProgramEnd, SigtermWithABoxOpenClosesTheBoxAndEndsWithACopy) {
    const TRun run = Run("box");
    ASSERT_TRUE(WIFEXITED(run.Status)) << "the probe was killed (past its deadline?)";
    EXPECT_EQ(WEXITSTATUS(run.Status), 0);
    EXPECT_EQ(run.Said.at("raised"), "15");
    EXPECT_EQ(run.Said.at("answer"), "2") << "the open box answers as Escape would: Cancel";
    EXPECT_EQ(run.Said.at("later"), "2") << "a box asked meanwhile is not shown";
    EXPECT_EQ(run.Said.at("exec"), "0") << "the event loop returned";
    EXPECT_EQ(run.Said.at("reason"), "SIGTERM");
    EXPECT_EQ(run.Said.at("copies-at-signal"), "1") << "the copy is written at once";
    EXPECT_EQ(run.Said.at("copies"), "1") << "and replaced at the end, not added to";
    EXPECT_GE(std::stoi(run.Said.at("settings")), 1);
    ASSERT_EQ(run.Copies.size(), 1u);
    EXPECT_EQ(run.Copies[0], "unsaved changes");
}

TEST_F(ProgramEnd, SighupWhileIdleEndsTheSameWay) {
    const TRun run = Run("idle");
    ASSERT_TRUE(WIFEXITED(run.Status));
    EXPECT_EQ(WEXITSTATUS(run.Status), 0);
    EXPECT_EQ(run.Said.at("reason"), "SIGHUP");
    EXPECT_GE(std::stoi(run.Said.at("settings")), 1);
    ASSERT_EQ(run.Copies.size(), 1u);
    EXPECT_EQ(run.Copies[0], "unsaved changes");
}

TEST_F(ProgramEnd, AnExchangeRunningFinishesAndNoOtherStarts) {
    const TRun run = Run("exchange");
    ASSERT_TRUE(WIFEXITED(run.Status));
    EXPECT_EQ(WEXITSTATUS(run.Status), 0);
    EXPECT_EQ(run.Said.at("reason"), "SIGTERM");
    EXPECT_EQ(run.Said.at("idle"), "1") << "no idle work after the signal";
    EXPECT_EQ(run.Said.at("text"), "before;first half;second half;");
    // The copy is the document as the finished exchange left it.
    ASSERT_EQ(run.Copies.size(), 1u);
    EXPECT_EQ(run.Copies[0], "before;first half;second half;");
}

TEST_F(ProgramEnd, EndedWhileTheRecoveryQuestionIsOpenTheCopiesStay) {
    const TRun run = Run("offer");
    ASSERT_TRUE(WIFEXITED(run.Status));
    EXPECT_EQ(WEXITSTATUS(run.Status), 0);
    EXPECT_EQ(run.Said.at("raised"), "15");
    EXPECT_EQ(run.Said.at("opened"), "0");
    ASSERT_EQ(run.Copies.size(), 1u) << "nobody answered: nothing is discarded";
    EXPECT_EQ(run.Copies[0], "kept from before");
}

} // namespace
