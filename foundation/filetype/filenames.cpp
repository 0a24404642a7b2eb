#include "foundation/filetype/filenames.h"

#include <cctype>

namespace kelvo {

namespace {

std::string::size_type ExtensionStart(const std::string& name) {
    const auto slash = name.rfind('/');
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::string::size_type i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string ExtractFileExt(const std::string& name) {
    const auto dot = ExtensionStart(name);
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExtractFileDir(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string ExtractFileBaseName(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool MatchExtension(const std::string& extensions, const std::string& name) {
    std::string nameExt = ExtractFileExt(name);
    if (nameExt.empty())
        nameExt = ".";
    std::string list = extensions;
    while (!list.empty()) {
        const auto dot = list.rfind('.');
        const auto start = dot == std::string::npos ? 0 : dot;
        std::string listed = list.substr(start);
        std::string candidate = nameExt;
        const auto star = listed.find('*');
        if (star != std::string::npos && star > 0) {
            listed.resize(star);
            if (candidate.size() > star)
                candidate.resize(star);
        }
        if (EqualNoCase(listed, candidate))
            return true;
        list.resize(start);
    }
    return false;
}

std::string BackupFileName(const std::string& name) {
    const auto dot = ExtensionStart(name);
    if (dot == std::string::npos)
        return name + ".~";
    return name.substr(0, dot) + ".~" + name.substr(dot + 1, 10);
}

} // namespace kelvo
