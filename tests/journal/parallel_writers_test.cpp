// Several writers at once, as two programs or kelvoctl on several devices
// write: every entry arrives, none twice, and the journal they all created at
// the same moment is one journal.
#include "journal_fixture.h"

#include "journal/journal_writes.h"

#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kelvo::test {

namespace {

constexpr int Writers = 4;
constexpr int EntriesEach = 60;

// One writer: its own connection, the journal opened (and perhaps created)
// only once the start is given, then one entry after another. True when
// every one was recorded.
bool WriteEntries(const std::string& path, int writer) {
    TJournalWrites writes(
        {"COM" + std::to_string(writer + 1), "KT200 V2.14", std::to_string(204117 + writer)},
        TJournalSource::Kelvoctl, path);
    if (!writes.Ready())
        return false;
    for (int i = 0; i < EntriesEach; ++i)
        if (!writes.Record({std::uint16_t(i), 0, "Line " + std::to_string(i)}, "old",
                           std::to_string(i), TJournalResult::Equal))
            return false;
    return true;
}

// Every writer's every entry, exactly once.
void ExpectEveryEntryOnce(const std::vector<TJournalEntry>& all) {
    EXPECT_EQ(all.size(), std::size_t(Writers * EntriesEach));
    std::set<std::pair<std::string, int>> seen;
    for (const TJournalEntry& e : all) {
        EXPECT_EQ(e.NewValue, std::to_string(e.Address));
        EXPECT_TRUE(seen.insert({e.Serial, e.Address}).second)
            << "twice: " << e.Serial << " " << e.Address;
    }
    for (int w = 0; w < Writers; ++w)
        for (int i = 0; i < EntriesEach; ++i)
            EXPECT_TRUE(seen.count({std::to_string(204117 + w), i}))
                << "lost: writer " << w << " entry " << i;
}

} // namespace

using ParallelWriters = JournalFixture;

TEST_F(ParallelWriters, FourProcessesCreatingOneJournalLoseNothing) {
    // The children wait on the pipe until the parent closes it, so that all
    // four create and write the journal at once.
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < Writers; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char byte;
            while (::read(start[0], &byte, 1) > 0) {
            }
            ::_exit(WriteEntries(Path, w) ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << pid;
    }
    ExpectEveryEntryOnce(All());
}

TEST_F(ParallelWriters, FourThreadsOfOneProgramLoseNothing) {
    // Devices programmed in parallel by one kelvoctl each record on their own thread.
    {
        TChangeJournal created;
        ASSERT_TRUE(created.Open(Path).Ok());
    }
    std::vector<std::thread> threads;
    bool ok[Writers] = {};
    for (int w = 0; w < Writers; ++w)
        threads.emplace_back([this, w, &ok] { ok[w] = WriteEntries(Path, w); });
    for (std::thread& t : threads)
        t.join();
    for (int w = 0; w < Writers; ++w)
        EXPECT_TRUE(ok[w]) << "writer " << w;
    ExpectEveryEntryOnce(All());
}

} // namespace kelvo::test
