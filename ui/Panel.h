#pragma once
// TPanel: a framed area with a colour and an optional caption; also the plain container
// of other controls. TLabel: text drawn on the parent's colour.
#include "ui/Canvas.h"
#include "ui/Control.h"

enum class TBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TControl {
public:
    TPanel(TControl* parent, const std::string& name, const std::string& caption = "");
    void SetBevelOuter(TBevel b);
    void SetBevelInner(TBevel b);
    void SetBorderSingle(bool single);
    void SetAlignment(TAlignment a);
    TAlignment Alignment() const { return FAlignment; }

    // Custom drawing over the panel's background (the caption is drawn after it).
    std::function<void(TControl* sender, TCanvas& canvas, const RECT& client)> OnPaint;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    virtual void Paint(TCanvas& canvas, RECT client);
    TBevel FBevelOuter = TBevel::bvRaised;
    TBevel FBevelInner = TBevel::bvNone;
    bool FBorderSingle = false;
    TAlignment FAlignment = TAlignment::taCenter;
};

class TLabel : public TControl {
public:
    TLabel(TControl* parent, const std::string& name, const std::string& caption, int left, int top);
    void SetCaption(const std::string& text) override;
    void SetAutoSize(bool a) { FAutoSize = a; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FitText();
    bool FAutoSize = true;
};
