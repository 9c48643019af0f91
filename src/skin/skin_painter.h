#pragma once
// Paints one window in a skin look: push buttons, check boxes and radio buttons, group boxes and text
// statics, each from its own state (pressed, focused, checked, enabled), text, style and font. Keeps no state
// of its own (drawn faces may go into a cache the caller owns); every call draws the whole client area,
// double-buffered, or only the frame of a group box.
#include <windows.h>

#include <optional>

#include "skin/skin_file.h"
#include "skin/skin_raster.h"

enum class CSkinKind {
    kPushButton,  // push buttons, and check boxes and radio buttons with BS_PUSHLIKE
    kCheckBox,
    kRadioButton,
    kGroupBox,
    kText,   // statics that show text, and rectangles and frames
    kPlain,  // everything the engine leaves to the window itself: owner-drawn, images, other classes
};

// What kind of skinned drawing a window takes, from its class and current style.
CSkinKind ClassifySkinTarget(HWND hwnd);

// Draws hwnd's client area into hdc in look, as a window of the given kind (by default, of the kind its class
// and style make it). Nothing happens for kPlain windows or an empty client area. Faces come from cache when
// it holds them (and go into it), or are drawn afresh when cache is null.
void PaintSkinned(HWND hwnd, HDC hdc, const CSkinLook& look, CSkinFaceCache* cache = nullptr,
                  std::optional<CSkinKind> kind = std::nullopt);
