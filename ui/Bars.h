#pragma once
// Scroll bars, track bars and a free-standing up/down pair. Position changes made by
// the user and by the program both run OnChange (OnClick for the up/down pair).
#include "ui/Control.h"

class TScrollBar : public TControl {
public:
    TScrollBar(TControl* parent, const std::string& name, int min, int max, int position);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    void SetMax(int max);
    void SetPosition(int position);
    TNotifyEvent OnChange;

protected:
    bool HandleScroll(WORD code) override;

private:
    int FMin, FMax, FPosition;
};

class TTrackBar : public TControl {
public:
    TTrackBar(TControl* parent, const std::string& name, int min, int max, int position);
    int Position() const;
    void SetPosition(int position);
    TNotifyEvent OnChange;

protected:
    bool HandleScroll(WORD code) override;
};

class TUpDown : public TControl {
public:
    TUpDown(TControl* parent, const std::string& name, int min, int max, bool wrap);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    void SetMax(int max);
    // Sets the position without running OnClick.
    void SetPosition(int position);
    // One click up (+1) or down (-1), wrapping or stopping at the ends, then OnClick.
    void Step(int delta);
    TNotifyEvent OnClick;

protected:
    bool HandleNotify(NMHDR& nm, LRESULT& result) override;

private:
    int FMin, FMax, FPosition = 0;
    bool FWrap;
};
