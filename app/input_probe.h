#pragma once
// A record of what the window does, for tests that drive the program through
// the window system: every click and key as the program receives it, tab
// changes, boxes and dialogs as they open and close, document windows and the
// status text. One line each, starting with the monotonic clock in
// milliseconds (the clock of CLOCK_MONOTONIC, the same for every program on
// the machine):
//     1234.567 press 1 412 87        a mouse button went down at x y (screen)
//     1234.601 release 1 412 87
//     1240.002 key F2                a key went down (Qt's name of it)
//     1240.010 tab About             a page control shows another page
//     1240.011 tabs 0 Display 10 60 70 24|1 About 80 60 60 24|...
//                                    the page tabs on the screen: index, text,
//                                    x, y, width, height
//     1240.500 box Go Online|Download of KELVO dialog successful!...
//     1240.600 active Go Online      a window became the active one
//     1241.000 boxclosed Go Online
//     1241.100 child Kelvo New.dat   a document window was shown
//     1242.000 status Line 1/40: ...
// Texts are on one line (line breaks become "\n").
#include <string>

namespace kelvo {

// Starts writing to path; does nothing when path is empty.
void StartInputProbe(const std::string& path);
// Writes one line of its own (the program's end, for instance).
void ProbeNote(const std::string& line);

} // namespace kelvo
