// The palette commands of the editor: the items of the palette, edit and arrange menus
// beyond undo and redo, and the colour boxes of Panel5.
#include "editor/EditDlg_win.h"

void TEditDlg::BuildPaletteCommands() {
    // The palette editing code adds its menu items and colour boxes here.
}

void TEditDlg::RefreshColourBoxes() {
    // The palette editing code fills the colour boxes from the active swatch here.
}
