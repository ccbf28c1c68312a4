#pragma once
// The one-line hints the editor's status bar shows while the pointer is over a control.
#include <string>

// The hint of a control by component name; nullptr for a control without one. The tool
// bar, Panel5 and the dialog itself ("EditDlg") clear the line with one full-width blank.
const char* EditorStatusHint(const std::string& componentName);
