#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Dialogs.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/ListBox.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"
#include "ui/Timer.h"

#include <string>
#include <thread>
#include <vector>

namespace {

struct FormFixture : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        form = std::make_unique<TForm>("TestForm", "テスト", 300, 200);
    }
    std::unique_ptr<TForm> form;
};

} // namespace

TEST_F(FormFixture, EveryControlCarriesItsComponentName) {
    TButton b(form.get(), "SaveANIBtn", "すべて保存");
    TPanel p(form.get(), "Panel13");
    TCheckBox c(&p, "NoDlgDisp", "背景色");
    EXPECT_EQ(FindComponent(form->Handle(), "SaveANIBtn"), b.Handle());
    EXPECT_EQ(FindComponent(form->Handle(), "NoDlgDisp"), c.Handle());
    EXPECT_EQ(ComponentNameOf(p.Handle()), "Panel13");
    EXPECT_EQ(TControl::FromHandle(b.Handle()), &b);
    EXPECT_EQ(b.Caption(), "すべて保存");
    // Atoms ignore case: a name first added in other capitals is still found.
    ATOM other = GlobalAddAtomW(L"CASEPROBEBTN");
    TButton probe(form.get(), "CaseProbeBtn", "");
    EXPECT_EQ(FindComponent(form->Handle(), "CaseProbeBtn"), probe.Handle());
    EXPECT_EQ(FindComponent(form->Handle(), "NoSuchComponent"), nullptr);
    GlobalDeleteAtom(other);
}

// A standard control answers through its class procedure and our handlers alike, also
// under a subclass another part of the program lays on top; once its object is gone,
// the handle names no object, whichever goes first, the window or the object.
TEST_F(FormFixture, StandardControlsKeepTheirClassBehaviourAndLetGoOfTheirObject) {
    struct Top {
        static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
            if (m == WM_GETTEXTLENGTH) ++*reinterpret_cast<int*>(ref);
            return DefSubclassProc(h, m, w, l);
        }
    };
    HWND gone = nullptr;
    int seenOnTop = 0;
    {
        TEdit edit(form.get(), "ProbeEdit");
        edit.SetText("あいう");
        EXPECT_EQ(edit.Text(), "あいう");
        EXPECT_EQ(GetWindowTextLengthW(edit.Handle()), 3);
        TButton b(form.get(), "ProbeBtn", "押す");
        int clicks = 0;
        b.OnClick = [&](TControl*) { ++clicks; };
        ASSERT_TRUE(SetWindowSubclass(b.Handle(), Top::Proc, 7, reinterpret_cast<DWORD_PTR>(&seenOnTop)));
        b.Perform(BM_CLICK);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(b.Caption(), "押す");
        EXPECT_GT(seenOnTop, 0);
        gone = b.Handle();
        TCheckBox first(form.get(), "ProbeFirst", "");
        HWND h = first.Handle();
        DestroyWindow(h);  // the window before the object
        EXPECT_EQ(TControl::FromHandle(h), nullptr);
        EXPECT_EQ(first.Handle(), nullptr);
    }
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(TControl::FromHandle(gone), nullptr);
    TButton again(form.get(), "ProbeAgain", "");
    EXPECT_EQ(TControl::FromHandle(again.Handle()), &again);
}

TEST(ComponentNames, ADialogMadeAndDestroyedAThousandTimesLeavesNoGlobalAtom) {
    TApplication::Instance().Initialize();
    const wchar_t* const names[] = {L"AtomProbeDlg", L"AtomProbeOK", L"AtomProbeShared"};
    for (const wchar_t* n : names) ASSERT_EQ(GlobalFindAtomW(n), 0) << U(n);
    for (int i = 0; i < 1000; ++i) {
        TForm dialog("AtomProbeDlg", "", 200, 100, TFormBorder::bsDialog);
        TButton ok(&dialog, "AtomProbeOK", "OK");
        TPanel panel(&dialog, "AtomProbeShared");  // two controls of one name: two adds of one atom
        TEdit edit(&panel, "AtomProbeShared");
        ASSERT_EQ(FindComponent(dialog.Handle(), "AtomProbeOK"), ok.Handle());
        if (i % 2) DestroyWindow(dialog.Handle());  // the window goes first, the objects after it
    }
    for (const wchar_t* n : names) EXPECT_EQ(GlobalFindAtomW(n), 0) << U(n);
}

TEST_F(FormFixture, ButtonMessagesReachTheOwningControl) {
    TPanel p(form.get(), "Panel1");
    TButton b(&p, "Btn", "OK");
    int clicks = 0;
    b.OnClick = [&](TControl* s) {
        EXPECT_EQ(s, &b);
        ++clicks;
    };
    form->ShowForm();
    b.Perform(BM_CLICK);
    EXPECT_EQ(clicks, 1);
    b.SetEnabled(false);
    b.Perform(BM_CLICK);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormFixture, CheckBoxStateChangesRunOnClickOnce) {
    TCheckBox c(form.get(), "Check", "x");
    int clicks = 0;
    c.OnClick = [&](TControl*) { ++clicks; };
    c.SetChecked(true);
    c.SetChecked(true);
    EXPECT_TRUE(c.Checked());
    EXPECT_EQ(clicks, 1);
    c.Perform(BM_CLICK);  // the user's click toggles
    EXPECT_FALSE(c.Checked());
    EXPECT_EQ(clicks, 2);
}

TEST_F(FormFixture, PageControlShowsOnlyTheActivePage) {
    TPageControl pc(form.get(), "PageControl1");
    pc.SetBounds(0, 0, 300, 200);
    TTabSheet* a = pc.AddPage("Page1", "イメージの編集");
    TTabSheet* b = pc.AddPage("Page2", "フレームの編集");
    int changes = 0;
    pc.OnChange = [&](TControl*) { ++changes; };
    EXPECT_EQ(pc.ActivePage(), a);
    EXPECT_TRUE(a->Visible());
    EXPECT_FALSE(b->Visible());
    pc.SetActivePage(b);
    EXPECT_EQ(pc.ActivePageIndex(), 1);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(a->Visible());
    EXPECT_EQ(changes, 1);
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    pc.Perform(TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(U(text), "フレームの編集");
}

TEST_F(FormFixture, OwnerDrawnListBoxAsksForEachVisibleRow) {
    TListBox lb(form.get(), "ListBox1", true, 16);
    lb.SetBounds(0, 0, 100, 100);
    int drawn = 0;
    lb.OnDrawItem = [&](TControl*, int, const RECT& r, const TOwnerDrawState&, TCanvas&) {
        EXPECT_EQ(r.bottom - r.top, 16);
        ++drawn;
    };
    lb.Add("a");
    lb.Add("b");
    lb.Insert(0, "z");
    EXPECT_EQ(lb.Item(0), "z");
    lb.Move(0, 2);
    EXPECT_EQ(lb.Item(2), "z");
    form->ShowForm();
    UpdateWindow(lb.Handle());
    TApplication::Instance().ProcessMessages();
    EXPECT_GE(drawn, 3);
}

TEST_F(FormFixture, EditChangesRunOnChange) {
    TEdit e(form.get(), "Edit2");
    int changes = 0;
    e.OnChange = [&](TControl*) { ++changes; };
    e.SetText("abc");
    EXPECT_EQ(e.Text(), "abc");
    EXPECT_EQ(changes, 1);
}

TEST_F(FormFixture, ModalFormEndsWithTheButtonsResult) {
    TForm dlg("Dlg", "dialog", 100, 60, TFormBorder::bsDialog);
    TButton ok(&dlg, "OKBtn", "OK");
    ok.SetModalResult(mrOk);
    // A message posted before the modal loop starts presses the button inside it.
    PostMessageW(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.ShowModal(), mrOk);
    EXPECT_FALSE(dlg.Visible());
}

TEST_F(FormFixture, TimerTicksOnTheWindowThreadAndStops) {
    TTimer t("Timer3", 20);
    int ticks = 0;
    t.OnTimer = [&](TControl*) {
        ++ticks;
        t.SetEnabled(false);
    };
    t.SetEnabled(true);
    EXPECT_EQ(t.Handle(), nullptr) << "a thread timer needs no window";
    DWORD start = GetTickCount();
    while (ticks == 0 && GetTickCount() - start < 2000) {
        TApplication::Instance().ProcessMessages();
        Sleep(5);
    }
    EXPECT_EQ(ticks, 1);
    Sleep(60);
    TApplication::Instance().ProcessMessages();
    EXPECT_EQ(ticks, 1);

    // A timer destroyed with its tick still queued is never called.
    int late = 0;
    {
        TTimer gone("Gone", 1);
        gone.OnTimer = [&](TControl*) { ++late; };
        gone.SetEnabled(true);
        Sleep(30);
        MSG m;
        PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE);  // the tick is queued
    }
    Sleep(30);
    TApplication::Instance().ProcessMessages();
    EXPECT_EQ(late, 0);
}

TEST_F(FormFixture, MinimizingAndRestoringTheMainFormRaiseTheApplicationsEventsOnce) {
    TApplication& app = TApplication::Instance();
    TForm other("Other", "other", 100, 60);
    other.ShowForm();
    form->ShowForm();
    app.SetMainForm(form.get());
    std::vector<std::string> events;
    app.OnMinimize = [&] { events.push_back("minimize"); };
    app.OnRestore = [&] { events.push_back("restore"); };
    SendMessageW(other.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // not the main form
    SendMessageW(other.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the caption's button
    app.Minimize();                                                // already minimized
    EXPECT_TRUE(IsIconic(form->Handle()));
    SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    app.Restore();  // not minimized: nothing
    app.Minimize();
    app.Restore();
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_EQ(events, (std::vector<std::string>{"minimize", "restore", "minimize", "restore"}));
    app.OnMinimize = nullptr;
    app.OnRestore = nullptr;
    app.SetMainForm(nullptr);
}

TEST_F(FormFixture, ExceptionsFromHandlersAreShownAndTheProgramGoesOn) {
    std::vector<TMessageBoxCall> shown;
    SetMessageBoxHook([&](const TMessageBoxCall& c) {
        shown.push_back(c);
        return IDOK;
    });
    TApplication::Instance().SetTitle("Tamsolo");
    TButton b(form.get(), "Btn", "x");
    b.OnClick = [](TControl*) { throw std::runtime_error("broken"); };
    b.Perform(BM_CLICK);
    SetMessageBoxHook(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "broken.");
    EXPECT_EQ(shown[0].Caption, "Tamsolo");
}

TEST(MessageBoxes, ARealBoxIsShownAndClosed) {
    // Another thread presses OK on the box once it appears.
    std::thread closer([] {
        for (int i = 0; i < 200; ++i) {
            HWND box = FindWindowW(L"#32770", L"数値入力について");
            if (box) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    int r = ShowMessageBox(nullptr, "数値を0～31の間で指定してください", "数値入力について", MB_OK);
    closer.join();
    EXPECT_EQ(r, IDOK);
}
