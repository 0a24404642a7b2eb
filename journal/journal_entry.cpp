#include "journal/journal_entry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace kelvo {

namespace {

struct TName {
    const char* Text;
    int Value;
};

constexpr TName Results[] = {{"equal", int(TJournalResult::Equal)},
                             {"refused", int(TJournalResult::Refused)},
                             {"different", int(TJournalResult::Different)},
                             {"written", int(TJournalResult::Written)}};
constexpr TName Sources[] = {
    {"edit", int(TJournalSource::Edit)},       {"undo", int(TJournalSource::Undo)},
    {"redo", int(TJournalSource::Redo)},       {"old data", int(TJournalSource::OldData)},
    {"compare", int(TJournalSource::Compare)}, {"kelvoctl", int(TJournalSource::Kelvoctl)}};

template <std::size_t N> const char* NameOf(const TName (&names)[N], int value) {
    for (const TName& n : names)
        if (n.Value == value)
            return n.Text;
    return "?";
}

template <std::size_t N>
std::optional<int> ValueOf(const TName (&names)[N], std::string_view text) {
    for (const TName& n : names)
        if (text == n.Text)
            return n.Value;
    return std::nullopt;
}

// Reads exactly count digits at text[at]; -1 when they are not there.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int DaysIn(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

const char* ResultName(TJournalResult result) {
    return NameOf(Results, int(result));
}
const char* SourceName(TJournalSource source) {
    return NameOf(Sources, int(source));
}
std::optional<TJournalResult> ResultFromName(std::string_view name) {
    const auto value = ValueOf(Results, name);
    return value ? std::optional(TJournalResult(*value)) : std::nullopt;
}
std::optional<TJournalSource> SourceFromName(std::string_view name) {
    const auto value = ValueOf(Sources, name);
    return value ? std::optional(TJournalSource(*value)) : std::nullopt;
}

std::string JournalKey(const TJournalEntry& entry) {
    char text[32];
    if (entry.Instance > 0)
        std::snprintf(text, sizeof text, "0x%04X:%d", unsigned(entry.Address), int(entry.Instance));
    else
        std::snprintf(text, sizeof text, "0x%04X", unsigned(entry.Address));
    return text;
}

std::string JournalTimeNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&t, &utc);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, int(ms));
    return text;
}

std::optional<std::string> JournalTimeFromDate(std::string_view date) {
    // YYYY-MM-DD, then optionally [T ]hh:mm[:ss], then optionally Z or " UTC".
    if (date.size() >= 4 && date.substr(date.size() - 4) == " UTC")
        date.remove_suffix(4);
    else if (!date.empty() && (date.back() == 'Z' || date.back() == 'z'))
        date.remove_suffix(1);
    const int year = Digits(date, 0, 4);
    const int month = Digits(date, 5, 2);
    const int day = Digits(date, 8, 2);
    if (date.size() < 10 || date[4] != '-' || date[7] != '-' || year < 0 || month < 1 ||
        month > 12 || day < 1 || day > DaysIn(year, month))
        return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    if (date.size() > 10) {
        if ((date[10] != 'T' && date[10] != ' ') || (date.size() != 16 && date.size() != 19) ||
            date[13] != ':')
            return std::nullopt;
        hour = Digits(date, 11, 2);
        minute = Digits(date, 14, 2);
        if (date.size() == 19 && date[16] != ':')
            return std::nullopt;
        second = date.size() == 19 ? Digits(date, 17, 2) : 0;
        if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
            return std::nullopt;
    }
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", year, month, day, hour,
                  minute, second);
    return std::string(text);
}

std::string LoginName() {
    // The account the process runs as: LOGNAME and USER can be set to anything.
    if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_name)
        return account->pw_name;
    for (const char* variable : {"LOGNAME", "USER"})
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return "unknown";
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "unknown";
    return name;
}

} // namespace kelvo
