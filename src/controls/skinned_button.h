#pragma once
// CButtonSTEx2: the button every dialog uses, for push buttons and for display elements made of buttons
// (value fields, lamps, the separator, icons). Its look comes from the skin engine, which its owner asks
// with ApplySkin; clicks reach the owner as BN_CLICKED like any push button's.
#include "ui/controls.h"

class CButtonSTEx2 : public CButton {
  public:
    ~CButtonSTEx2() override = default;

    bool DrawsOnlyWhenPainting(UINT msg) const override { return msg == WM_SETTEXT || msg == WM_ENABLE; }

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    // A new caption or enabled state is drawn with the next paint cycle instead of at once, so that a
    // console record that changes many controls returns to the console without drawing time.
    LRESULT OnSetText(WPARAM wp, LPARAM lp);
    LRESULT OnEnable(WPARAM wp, LPARAM lp);
};
