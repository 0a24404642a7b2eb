#include "model/value_editor.h"

#include <utility>

namespace kelvo {

namespace {
TValueEditor* installedEditor = nullptr;
}

TValueEditor* ValueEditor() {
    return installedEditor;
}

TValueEditor* SetValueEditor(TValueEditor* e) {
    return std::exchange(installedEditor, e);
}

} // namespace kelvo
