#include "shell/settings/ini_file.h"
#include "translations/mlparas.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <unistd.h>

namespace kelvo {

namespace {

std::optional<std::string>& ChosenIniFile() {
    static std::optional<std::string> chosen;
    return chosen;
}

std::filesystem::path ConfigHome() {
    // Relative values are to be ignored, as the base directory rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] ? home : "/tmp") / ".config";
}

} // namespace

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string ProgramPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("kelvow32") : exe.string();
}

std::string DefaultIniFileName(const std::string& programPath, bool programDirWritable) {
    const std::filesystem::path program(TrimBlanks(programPath));
    const std::filesystem::path name = program.filename().replace_extension(".ini");
    if (programDirWritable)
        return (program.parent_path() / name).string();
    return (ConfigHome() / "kelvo" / name).string();
}

std::string IniFileName() {
    if (ChosenIniFile())
        return *ChosenIniFile();
    const std::string program = ProgramPath();
    const std::filesystem::path parent = std::filesystem::path(program).parent_path();
    const std::filesystem::path directory = parent.empty() ? std::filesystem::path(".") : parent;
    return DefaultIniFileName(program, IniBesideProgram(directory.string()));
}

bool IniBesideProgram(const std::string& programDirectory) {
    return access(programDirectory.c_str(), W_OK) == 0 &&
           DataDirectoryOf(programDirectory) == programDirectory;
}

void SetIniFileName(const std::string& path) {
    if (TrimBlanks(path).empty())
        ChosenIniFile().reset();
    else
        ChosenIniFile() = TrimBlanks(path);
}

std::string IniSectionName(const std::string& iniFile) {
    return std::filesystem::path(TrimBlanks(iniFile)).stem().string();
}

} // namespace kelvo
