#include "app/DropPanel.h"

#include <shellapi.h>

#include <exception>

#include "base/ScopeGuard.h"
#include "ui/Application.h"
#include "base/SystemLibrary_win.h"

TDropPanel::TDropPanel(TControl* parent, const std::string& name) : TPanel(parent, name) {}

void TDropPanel::SetDragDropAccept(bool accept) {
    AcceptDroppedFiles(FHandle, accept);
    FDragDropAccept = accept;
}

std::vector<std::string> TDropPanel::DroppedNames(HDROP drop) {
    std::vector<std::string> names;
    auto* const query = Shell32().DragQueryFile.Required();
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first, so that no name is cut.
        const UINT length = query(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        const UINT got = query(drop, i, name.data(), length + 1);
        name.resize(got);
        names.push_back(U(name));
    }
    return names;
}

void TDropPanel::DeliverDrop(HDROP drop,
                             const std::function<void(int iFiles, const std::vector<std::string>& names)>& report) {
    try {
        std::vector<std::string> names;
        {
            TScopeExit finish([drop] {
                if (Shell32().DragFinish) Shell32().DragFinish(drop);
            });
            names = DroppedNames(drop);
        }
        if (report) report(static_cast<int>(names.size()), names);
    } catch (const std::exception& e) {
        TApplication::Instance().HandleException(e);
    }
}

void TDropPanel::mDropFiles(HDROP drop) {
    DeliverDrop(drop, [this](int n, const std::vector<std::string>& names) {
        if (OnDropFiles) OnDropFiles(this, n, names);
    });
}

LRESULT TDropPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DROPFILES) {
        mDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    return TPanel::WndProc(msg, wp, lp);
}
