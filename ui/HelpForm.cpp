#include "ui/HelpForm.h"

#include <algorithm>

namespace {
constexpr int kMargin = 6;
constexpr int kTopicsWidth = 150;
} // namespace

THelpForm::THelpForm(const std::string& caption, THelpDocument document, TForm* owner)
    : TForm("HelpForm", caption, 600, 440, TFormBorder::bsSizeable, owner), FDocument(std::move(document)) {
    HelpTopics = std::make_unique<TListBox>(this, "HelpTopics");
    for (const THelpTopic& topic : FDocument.Topics()) HelpTopics->Add(topic.Title);
    HelpTopics->OnClick = [this](TControl*) { ShowTopic(HelpTopics->ItemIndex()); };
    HelpText = std::make_unique<TMemo>(this, "HelpText");
    HelpText->SetReadOnly(true);
    Arrange();
    ShowTopic(0);
}

bool THelpForm::ShowContext(int context) {
    const int index = FDocument.IndexOf(context);
    ShowTopic(index < 0 ? 0 : index);
    return index >= 0;
}

void THelpForm::ShowTopic(int index) {
    if (index < 0 || index >= static_cast<int>(FDocument.Topics().size())) return;
    const THelpTopic& topic = FDocument.Topics()[static_cast<std::size_t>(index)];
    if (HelpTopics->ItemIndex() != index) HelpTopics->SetItemIndex(index);
    std::vector<std::string> lines{"【" + topic.Title + "】", ""};
    lines.insert(lines.end(), topic.Lines.begin(), topic.Lines.end());
    HelpText->SetLines(lines);
}

void THelpForm::Arrange() {
    const int w = ClientWidth(), h = ClientHeight();
    const int inner = std::max(0, h - 2 * kMargin);
    HelpTopics->SetBounds(kMargin, kMargin, kTopicsWidth, inner);
    const int textLeft = 2 * kMargin + kTopicsWidth;
    HelpText->SetBounds(textLeft, kMargin, std::max(0, w - textLeft - kMargin), inner);
}

LRESULT THelpForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        if (HelpText) Arrange();
        break;
    case WM_CTLCOLORSTATIC:
        // The text reads on the window colour, though the user cannot change it.
        if (HelpText && reinterpret_cast<HWND>(lp) == HelpText->Handle()) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    default: break;
    }
    return TForm::WndProc(msg, wp, lp);
}
