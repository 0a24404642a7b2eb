#pragma once
// The progress line of a long device job on a terminal: lines so far, bytes,
// elapsed time, retries and busy answers, redrawn in place on standard error
// and cleared at the end. Nothing is shown when standard error is not a
// terminal, so scripts and logs see only the result lines.
#include "tools/kelvoctl/link_watch.h"

#include <chrono>
#include <functional>
#include <string>

namespace kelvo::ctl {

class TProgress {
public:
    // what names the job ("downloading", "writing"); lines tells how many
    // lines are done so far.
    TProgress(const TLinkWatch& watch, const TKelvoStream& stream, std::string what,
              std::function<std::string()> lines);
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;

    // Redraws the line when it is due.
    void Update();
    // The text the line shows now.
    std::string Text() const;

    // Whether progress is shown at all (standard error is a terminal).
    static bool Wanted();

private:
    const TLinkWatch& FWatch;
    const TKelvoStream& FStream;
    std::string FWhat;
    std::function<std::string()> FLines;
    std::chrono::steady_clock::time_point FStart;
    std::chrono::steady_clock::time_point FLastDraw;
};

// No progress line is drawn by this thread (a job among several at once).
void QuietProgressInThisThread();

// Clears a progress line being shown, so that a message can be written to
// standard error in its place; the line comes back with the next update.
void ClearProgressLine();

} // namespace kelvo::ctl
