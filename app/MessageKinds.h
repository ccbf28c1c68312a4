#pragma once
// The main window's message box (TForm1::ReportMessage): which caption it shows, and
// whether it beeps with the information icon or warns without a beep.
enum class TMessageCaption {
    Application = 0,  // the application title
    OpenedFile = 1,   // "開いたファイル"
    SaveImage = 2,    // the caption of the save button
    SaveAll = 3,      // the caption of the save-all button
    None = 5,         // an empty caption
};

enum class TMessageIcon {
    Information = 0,  // the default beep, then the information icon
    Warning = 1,      // the warning icon, no beep
};
