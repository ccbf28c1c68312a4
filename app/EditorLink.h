#pragma once
// The main window reaches the pixel editor through IImageEditor (editor/ImageEditor.h).
#include "editor/ImageEditor.h"

#include "ui/FirstUse.h"

// The editor dialog of the whole run, made when first needed (a test may lend its own).
extern TMadeOnFirstUse<IImageEditor> EditDlg;
