#pragma once
// TExtIcon: the modal dialog that shows the icons of an executable module or icon library
// (.exe, .dll, .icl and the like) and lets the user pick one by number. The icons are read
// and decoded by our own reader (TIconSource); no system reader sees the file.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ValueBox.h"
#include "base/Bitmap.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/Panel.h"

class TIconSource;

// The work of reading a module's icons: images decoded (each once, also those that failed),
// list entries made (one per image the list shows, however many icons show it) and the
// pixels charged to the file's budget.
struct TExtIconWork {
    int Decodes = 0;
    int EntriesMade = 0;
    uint64_t Pixels = 0;
};

// A module's icons as read and decoded, before they go into the list.
struct TModuleIcons;
// Reads and decodes the icons of a file on the calling thread (no window is touched); null
// when it holds none, costs more than its size calls for, or the work it runs on was
// cancelled. work, when given, receives what the reading cost, also when it gave nothing.
std::unique_ptr<TModuleIcons> ReadModuleIcons(const std::string& fileName, TExtIconWork* work = nullptr);

class TExtIcon : public TForm {
public:
    explicit TExtIcon(TForm* owner);
    ~TExtIcon() override;

    // Fills the dialog with the file's icons, read off the window thread; false (nothing
    // changed) when it holds none.
    bool LoadIconsFromFile(const std::string& fileName);
    // Fills the dialog with icons read before; false (nothing changed) when there are none.
    bool TakeIcons(std::unique_ptr<TModuleIcons> icons);
    // Shows icon number ValueBox1.Value in Image1.
    void ValueBox1Change();
    // Icon number ValueBox1.Value at the size of the image chosen for the list, never
    // stretched; null when there is none.
    TIconHandle PickedIconAtOwnSize() const;
    // The number of icons listed, and the entry of ImageList1 that shows icon `icon` (icons
    // that show one image share its entry); -1 for a number not listed.
    int IconCount() const { return static_cast<int>(FListEntries.size()); }
    int ListEntry(int icon) const;
    const TExtIconWork& Work() const { return FWork; }

    std::unique_ptr<TLabel> Label1, Label2, Label3;
    std::unique_ptr<TPanel> Panel1;  // the number of icons
    std::unique_ptr<TValueBox> ValueBox1;
    std::unique_ptr<TPanel> Bevel1;  // frames Image1
    std::unique_ptr<TImage> Image1;  // the icon shown; after OK the picked one
    std::unique_ptr<TButton> Button1, Button2;
    TImageList ImageList1{32, 32, true};  // the images the icons show, with their alpha

private:
    std::unique_ptr<TIconSource> FSource;  // the file the list was read from
    std::vector<int> FSourceIcons;         // the reader's icon number of each icon listed
    std::vector<int> FListEntries;         // ImageList1's entry of each icon listed
    TExtIconWork FWork;
    int FDepth = 32;                       // the screen's bits per pixel when it was read
};

// The import's pick of a library icon: the dialog for the file, and after OK the picked icon
// drawn at (0, 0) on a 32x32 picture filled with the colour that `background` gives (asked
// only then). False when the file has no icon or the user cancelled.
bool PickLibraryIconPicture(TForm* owner, const std::string& fileName, const std::function<TColor()>& background,
                            TBitmap& picture);
