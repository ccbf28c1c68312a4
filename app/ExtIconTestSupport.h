#pragma once
// Answers the icon picker (TExtIcon) once it is shown modally: picks an icon number (or
// cancels) and records what the dialog showed.
#include <string>

#include "app/ExtIcon.h"
#include "ui/Control.h"

struct TExtIconAnswer {
    int Pick = -1;  // the icon number to take; -1 cancels
    int Shown = 0;  // how often the dialog was answered
    std::string Count;     // Panel1's text when it was shown
    int Max = -1;          // ValueBox1's Max
    int ValueBeyond = -1;  // the number after asking for one past the last
    TExtIconWork Work;     // what filling the dialog cost
    UINT_PTR Timer = 0;
};

inline TExtIconAnswer& ExtIconAnswer() {
    static TExtIconAnswer a;
    return a;
}

inline void CALLBACK AnswerExtIconTick(HWND, UINT, UINT_PTR, DWORD) {
    struct Find {
        TExtIcon* Dialog = nullptr;
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            auto* dialog = dynamic_cast<TExtIcon*>(TControl::FromHandle(h));
            if (dialog && dialog->IsModal()) {
                reinterpret_cast<Find*>(lp)->Dialog = dialog;
                return FALSE;
            }
            return TRUE;
        }
    } find;
    EnumThreadWindows(GetCurrentThreadId(), Find::Visit, reinterpret_cast<LPARAM>(&find));
    if (!find.Dialog) return;
    TExtIconAnswer& a = ExtIconAnswer();
    TExtIcon& d = *find.Dialog;
    ++a.Shown;
    a.Count = d.Panel1->Caption();
    a.Work = d.Work();
    a.Max = d.ValueBox1->Max();
    d.ValueBox1->SetValue(d.ValueBox1->Max() + 1);  // refused: the number stays
    a.ValueBeyond = d.ValueBox1->Value();
    if (a.Pick >= 0) d.ValueBox1->SetValue(a.Pick);
    SendMessageW((a.Pick >= 0 ? d.Button1 : d.Button2)->Handle(), BM_CLICK, 0, 0);
}

// From now on every icon picker shown is answered with pick (-1 = cancel).
inline void AnswerExtIcon(int pick) {
    TExtIconAnswer& a = ExtIconAnswer();
    if (a.Timer) KillTimer(nullptr, a.Timer);
    a = TExtIconAnswer{};
    a.Pick = pick;
    a.Timer = SetTimer(nullptr, 0, 20, AnswerExtIconTick);
}

inline void StopAnsweringExtIcon() {
    TExtIconAnswer& a = ExtIconAnswer();
    if (a.Timer) KillTimer(nullptr, a.Timer);
    a.Timer = 0;
}
