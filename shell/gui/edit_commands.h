#pragma once
// Cut, Copy and Paste of the main window: they work on the focused text
// control and are enabled as such controls allow.
namespace kelvo {

enum TEditCommand { EditCut, EditCopy, EditPaste };

bool CanEdit(TEditCommand command);
void SendEditCommand(TEditCommand command);

} // namespace kelvo
