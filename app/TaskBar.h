#pragma once
// TTaskBar: an icon with a tip text in the taskbar's notification area. It reports clicks
// on the icon, opens its popup menu on a right click, runs the menu's default item and
// brings the main form back on a double click, and can hide the main form.
#include <functional>
#include <memory>
#include <string>

#include "ui/Control.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

#include <shellapi.h>

// The tip as the notification record holds it: at most 63 characters, never a half of one.
std::wstring NotifyTip(const std::string& text);

class TTaskBar {
public:
    static constexpr UINT kCallbackMessage = 1124;  // the icon's mouse messages
    static constexpr UINT kRefreshMessage = 1125;   // refresh icon and tip

    using TTaskBarMouseEvent = std::function<void(TTaskBar* sender, TMouseButton button, const TShiftState& shift, int x, int y)>;
    using TTaskBarNotify = std::function<void(TTaskBar* sender)>;

    TTaskBar();
    ~TTaskBar();
    TTaskBar(const TTaskBar&) = delete;
    TTaskBar& operator=(const TTaskBar&) = delete;

    // Published properties, each with the rule of its setter.
    bool HideMainForm() const { return FHideMainForm; }
    void SetHideMainForm(bool v);  // true forces AutoLoad
    bool AutoLoad() const { return FAutoLoad; }
    void SetAutoLoad(bool v);  // false forces HideMainForm off
    bool HideTaskBar = false;
    bool DisableShowForm = false;
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* images);  // not owned
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);  // negative values are stored as -1
    const std::string& Text() const { return FText; }
    void SetText(const std::string& text);
    TPopupMenu* PopupMenu = nullptr;  // not owned

    TTaskBarMouseEvent OnMouseDown;
    TTaskBarNotify OnClick;
    TTaskBarNotify OnDblClick;

    // Called by the owner once the properties are set: adds the icon when AutoLoad is set,
    // and installs the application's minimize and restore handlers, which hide or show the
    // program's taskbar button when HideTaskBar is set (removed again when the bar goes).
    void Loaded();
    void Add();
    void Modify();
    void Delete();
    // Hide or show the main form (the program's taskbar button).
    void Hide();
    void Show();
    // The image ImageIndex of Images when it exists, else the program's icon (not owned).
    HICON GetIconHandle() const;
    // The first default item of a menu, or nullptr.
    static TMenuItem* GetDefaultMenuItem(const TPopupMenu& menu);

    bool Shown() const { return FShown; }
    const NOTIFYICONDATAW& Record() const { return FRecord; }
    HWND WindowHandle() const { return FWindow; }
    static int InstanceCount();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void FillRecord();
    void PostRefresh();
    void MouseMessage(UINT mouse, int x, int y);

    bool FHideMainForm = false;
    bool FAutoLoad = false;
    TImageList* FImages = nullptr;
    int FImageIndex = -1;
    std::string FText;
    bool FShown = false;
    bool FLoaded = false;
    HWND FWindow = nullptr;  // owned: receives the icon's messages
    HICON FIcon = nullptr;   // owned: the icon shown
    NOTIFYICONDATAW FRecord{};
};
