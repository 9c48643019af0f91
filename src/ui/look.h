#pragma once
// ILook: the program-wide looks and texts every window takes, so that the windows under the panel need
// nothing above the framework: the two shared fonts, the font face and size of the settings, the text of
// an id, a named look of the skin engine, and the corner where the panel and the review sit. The
// application provides it for the whole run; Look() is the one in use.
#include <windows.h>

#include <string>

// The panel's size on screen, in pixels; the review takes exactly its place.
inline constexpr int kPanelWidth = 1024;
inline constexpr int kPanelHeight = 768;

class ILook {
  public:
    virtual ~ILook() = default;
    virtual HFONT NormalFont() const = 0;
    virtual HFONT LargeFont() const = 0;
    virtual const wchar_t* FontFace() const = 0;
    virtual int FontSize() const = 0;
    // The text of `id` (a localised text or the built-in string).
    virtual std::wstring Text(UINT id) const = 0;
    // Gives a window a named look of the skin engine; nothing when no engine is active.
    virtual void Skin(HWND hwnd, const wchar_t* element) const = 0;
    // True when the skin engine will give `element` its look (a window need not draw it itself).
    virtual bool SkinDraws(const wchar_t* element) const = 0;
    // The screen corner of the panel (and of the review in its place).
    virtual POINT PanelCorner() const = 0;
};

// The look in use: the one set last, or plain defaults (the system's fonts, Arial 20, the built-in
// strings, no skin) when none is set.
const ILook& Look();
// Sets the look in use (null: the defaults). The object must outlive its use.
void SetLook(const ILook* look);
