#pragma once
// The pseudo-terminal kelvo-sim serves on: the PC side opens the terminal that
// the link path points at, the simulator talks through the master side.
#include <string>

namespace kelvo {

class TPtyLink {
public:
    TPtyLink() = default;
    ~TPtyLink();
    TPtyLink(const TPtyLink&) = delete;
    TPtyLink& operator=(const TPtyLink&) = delete;

    // Creates the pair in raw mode and the symbolic link; false with a reason.
    // A link another running simulator serves is refused; one left behind by
    // a simulator that is gone is replaced.
    bool Open(const std::string& link, std::string& error);
    int Master() const { return FMaster; }
    const std::string& SlavePath() const { return FSlavePath; }
    // The PC side locks the terminal and makes it exclusive while it holds the
    // port, and gives both up when it closes it. Because the simulator keeps
    // the terminal open, a mark left by a PC program that ended without closing
    // the port would refuse every later open, where a real port drops it with
    // its last descriptor. Such a mark (one without a lock behind it) is
    // lifted; a mark whose holder still has the port stays.
    void LiftStaleExclusiveMark();

private:
    bool Claim(const std::string& link, std::string& error);

    // Held for as long as this simulator serves the link.
    int FClaim = -1;
    int FMaster = -1;
    // Held open so that the master never sees a hang-up between the PC side's
    // closing and reopening of the port.
    int FSlave = -1;
    std::string FSlavePath;
    std::string FLink;
};

} // namespace kelvo
