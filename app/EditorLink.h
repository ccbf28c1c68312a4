#pragma once
// The main window reaches the pixel editor through IImageEditor (editor/ImageEditor.h).
#include "editor/ImageEditor.h"

// The editor dialog, created at start; nullptr until it exists.
extern IImageEditor* EditDlg;
