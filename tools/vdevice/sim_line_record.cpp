#include "tools/vdevice/sim_line_record.h"

#include <cstring>

namespace kelvo {

namespace {

void AppendWord(TBytes& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void AppendString(TBytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// A zero-terminated string of at most MaxRecordText characters starting at pos.
bool ParseString(const TBytes& data, std::size_t& pos, std::string& text) {
    for (std::size_t i = pos; i < data.size() && i - pos <= MaxRecordText; ++i) {
        if (data[i] == 0) {
            text.assign(data.begin() + pos, data.begin() + i);
            pos = i + 1;
            return true;
        }
    }
    return false;
}

std::size_t FixedSize(int kind) {
    switch (kind) {
    case SkLong:
        return 4;
    case SkDouble:
        return 8;
    case SkChoice:
        return 2;
    default:
        return 0;
    }
}

} // namespace

bool TSimLine::IsValueKind(int kind) {
    return kind == SkLong || kind == SkDouble || kind == SkChoice || kind == SkText ||
           kind == SkLabel;
}

TBytes RawLong(std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
            static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

TBytes RawDouble(double value) {
    std::uint64_t u;
    std::memcpy(&u, &value, sizeof u);
    TBytes raw(8);
    for (int i = 0; i < 8; ++i)
        raw[i] = static_cast<unsigned char>(u >> (8 * i));
    return raw;
}

TBytes RawChoice(std::uint16_t index) {
    TBytes raw;
    AppendWord(raw, index);
    return raw;
}

TBytes RawText(const std::string& text) {
    TBytes raw;
    AppendString(raw, text);
    return raw;
}

std::int32_t LongOfRaw(const TBytes& raw) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4 && i < raw.size(); ++i)
        u |= std::uint32_t(raw[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

double DoubleOfRaw(const TBytes& raw) {
    std::uint64_t u = 0;
    for (std::size_t i = 0; i < 8 && i < raw.size(); ++i)
        u |= std::uint64_t(raw[i]) << (8 * i);
    double value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

std::uint16_t ChoiceOfRaw(const TBytes& raw) {
    return raw.size() < 2 ? 0 : static_cast<std::uint16_t>(raw[0] | (raw[1] << 8));
}

void AppendLineRecord(TBytes& out, const TSimLine& line) {
    AppendLineRecord(out, line, line.Raw);
}

void AppendLineRecord(TBytes& out, const TSimLine& line, const TBytes& raw) {
    AppendWord(out, line.Address);
    AppendWord(out, line.Flags);
    AppendWord(out, line.Layout);
    AppendString(out, line.Caption);
    if (!line.HasValue())
        return;
    out.insert(out.end(), raw.begin(), raw.end());
    if (line.Kind() == SkChoice) {
        // Choice 0 always travels, even empty; an empty text would end the list.
        for (std::size_t i = 0; i < line.Choices.size(); ++i) {
            if (i > 0 && line.Choices[i].empty())
                break;
            AppendString(out, line.Choices[i]);
        }
        if (line.Choices.empty())
            out.push_back(0);
        out.push_back(0);
    }
}

bool ParseLineRecord(const TBytes& data, std::size_t& pos, TSimLine& line) {
    std::size_t p = pos;
    if (data.size() - p < 6)
        return false;
    TSimLine read;
    read.Address = static_cast<std::uint16_t>(data[p] | (data[p + 1] << 8));
    read.Flags = static_cast<std::uint16_t>(data[p + 2] | (data[p + 3] << 8));
    read.Layout = static_cast<std::uint16_t>(data[p + 4] | (data[p + 5] << 8));
    p += 6;
    if (!ParseString(data, p, read.Caption) || read.Caption.empty() || !read.HasValue())
        return false;
    const int kind = read.Kind();
    if (kind == SkText) {
        std::string text;
        if (!ParseString(data, p, text))
            return false;
        read.Raw = RawText(text);
    } else {
        const std::size_t size = FixedSize(kind);
        if (data.size() - p < size)
            return false;
        read.Raw.assign(data.begin() + p, data.begin() + p + size);
        p += size;
    }
    if (kind == SkChoice) {
        std::string text;
        if (!ParseString(data, p, text))
            return false;
        read.Choices.push_back(text);
        for (;;) {
            if (!ParseString(data, p, text))
                return false;
            if (text.empty())
                break;
            read.Choices.push_back(text);
        }
    }
    line = std::move(read);
    pos = p;
    return true;
}

TBytes WriteLineRecords(const std::vector<TSimLine>& lines) {
    TBytes out;
    for (const TSimLine& line : lines)
        AppendLineRecord(out, line);
    return out;
}

std::optional<std::vector<TSimLine>> ReadLineRecords(const TBytes& data, std::size_t* errorOffset) {
    std::vector<TSimLine> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        TSimLine line;
        if (!ParseLineRecord(data, pos, line)) {
            if (errorOffset)
                *errorOffset = pos;
            return std::nullopt;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace kelvo
