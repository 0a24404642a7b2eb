// What runs jobs side by side needs: the devices of a command line, the worst
// exit status, a prompt per thread, and whole labelled lines on std::cerr.
#include "foundation/prompt.h"
#include "tools/kelvoctl/parallel_jobs.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <thread>

using namespace kelvo;
using namespace kelvo::ctl;

TEST(ParallelParts, DevicesAndPortRangesAreSplitFromTheOtherArguments) {
    const TDeviceList list = SplitDevices({"--device", "/dev/ttyUSB0", "file.dat", "--port", "3-5",
                                           "--device=/dev/ttyACM0", "--answer", "yes", "--port=9"});
    EXPECT_EQ(list.Error, "");
    EXPECT_EQ(list.Devices, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyACM0"}));
    EXPECT_EQ(list.Ports, (std::vector<int>{3, 4, 5, 9}));
    EXPECT_EQ(list.Rest, (std::vector<std::string>{"file.dat", "--answer", "yes"}));
    EXPECT_EQ(list.Count(), 6u);

    for (const char* bad : {"0", "256", "5-3", "1-", "-2", "a-b", "1-300"})
        EXPECT_NE(SplitDevices({"--port", bad}).Error, "") << bad;
    EXPECT_NE(SplitDevices({"--device"}).Error, "");
    EXPECT_NE(SplitDevices({"--device="}).Error, "");
}

TEST(ParallelParts, TheWorstExitStatusWins) {
    EXPECT_EQ(WorseExit(0, 3), 3);
    EXPECT_EQ(WorseExit(3, 1), 1);
    EXPECT_EQ(WorseExit(2, 1), 2);
    EXPECT_EQ(WorseExit(2, 130), 130);
    EXPECT_EQ(WorseExit(143, 0), 143);
    EXPECT_EQ(WorseExit(0, 0), 0);
}

namespace {

class TNamedPrompt : public TPrompt {
public:
    explicit TNamedPrompt(int answer) : FAnswer(answer) {}
    int Ask(const std::string&, const std::string&, TPromptIcon, TPromptButtons) override {
        return FAnswer;
    }

private:
    int FAnswer;
};

} // namespace

TEST(ParallelParts, EachThreadAnswersWithItsOwnPrompt) {
    TNamedPrompt mine(IdNo);
    TPromptScope scope(mine);
    int other = 0;
    int otherDefault = 0;
    std::thread worker([&] {
        otherDefault = &Prompt() == &mine ? -1 : 0;
        TNamedPrompt theirs(IdRetry);
        TPromptScope theirScope(theirs);
        other = Prompt().Ask("c", "t", TPromptIcon::None, TPromptButtons::RetryCancel);
    });
    worker.join();
    EXPECT_EQ(otherDefault, 0) << "a new thread starts with the standard prompt";
    EXPECT_EQ(other, IdRetry);
    EXPECT_EQ(Prompt().Ask("c", "t", TPromptIcon::None, TPromptButtons::YesNo), IdNo);
}

TEST(ParallelParts, EveryLineOfAJobComesWholeBehindItsLabel) {
    std::ostringstream captured;
    std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
    std::vector<std::function<TJobResult()>> jobs;
    for (int j = 0; j < 4; ++j)
        jobs.push_back([j] {
            for (int i = 0; i < 50; ++i)
                std::cerr << "line " << i << " of job " << j << "\n";
            std::cerr << "no line end";
            return TJobResult{j, "done"};
        });
    const std::vector<TJobResult> results = RunSideBySide({"A", "B", "C", "D"}, jobs);
    std::cerr.rdbuf(saved);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[2].Exit, 2);
    const std::string text = captured.str();
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const std::string label = line.substr(0, 3);
        ASSERT_TRUE(label == "A: " || label == "B: " || label == "C: " || label == "D: ") << line;
        const char job = static_cast<char>('0' + (label[0] - 'A'));
        EXPECT_TRUE(line == label + "no line end" ||
                    (line.rfind(label + "line ", 0) == 0 && line.back() == job))
            << line;
    }
    EXPECT_EQ(count, 4 * 51);
}
