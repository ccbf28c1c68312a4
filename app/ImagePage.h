#pragma once
// The page "イメージの編集" of the main window: the document's images in ListBox1 with their
// thumbnails in ImageList1, the current image with its transparent pixel and hotspot, the
// cursor made from it, and the page's commands. The main window hosts the page and tells
// it through TImagePageHost what it needs from the rest of the program.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CursorDocument.h"
#include "app/ValueBox.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/FirstUse.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/ListBox.h"
#include "ui/Menu.h"
#include "ui/Panel.h"
#include "ui/Timer.h"
#include "ui/Win.h"

struct TImagePageHost {
    // The two save buttons under the pages: enabled or disabled together.
    std::function<void(bool enabled)> EnableSave;
    // Whether the current image can be saved ("単体保存" of the pop-up menu).
    std::function<bool()> CanSaveImage;
    // The current image's hotspot changed through a command of the page.
    std::function<void(int x, int y)> HotspotChanged;
    // The document became empty: the other pages take the state of an empty document.
    std::function<void()> ResetPages;
    // The whole document was cleared (after ResetPages): the frames went with it.
    std::function<void()> Cleared;
};

class TImagePage {
public:
    // owner: the window that owns the page's pop-up menu and message boxes.
    TImagePage(TControl* page, TControl& owner, TCursorDocument& doc, TImagePageHost host);
    TImagePage(const TImagePage&) = delete;
    TImagePage& operator=(const TImagePage&) = delete;

    // The image list and the current image.
    void SetTransparentPixel(int x, int y);
    void BuildIconImage();
    void StoreCurrentImage();
    void LoadCurrentImage();
    void ClearAllImages();
    std::string MakeUniqueName(const std::string& name) const { return FDoc.MakeUniqueName(name); }
    // Adds an image as the new last one and makes it current (the add path of every
    // command and reader); returns false at the image limit. Without transparent, the
    // current image's transparency is kept.
    bool AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY, bool transparent,
                  const std::string& listName, const std::string& imageName);
    bool AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY, const std::string& listName,
                  const std::string& imageName);
    // Adds the images (up to the limit) in one batch: the list repaints once at the end
    // and the last one added is shown.
    void AddImages(const std::vector<CCURSOR>& images);
    // A batch of adds (a drop of many files, an animated cursor's images); batches nest.
    // Within it each added image only joins the document, the thumbnails and the list, and
    // the list does not repaint; when the outermost batch ends the list repaints once and
    // the last image added is selected and shown.
    void BeginAdds();
    void EndAdds();
    // Makes image i the current one and shows it.
    void SelectImage(int i);
    // The pictures of the transparent-colour and hotspot dialogs show the current image.
    void RefreshDialogPictures();
    // The commands on an image are enabled, the add commands while there is room.
    void ShowImagePageEnabled();
    // The state of an empty document (and of the other pages, through the host).
    void ResetImagePage();
    // Lets go of the list and the pictures (the window closes).
    void Close();

    // Handlers.
    void NewBtnClick();
    void EditBtnClick();
    void CopyBtnClick();
    void DelImageBtnClick();
    void D1Click();
    void TransColorBtnClick();
    void NoTransBtnClick();
    void HotSpotBtnClick();
    void YHSpotChange();
    void TestBtnClick();
    void Rename1Click();
    void Edit2Exit();
    bool Renaming() const;  // the rename box is shown
    RECT RenameBoxRect(int row) const;  // where the rename box covers a row
    void ListBox1MouseDown(const TMouseEvent& e);
    void ListBox1MouseUp(const TMouseEvent& e);
    void ListBox1DragDrop(int row);
    void ListBox1DrawItem(int index, const RECT& rect, const TOwnerDrawState& state, TCanvas& canvas);
    void ListBox1DblClick();
    void ListBox1KeyDown(WORD& key);
    void ListBox1KeyUp(WORD key);
    void Timer2Timer();
    void PopupMenu1Popup();

private:
    TGdiObject FRowFont;  // the names in ListBox1's rows and the rename box; outlives both

public:
    // Components (names as the window's own).
    std::unique_ptr<TDragListBox> ListBox1;
    TImageList ImageList1;  // the thumbnails, index by index with the document's images
    std::unique_ptr<TButton> NewBtn, OpenBtn, EditBtn, CopyBtn, DelImageBtn, AllDeleteBtn;
    std::unique_ptr<TButton> TransColorBtn, NoTransBtn, HotSpotBtn, TestBtn;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TValueBox> XHSpot, YHSpot;
    std::unique_ptr<TPanel> TransCol;
    std::unique_ptr<TPanel> Panel1, Panel4;
    std::unique_ptr<TImage> Image1;     // the current image as shown
    std::unique_ptr<TImage> IconImage;  // the cursor made from it (owned by the picture)
    TMadeOnFirstUse<TEdit> Edit2;       // in-place rename box, made by the first rename
    std::unique_ptr<TTimer> Timer2;     // double-click delay
    TPopupMenu PopupMenu1{"PopupMenu1"};

private:
    void RenderCurrentImage();
    void ReplaceThumbnail();
    void EnableAddButtons();
    void AfterHotspotCommand();
    // The controls of the page show the document's current image.
    void ShowCurrentImage();
    // XHSpot and YHSpot show the document's hotspot (without storing it again).
    void ShowHotspot();
    // The document's new last image joins the list and the thumbnails.
    void ShowNewLastImage();

    TControl& FOwner;
    TCursorDocument& FDoc;
    TImagePageHost FHost;
    int FDragFrom = -1;
    uint8_t FHotSpotReady = 1;         // 0 while the page itself sets XHSpot/YHSpot
    bool FPickingTransparent = false;  // the transparent-colour dialog is open
    HFONT RowFont() const { return static_cast<HFONT>(FRowFont.Get()); }
    TRedrawBatch FAdds;                // the batch of adds under way
    bool FAddedInBatch = false;        // an image joined the list in that batch
};
