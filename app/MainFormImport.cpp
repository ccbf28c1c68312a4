// The main window's file commands: importing dropped, opened and pasted files, and saving.
#include "app/MainForm.h"

void TForm1::BuildImportControls() {}

void TForm1::DropPanel1DropFiles(TControl*, const std::vector<std::string>&) {}
