#pragma once
// THelpForm: the program's help window, modeless: the topics of a help document listed on
// the left, the chosen topic's text on the right, read-only. The text wraps with the window.
#include <memory>
#include <string>

#include "base/HelpDocument.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/ListBox.h"

class THelpForm : public TForm {
public:
    // owner: the window the help stays above (nullptr: none).
    THelpForm(const std::string& caption, THelpDocument document, TForm* owner);

    // Shows the topic of a context; the first topic when no topic has it (then false).
    bool ShowContext(int context);
    void ShowTopic(int index);
    int CurrentTopic() const { return HelpTopics->ItemIndex(); }

    std::unique_ptr<TListBox> HelpTopics;
    std::unique_ptr<TMemo> HelpText;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Arrange();
    THelpDocument FDocument;
};
