#pragma once
// The pictures of the main window's toolbar, drawn in code so that they look
// the same on every desktop, with or without an icon theme.
#include <QIcon>

namespace kelvo {

enum TToolbarIcon {
    IconNew,
    IconOpen,
    IconSave,
    IconCut,
    IconCopy,
    IconPaste,
    IconCascade,
    IconTileHorizontal,
    IconTileVertical,
};

QIcon ToolbarIcon(TToolbarIcon icon);
// The program's own icon.
QIcon ApplicationIcon();

} // namespace kelvo
