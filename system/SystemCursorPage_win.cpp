// The system cursor page: reading, editing and applying the Windows cursor schemes.
#include "system/SystemCursorPage.h"

#include <map>

#include "base/Format.h"
#include "formats/FileMessages.h"
#include "formats/ReaderProcess.h"
#include "formats/UserCursor.h"
#include "ui/Application.h"
#include "ui/Cursor.h"
#include "ui/Dialogs.h"
#include "ui/PageLayout.h"
#include "ui/Registry.h"

TCursorHandle CreateMonoCursor(const MonoCursorRecord& record, int hotX, int hotY) {
    TCursorMask mask(32, 32), xorBits(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            mask.Set(x, y, record.AndBit(x, y));
            xorBits.Set(x, y, record.XorBit(x, y));
        }
    return BuildMonochromeCursor(mask, xorBits, hotX, hotY);
}

namespace {
const char* const kOpenFailed = "レジストリのオープンに失敗しました。";
constexpr UINT kInfo = MB_OK | MB_ICONINFORMATION;
constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

std::string Expanded(const std::string& path) {
    if (!IsExpandableText(path)) return path;
    std::wstring w = W(path);
    DWORD n = ExpandEnvironmentStringsW(w.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    n = ExpandEnvironmentStringsW(w.c_str(), out.data(), n);
    if (n == 0) return path;
    out.resize(n - 1);
    return U(out);
}

void WriteText(TRegistry& reg, const std::string& name, const std::string& value) {
    if (IsExpandableText(value))
        reg.WriteExpandString(name, value);
    else
        reg.WriteString(name, value);
}
} // namespace

TSystemCursorPage::TSystemCursorPage(TControl* p, TFileDialog& openCursor, TDialogContents contents)
    : FPage(p), FOpenCursor(openCursor) {
    if (contents == TDialogContents::Now) BuildContents();
}

void TSystemCursorPage::BuildContents() {
    if (GroupBox3) return;
    TControl* p = FPage;
    using P = TSystemCursorPage;
    BuildControls<P, TGroupBox>(*this, p, {{&P::GroupBox3, "GroupBox3", "システムカーソルの設定", 8, 4, 490, 346}});
    TControl* g = GroupBox3.get();
    BuildLabels<P>(*this, g, {{&P::Label19, "Label19", "ﾃﾞｻﾞｲﾝ", 12, 24}});
    WinCurDesin = std::make_unique<TComboBox>(g, "WinCurDesin", std::vector<std::string>{}, true);
    WinCurDesin->SetBounds(60, 20, 250, 200);
    BuildControls<P, TButton>(*this, g,
                              {
                                  {&P::AddWinDesBtn, "AddWinDesBtn", "追加", 318, 19, 70, 24},
                                  {&P::DelWinDesBtn, "DelWinDesBtn", "削除", 394, 19, 70, 24},
                              });
    ListBox3 = std::make_unique<TListBox>(g, "ListBox3", true, 38);
    ListBox3->SetBounds(12, 50, 466, 254);
    FListFont.Reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
    ListBox3->SetFont(static_cast<HFONT>(FListFont.Get()));
    for (const char* line : kCursorRoleLines) ListBox3->Add(line);
    BuildControls<P, TSpeedButton>(*this, g,
                                   {
                                       {&P::UndoWinCurBtn, "UndoWinCurBtn", "元に戻す", 12, 310, 84, 26},
                                       {&P::WinDefCurBtn, "WinDefCurBtn", "標準", 102, 310, 84, 26},
                                       {&P::WinCurOpen, "WinCurOpen", "参照", 192, 310, 84, 26},
                                       {&P::tekiyoubtn, "tekiyoubtn", "適用", 394, 310, 84, 26},
                                   });
    for (TSpeedButton* b : {UndoWinCurBtn.get(), WinDefCurBtn.get(), WinCurOpen.get(), tekiyoubtn.get()})
        b->SetEnabled(false);

    ListBox3->OnDrawItem = [this](TControl*, int i, const RECT& r, const TOwnerDrawState& s, TCanvas& c) {
        ListBox3DrawItem(i, r, s, c);
    };
    ListBox3->OnClick = [this](TControl*) { ListBox3Click(); };
    WinCurDesin->OnDropDown = [this](TControl*) { WinCurDesinDropDown(); };
    WinCurDesin->OnChange = [this](TControl*) { WinCurDesinChange(); };
    AddWinDesBtn->OnClick = [this](TControl*) { AddWinDesBtnClick(); };
    DelWinDesBtn->OnClick = [this](TControl*) { DelWinDesBtnClick(); };
    UndoWinCurBtn->OnClick = [this](TControl*) { UndoWinCurBtnClick(); };
    WinDefCurBtn->OnClick = [this](TControl*) { WinDefCurBtnClick(); };
    WinCurOpen->OnClick = [this](TControl*) { WinCurOpenClick(); };
    tekiyoubtn->OnClick = [this](TControl*) { tekiyoubtnClick(); };
    if (FSchemesRead) {
        ShowSchemeNames();
        ShowSchemeText();
    }
}

TSystemCursorPage::~TSystemCursorPage() {
    FreeSchemeCursors();
    ListBox3.reset();  // before its font goes
}

int TSystemCursorPage::Message(const std::string& text, const std::string& caption, UINT flags) {
    return ShowMessageBox(GetAncestor(FPage->Handle(), GA_ROOT), text, caption, flags);
}

bool TSystemCursorPage::Confirm(const std::string& text, const std::string& caption) {
    return Message(text, caption, kQuestion) == IDYES;
}

void TSystemCursorPage::ShowSchemeText() {
    FSchemeTextLock = true;
    WinCurDesin->SetText(FSchemes.Text());
    FSchemeTextLock = false;
}

void TSystemCursorPage::ShowSchemeNames() {
    WinCurDesin->ClearItems();
    for (const std::string& n : FSchemes.Names()) WinCurDesin->AddItem(n);
}

bool TSystemCursorPage::ReadCursorSchemes() {
    const std::string title = TApplication::Instance().Title();
    std::vector<std::string> names, values, files;
    std::string active;
    TRegistry reg(FKeys.Root);
    // A system that never stored a scheme has no schemes key: no schemes.
    if (reg.KeyExists(FKeys.Schemes)) {
        if (!reg.OpenKeyReadOnly(FKeys.Schemes)) {
            Message(kOpenFailed, title, kInfo);
            return FSchemesRead = false;
        }
        try {
            names = reg.GetValueNames();
            for (const std::string& n : names) values.push_back(reg.ReadString(n));
        } catch (const std::exception&) {
            Message("ﾃﾞｻﾞｲﾝ名の読み込みに失敗しました。", title, kInfo);
            return FSchemesRead = false;
        }
        reg.CloseKey();
    }
    if (reg.KeyExists(FKeys.Cursors)) {
        if (!reg.OpenKeyReadOnly(FKeys.Cursors)) {
            Message(kOpenFailed, title, kInfo);
            return FSchemesRead = false;
        }
        try {
            active = reg.ReadString("");
            for (const char* role : CursorRoleNames) files.push_back(reg.ReadString(role));
        } catch (const std::exception&) {
            Message("システムカーソルの読み込みに失敗しました。", title, kInfo);
            return FSchemesRead = false;
        }
        reg.CloseKey();
    }
    FSchemes.Load(std::move(names), std::move(values), active, std::move(files));
    FreeSchemeCursors();
    FCursorsPending = true;
    FSchemesRead = true;
    if (ContentsBuilt()) {
        ShowSchemeNames();
        ShowSchemeText();
        ListBox3->Invalidate();
    }
    return FSchemesRead;
}

TCursorHandle TSystemCursorPage::RoleCursor(int role) const {
    const std::string& file = FSchemes.File(role);
    if (file.empty()) {
        // The standard cursor is pictured by its template, built from a copy of its own.
        MonoCursorRecord record;
        if (!LoadMonoTemplate(FCurData.data(), FCurData.size(), role, record)) return TCursorHandle();
        const MonoTemplateInfo& info = kMonoTemplates[static_cast<std::size_t>(role)];
        return CreateMonoCursor(record, info.HotX, info.HotY);
    }
    return TCursorHandle(LoadUserCursor(Expanded(file), TUserCursorLoad::DefaultSize));
}

bool TSystemCursorPage::LoadSchemeCursor() {
    FreeSchemeCursors();
    FCursorsPending = true;
    LoadPendingCursors();
    return true;
}

void TSystemCursorPage::FreeSchemeCursors() {
    FSchemeCursors.clear();
    FCursorsPending = false;
}

void TSystemCursorPage::LoadPendingCursors() const {
    if (!FCursorsPending) return;
    FCursorsPending = false;
    const TReaderBatch readers;  // one reader helper for every role's file that needs it
    for (int role = 0; role < kCursorRoleCount; ++role) FSchemeCursors.emplace_back(RoleCursor(role));
}

HCURSOR TSystemCursorPage::SchemeCursor(int role) const {
    LoadPendingCursors();
    return FSchemeCursors.at(static_cast<std::size_t>(role)).Get();
}

void TSystemCursorPage::ReloadCursors() {
    LoadSchemeCursor();
    ListBox3->Invalidate();
}

void TSystemCursorPage::PageEntered() {
    BuildContents();
    if (FSchemesRead) return;
    for (TControl* c : std::initializer_list<TControl*>{WinCurDesin.get(), AddWinDesBtn.get(), DelWinDesBtn.get(),
                                                        ListBox3.get()})
        c->SetEnabled(false);
}

void TSystemCursorPage::ListBox3DrawItem(int index, const RECT& r, const TOwnerDrawState& state, TCanvas& canvas) {
    if (index < 0 || index >= kCursorRoleCount) return;
    canvas.FillRect(r, state.Selected ? clHighlight : clWindow);
    canvas.SetFont(static_cast<HFONT>(FListFont.Get()));
    LoadPendingCursors();
    if (FSchemesRead && static_cast<std::size_t>(index) < FSchemeCursors.size()) {
        if (HCURSOR c = SchemeCursor(index)) DrawIconEx(canvas.Handle(), r.right - 36, r.top + 3, c, 32, 32, 0, nullptr, DI_NORMAL);
        const std::string& file = FSchemes.File(index);
        canvas.TextOut(r.left + 8, r.top + 20, file.empty() ? "Windows標準" : file, state.Selected ? clYellow : clBlue);
    }
    canvas.TextOut(r.left + 8, r.top + 6, kCursorRoleLines[static_cast<std::size_t>(index)],
                   state.Selected ? clHighlightText : clWindowText);
}

void TSystemCursorPage::ListBox3Click() {
    int role = ListBox3->ItemIndex();
    if (role < 0 || role >= kCursorRoleCount) return;
    WinCurOpen->SetEnabled(true);
    WinDefCurBtn->SetEnabled(!FSchemes.File(role).empty());
}

void TSystemCursorPage::WinCurDesinDropDown() {
    FSchemes.SetText(WinCurDesin->Text());
    FSchemes.DropDown();
}

void TSystemCursorPage::WinCurDesinChange() {
    if (FSchemeTextLock) return;
    int reported = 0;
    if (!FSchemes.SelectScheme(WinCurDesin->Text(), reported)) return;
    for (int i = 0; i < reported; ++i) Message("dの値がおかしい", TApplication::Instance().Title(), kInfo);
    ReloadCursors();
    tekiyoubtn->SetEnabled(true);
    UndoWinCurBtn->SetEnabled(true);
}

void TSystemCursorPage::AddWinDesBtnClick() {
    FSchemes.SetText(WinCurDesin->Text());
    switch (FSchemes.CanAdd()) {
    case TCursorSchemes::TAddCheck::NoName: Message("名前が入力されていません。", "情報", kInfo); return;
    case TCursorSchemes::TAddCheck::Exists: Message("すでに同じ名前のアイテムがあります。", "情報", kInfo); return;
    case TCursorSchemes::TAddCheck::Ok: break;
    }
    if (!Confirm("'" + FSchemes.Text() + "' を追加しますか？", "追加の確認")) return;
    FSchemes.Add();
    WinCurDesin->AddItem(FSchemes.Names().back());
    tekiyoubtn->SetEnabled(true);
}

void TSystemCursorPage::DelWinDesBtnClick() {
    FSchemes.SetText(WinCurDesin->Text());
    int i = FindSchemeName(FSchemes.Names(), FSchemes.Text());
    if (i < 0) {
        Message("リストの項目が選択されていません。", "情報", kInfo);
        return;
    }
    if (!Confirm("'" + FSchemes.Text() + "' を削除しますか？", "削除の確認")) return;
    FSchemes.Delete();
    WinCurDesin->DeleteItem(i);
    ShowSchemeText();
    tekiyoubtn->SetEnabled(true);
}

void TSystemCursorPage::UndoWinCurBtnClick() {
    FSchemes.SetText(WinCurDesin->Text());
    FSchemes.Undo();
    ShowSchemeText();
    ReloadCursors();
    tekiyoubtn->SetEnabled(true);
}

void TSystemCursorPage::WinDefCurBtnClick() {
    int role = ListBox3->ItemIndex();
    if (role < 0 || role >= kCursorRoleCount) return;
    FSchemes.SetText(WinCurDesin->Text());
    FSchemes.SetStandard(role);
    UndoWinCurBtn->SetEnabled(true);
    LoadPendingCursors();
    FSchemeCursors.at(static_cast<std::size_t>(role)) = RoleCursor(role);
    ListBox3->Invalidate();
    tekiyoubtn->SetEnabled(true);
}

void TSystemCursorPage::WinCurOpenClick() {
    int role = ListBox3->ItemIndex();
    if (role < 0 || role >= kCursorRoleCount) return;
    if (!FOpenCursor.Execute(GetAncestor(FPage->Handle(), GA_ROOT))) return;
    // A file that gives no cursor is not taken: the role keeps its file, and applying can
    // never hand it to every program the system loads cursors for.
    const std::string file = FOpenCursor.FileName;
    const TReaderStartWatch helper;
    TCursorHandle shown(LoadUserCursor(Expanded(file), TUserCursorLoad::DefaultSize));
    if (!shown) {
        const char* text = helper.HelperNotStarted() ? kReaderNotStartedMessage : kNothingReadMessage;
        Message(Format(text, file.c_str()), kOpenedFileCaption, kInfo);
        return;
    }
    FSchemes.SetText(WinCurDesin->Text());
    FSchemes.SetFile(role, file);
    LoadPendingCursors();
    FSchemeCursors.at(static_cast<std::size_t>(role)) = std::move(shown);
    ListBox3->Invalidate();
    tekiyoubtn->SetEnabled(true);
    UndoWinCurBtn->SetEnabled(true);
    WinDefCurBtn->SetEnabled(true);
}

void TSystemCursorPage::tekiyoubtnClick() {
    const std::string title = TApplication::Instance().Title();
    if (!Confirm("システムカーソルを更新しますか？", "更新の確認")) return;
    FSchemes.SetText(WinCurDesin->Text());
    TRegistry reg(FKeys.Root);
    if (!reg.OpenKey(FKeys.Cursors, true)) {
        Message(kOpenFailed, title, kInfo);
        return;
    }
    try {
        reg.WriteString("", FSchemes.ActiveNameToStore());
        std::vector<std::string> stored;
        for (const char* role : CursorRoleNames) {
            // A value of another type than text is replaced like a different file.
            if (reg.GetDataType(role) == REG_SZ || reg.GetDataType(role) == REG_EXPAND_SZ ||
                reg.GetDataType(role) == REG_NONE)
                stored.push_back(reg.ReadString(role));
            else
                stored.push_back(std::string(1, '\0'));
        }
        for (int role : FSchemes.RolesToStore(stored))
            WriteText(reg, CursorRoleNames[static_cast<std::size_t>(role)], FSchemes.File(role));
    } catch (const std::exception&) {
        Message("システムカーソルの更新に失敗しました。", title, kInfo);
        return;
    }
    reg.CloseKey();
    if (!reg.OpenKey(FKeys.Schemes, true)) {
        Message(kOpenFailed, title, kInfo);
        return;
    }
    try {
        std::map<std::string, std::string> stored;
        for (const std::string& n : reg.GetValueNames()) {
            DWORD type = reg.GetDataType(n);
            stored[n] = type == REG_SZ || type == REG_EXPAND_SZ ? reg.ReadString(n) : std::string(1, '\0');
        }
        TSchemeStorePlan plan = FSchemes.SchemesToStore(stored);
        for (const auto& [name, value] : plan.Write) WriteText(reg, name, value);
        for (const std::string& name : plan.Delete)
            if (!reg.DeleteValue(name)) throw ERegistryException("Failed to delete " + name);
    } catch (const std::exception&) {
        Message("ﾃﾞｻﾞｲﾝの更新に失敗しました。", title, kInfo);
        return;
    }
    reg.CloseKey();
    // Windows reloads its cursors from the registry; a system that refuses says so.
    if (!SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0))
        Message("システムカーソルの設定はレジストリに保存しましたが、\nWindowsが新しいカーソルを読み込みませんでした。",
                title, MB_OK | MB_ICONWARNING);
}
