#include "editor/editor_settings.h"

namespace kelvo {

TEditorSettings& EditorSettings() {
    static TEditorSettings settings;
    return settings;
}

} // namespace kelvo
