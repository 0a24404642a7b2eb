#include "editor/undo_commands.h"

#include "journal/journal_document.h"
#include "model/dlglinevalue.h"

namespace kelvo {

TValueCommand::TValueCommand(const TEntry& before, const TEntry& after)
    : FBefore(std::make_unique<TEntry>(before)), FAfter(std::make_unique<TEntry>(after)) {
    setText(QString::fromStdString(JournalLine(after).Caption + " = " + ShownValue(after)));
}

std::unique_ptr<TFileTypeKelvo::TEntry> TValueCommand::Edited(TFileTypeKelvo& document,
                                                              bool undo) const {
    const TEntry& wanted = undo ? *FBefore : *FAfter;
    for (const TEntry& entry : document.Entries) {
        if (!entry.Value || !wanted.Value || entry.Address != wanted.Address ||
            entry.IndexI != wanted.IndexI || !entry.Value->IsSameKind(*wanted.Value))
            continue;
        // The line as it stands now (hidden or not, its group's count), with
        // the value of then.
        auto edited = std::make_unique<TEntry>(entry);
        edited->Value->Assign(*wanted.Value);
        return edited;
    }
    return nullptr;
}

} // namespace kelvo
