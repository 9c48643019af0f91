#pragma once
// CButtonSTEx2: the button every dialog uses, for push buttons and for display elements made of buttons
// (value fields, lamps, the separator, icons). Its look comes from the skin engine, which its owner asks
// with ApplySkin; the class itself adds no drawing and no handling, so clicks reach the owner as BN_CLICKED.
#include "ui/controls.h"

class CButtonSTEx2 : public CButton {
public:
    ~CButtonSTEx2() override = default;
};
