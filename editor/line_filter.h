#pragma once
// Which lines of the parameter list are shown while the user looks for some:
// those whose caption or value, as the list shows them (translated, decoded
// from the device's code page), holds the typed text without regard to case,
// and with "Changed only" those whose value differs from the document's file.
// The lines a shown line stands under (its heading, its group instance, its
// group) stay with it, so that it is still clear where it belongs.
#include "foundation/vlist/vlist_entry.h"
#include "model/kelvofile.h"

#include <QString>

#include <functional>
#include <string>

namespace kelvo {

class TLineFilter {
public:
    // Whether a line's value differs from the file, for "Changed only".
    using TChangedTest = std::function<bool(const TFileTypeKelvo::TEntry&)>;

    // Spaces around the text are not looked for.
    void SetText(const QString& text);
    const QString& Text() const { return FText; }
    void SetChangedOnly(bool on) { FChangedOnly = on; }
    bool ChangedOnly() const { return FChangedOnly; }
    void SetChangedTest(TChangedTest test) { FChanged = std::move(test); }
    // Whether the filter hides anything at all.
    bool IsActive() const { return !FText.isEmpty() || FChangedOnly; }

    // A line that is shown for itself (not only as a heading).
    bool Matches(const TFileTypeKelvo::TEntry& entry) const;
    // Keeps the rows that match, the rows they stand under (each row's nearest
    // row above it with less indentation, and so on up) and a separator row
    // before a kept row that had one, unless it would open the list. The rows
    // must be the entries of a Kelvo document; their order stays.
    void Apply(TSortedVlvEntries& rows) const;

    // What an empty list says while this filter is active, e.g. No line
    // matches "xyz".
    std::string NoMatchText() const;

private:
    QString FText;
    bool FChangedOnly = false;
    TChangedTest FChanged;
};

} // namespace kelvo
