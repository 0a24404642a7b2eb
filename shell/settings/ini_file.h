#pragma once
// The program's INI file: settings and history lists live in it. It lies next
// to the program, named like the program file with ".ini" in place of any
// extension (build/bin/kelvow32 -> build/bin/kelvow32.ini). When the program's
// directory cannot be written, or the program is an installed copy (its data in
// ../share/kelvo), the same file name is used under $XDG_CONFIG_HOME/kelvo/ (by
// default ~/.config/kelvo/).
#include <string>

namespace kelvo {

// The INI file of this run: the one set with SetIniFileName, else the default
// for the running program.
std::string IniFileName();
// Points the program (and tests) at an INI file of their own; an empty path
// returns to the default. Takes effect for INI objects opened afterwards.
void SetIniFileName(const std::string& path);

// The default INI file for a program file; programDirWritable tells whether a
// file may be created next to it.
std::string DefaultIniFileName(const std::string& programPath, bool programDirWritable);
// Whether the INI file may lie in programDirectory: it can be written and is
// not the bin directory of an installed copy. Otherwise root, who may write
// /usr/bin, would leave a settings file there that no package owns.
bool IniBesideProgram(const std::string& programDirectory);
// The section of the history lists: the INI file's name without directory and
// extension.
std::string IniSectionName(const std::string& iniFile);

// The running program's file (from /proc/self/exe).
std::string ProgramPath();

// Leading and trailing blanks (spaces and tabs) removed; file names on Linux
// keep their letter case.
std::string TrimBlanks(const std::string& text);

} // namespace kelvo
