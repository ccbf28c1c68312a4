#pragma once
// Push buttons, check boxes and speed buttons (flat buttons that can stay down).
#include <memory>
#include <vector>

#include "base/Bitmap.h"
#include "ui/Control.h"

class TButton : public TControl {
public:
    TButton(TControl* parent, const std::string& name, const std::string& caption);
    void SetModalResult(int r) { FModalResult = r; }
    int ModalResult() const { return FModalResult; }
    // The default button is pressed by Enter, the cancel button by Escape, wherever the
    // focus is in the button's form.
    void SetDefault(bool d);
    void SetCancel(bool c);

protected:
    bool HandleCommand(WORD code) override;
    void Click() override;

private:
    int FModalResult = 0;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TControl* parent, const std::string& name, const std::string& caption);
    bool Checked() const;
    // Changing the state runs OnClick, as a click would.
    void SetChecked(bool checked);

protected:
    bool HandleCommand(WORD code) override;
};

class TSpeedButton : public TControl {
public:
    TSpeedButton(TControl* parent, const std::string& name, const std::string& caption);
    bool Down() const { return FDown; }
    void SetDown(bool down);
    // Buttons of one non-zero group of a parent act as radio buttons.
    void SetGroupIndex(int g) { FGroupIndex = g; }
    int GroupIndex() const { return FGroupIndex; }
    void SetAllowAllUp(bool a) { FAllowAllUp = a; }
    void SetFlat(bool f) { FFlat = f; }
    // A picture drawn centred on the button, before its caption.
    void SetGlyph(const TBitmap& glyph);
    const TBitmap& Glyph() const { return FGlyph; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Click() override;

private:
    void Paint(HDC dc);
    bool FDown = false;
    bool FPressed = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    int FGroupIndex = 0;
    TBitmap FGlyph;
};

// A framed group with a caption; controls placed in it are its children.
class TGroupBox : public TControl {
public:
    TGroupBox(TControl* parent, const std::string& name, const std::string& caption);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TRadioButton;

// A group of radio buttons; ItemIndex is the checked one (-1 = none).
class TRadioGroup : public TGroupBox {
public:
    TRadioGroup(TControl* parent, const std::string& name, const std::string& caption,
                const std::vector<std::string>& items);
    int ItemIndex() const;
    void SetItemIndex(int i);
    HWND ItemHandle(int i) const;

private:
    friend class TRadioButton;
    // Only the checked item is a tab stop (the first when none is): Tab enters the group
    // there and the arrows move within it.
    void UpdateTabStop();
    void StepItem(HWND from, int delta);
    std::vector<std::unique_ptr<TControl>> FButtons;
};
