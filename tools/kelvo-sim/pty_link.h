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
    bool Open(const std::string& link, std::string& error);
    int Master() const { return FMaster; }
    const std::string& SlavePath() const { return FSlavePath; }
    // The PC side makes the terminal exclusive when it opens it. Because the
    // simulator keeps the terminal open too, that mark would outlive the PC side's
    // close and refuse its next open; so it is lifted as soon as it is seen. The
    // PC side's file lock still keeps a second program off the port.
    void LiftExclusiveMark();

private:
    int FMaster = -1;
    // Held open so that the master never sees a hang-up between the PC side's
    // closing and reopening of the port.
    int FSlave = -1;
    std::string FSlavePath;
    std::string FLink;
};

} // namespace kelvo
