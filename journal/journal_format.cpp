#include "journal/journal_format.h"

#include "report/text_formats.h"

namespace kelvo {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::string ShownJournalTime(const std::string& time) {
    if (time.size() < 19 || time[10] != 'T')
        return time;
    return time.substr(0, 10) + " " + time.substr(11, 8) + " UTC";
}

std::string JournalText(const std::vector<TJournalEntry>& entries) {
    // Fields that may hold blanks are quoted, so that a line reads unambiguously.
    std::string out;
    for (const TJournalEntry& e : entries) {
        out += ShownJournalTime(e.Time) + "  " + e.Login + "@" + e.Host + "  " + e.Port;
        if (!e.Program.empty())
            out += "  " + Quoted(e.Program);
        if (!e.Serial.empty())
            out += "  SN " + e.Serial;
        out += "  " + JournalKey(e) + " " + Quoted(e.Caption) + ": " + Quoted(e.OldValue) + " -> " +
               Quoted(e.NewValue) + "  " + ResultName(e.Result) + "  (" + SourceName(e.Source) +
               ")\n";
    }
    return out;
}

std::string JournalCsv(const std::vector<TJournalEntry>& entries) {
    std::string out = "time,login,host,port,program,serial,key,caption,old_value,new_value,"
                      "result,source\r\n";
    for (const TJournalEntry& e : entries)
        out += CsvField(e.Time) + "," + CsvField(e.Login) + "," + CsvField(e.Host) + "," +
               CsvField(e.Port) + "," + CsvField(e.Program) + "," + CsvField(e.Serial) + "," +
               JournalKey(e) + "," + CsvField(e.Caption) + "," + CsvField(e.OldValue) + "," +
               CsvField(e.NewValue) + "," + ResultName(e.Result) + "," +
               CsvField(SourceName(e.Source)) + "\r\n";
    return out;
}

std::string JournalJson(const std::vector<TJournalEntry>& entries) {
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TJournalEntry& e = entries[i];
        out += i ? ",\n " : "\n ";
        out +=
            "{\"time\":" + JsonString(e.Time) + ",\"login\":" + JsonString(e.Login) +
            ",\"host\":" + JsonString(e.Host) + ",\"port\":" + JsonString(e.Port) +
            ",\"program\":" + JsonString(e.Program) + ",\"serial\":" + JsonString(e.Serial) +
            ",\"key\":" + JsonString(JournalKey(e)) + ",\"address\":" + std::to_string(e.Address) +
            ",\"instance\":" + std::to_string(e.Instance) +
            ",\"caption\":" + JsonString(e.Caption) + ",\"old_value\":" + JsonString(e.OldValue) +
            ",\"new_value\":" + JsonString(e.NewValue) +
            ",\"result\":" + JsonString(ResultName(e.Result)) +
            ",\"source\":" + JsonString(SourceName(e.Source)) + "}";
    }
    return out + (entries.empty() ? "]\n" : "\n]\n");
}

} // namespace kelvo
