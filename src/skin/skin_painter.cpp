#include "skin/skin_painter.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "skin/skin_raster.h"
#include "ui/gdi.h"

namespace {

COLORREF ToColorRef(CSkinColor c) {
    return RGB(c.r, c.g, c.b);
}

CSkinColor FromColorRef(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[32];
    return ::GetClassNameW(hwnd, cls, 32) && ::lstrcmpiW(cls, name) == 0;
}

std::wstring WindowText(HWND hwnd) {
    int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
    n = ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

// The colour the window sits on: the parent's answer to the control-colour message, read back from its brush.
// Corners, transparent faces and a group box's caption band show it.
CSkinColor Background(HWND hwnd, HDC hdc, bool bStaticLike) {
    HWND parent = ::GetParent(hwnd);
    HBRUSH brush = nullptr;
    if (parent) {
        brush = reinterpret_cast<HBRUSH>(
            ::SendMessageW(parent, bStaticLike ? WM_CTLCOLORSTATIC : WM_CTLCOLORBTN,
                           reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
    }
    LOGBRUSH lb{};
    if (brush && ::GetObjectW(brush, sizeof(lb), &lb) == sizeof(lb) && lb.lbStyle == BS_SOLID)
        return FromColorRef(lb.lbColor);
    return FromColorRef(::GetSysColor(COLOR_BTNFACE));
}

// The window's own font, else its parent's, else the GUI font; never owned here.
HFONT FontOf(HWND hwnd) {
    if (auto font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)))
        return font;
    if (HWND parent = ::GetParent(hwnd)) {
        if (auto font = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)))
            return font;
    }
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

CSkinAlign StyleAlign(CSkinKind kind, LONG style) {
    if (kind == CSkinKind::kText) {
        switch (style & SS_TYPEMASK) {
            case SS_CENTER:
                return CSkinAlign::kCenter;
            case SS_RIGHT:
                return CSkinAlign::kRight;
            default:
                return CSkinAlign::kLeft;
        }
    }
    switch (style & BS_CENTER) {
        case BS_LEFT:
            return CSkinAlign::kLeft;
        case BS_RIGHT:
            return CSkinAlign::kRight;
        case BS_CENTER:
            return CSkinAlign::kCenter;
        default:  // push buttons centre their caption by default, the others put it at the left
            return kind == CSkinKind::kPushButton ? CSkinAlign::kCenter : CSkinAlign::kLeft;
    }
}

UINT AlignFlags(CSkinAlign align) {
    switch (align) {
        case CSkinAlign::kLeft:
            return DT_LEFT;
        case CSkinAlign::kRight:
            return DT_RIGHT;
        case CSkinAlign::kCenter:
            break;
    }
    return DT_CENTER;
}

CSkinState StateOf(HWND hwnd, CSkinKind kind, LRESULT buttonState) {
    if (!::IsWindowEnabled(hwnd))
        return CSkinState::kDisabled;
    if (kind == CSkinKind::kPushButton) {
        // A push-like check box or radio button shows its checked state as pressed.
        if (buttonState & (BST_PUSHED | BST_CHECKED))
            return CSkinState::kPressed;
    } else if (kind == CSkinKind::kCheckBox || kind == CSkinKind::kRadioButton) {
        if (buttonState & BST_PUSHED)
            return CSkinState::kPressed;
    }
    if (kind != CSkinKind::kText && kind != CSkinKind::kGroupBox && (buttonState & BST_FOCUS))
        return CSkinState::kFocused;
    return CSkinState::kNormal;
}

// Draws text into rect: one line, vertically centred, unless the window asks for several lines.
void DrawCaption(HDC dc, const std::wstring& text, const CSkinRect& r, CSkinAlign align, bool bMultiline,
                 bool bNoPrefix, COLORREF color) {
    if (text.empty() || r.Empty())
        return;
    RECT rc{r.x, r.y, r.x + r.w, r.y + r.h};
    UINT flags = AlignFlags(align) | (bNoPrefix ? DT_NOPREFIX : 0);
    ::SetTextColor(dc, color);
    if (!bMultiline) {
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
                    flags | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        return;
    }
    RECT measure = rc;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
                flags | DT_WORDBREAK | DT_CALCRECT);
    int height = measure.bottom - measure.top;
    if (height < r.h)
        rc.top += (r.h - height) / 2;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_WORDBREAK);
}

// A memory bitmap the canvas is copied into, selected into a memory DC for the caption to be drawn on.
class CBackBuffer {
  public:
    CBackBuffer(HDC reference, const CSkinCanvas& canvas) : m_dc(CreateCompatibleMemDC(reference)) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = canvas.Width();
        bi.bmiHeader.biHeight = -canvas.Height();  // top-down, as the canvas
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CBitmap(::CreateDIBSection(reference, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!m_dc || !m_bitmap || !bits)
            return;
        std::copy_n(canvas.Pixels(),
                    static_cast<size_t>(canvas.Width()) * static_cast<size_t>(canvas.Height()),
                    static_cast<uint32_t*>(bits));
        m_pSelect.emplace(m_dc.Get(), m_bitmap.Get());
    }
    bool Ready() const { return m_pSelect.has_value(); }
    HDC Get() const { return m_dc.Get(); }

  private:
    CMemDC m_dc;
    CBitmap m_bitmap;
    std::optional<CSelectObject> m_pSelect;  // released before the bitmap and the DC
};

struct CTarget {
    HWND hwnd;
    CSkinKind kind;
    LONG style;
    CSkinRect client;
    std::wstring text;
};

// The face `draw` paints: from the cache when there is one, else drawn into `own` for this paint only.
const CSkinCanvas& DrawnFace(CSkinFaceCache* cache, const CSkinFaceKey& key, const CSkinRect& client,
                             CSkinColor behind, const std::function<void(CSkinCanvas&)>& draw,
                             std::optional<CSkinCanvas>& own) {
    if (cache)
        return cache->Get(key, draw);
    own.emplace(client.w, client.h, behind);
    draw(*own);
    return *own;
}

void PaintFaceAndCaption(const CTarget& t, HDC hdc, const CSkinLook& look, LRESULT buttonState,
                         CSkinFaceCache* cache) {
    const CSkinPlain plain{FromColorRef(::GetSysColor(COLOR_BTNFACE)),
                           FromColorRef(::GetSysColor(COLOR_BTNTEXT)),
                           FromColorRef(::GetSysColor(COLOR_BTNSHADOW))};
    const bool bStaticLike = t.kind != CSkinKind::kPushButton;
    const CSkinColor behind = Background(t.hwnd, hdc, bStaticLike);
    const CSkinState state = StateOf(t.hwnd, t.kind, buttonState);
    const CSkinResolved paint = ResolveSkinPaint(look, state, plain, behind);
    const CSkinAlign align = paint.align.value_or(StyleAlign(t.kind, t.style));

    HFONT font = FontOf(t.hwnd);
    int nTextHeight = 0;
    {
        CSelectObject measureFont(hdc, font);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(hdc, &tm);
        nTextHeight = tm.tmHeight;
    }
    const bool bCheck = t.kind == CSkinKind::kCheckBox || t.kind == CSkinKind::kRadioButton;
    const bool bTextLeft = (t.style & BS_LEFTTEXT) != 0;
    const LRESULT check = bCheck ? buttonState & (BST_CHECKED | BST_INDETERMINATE) : 0;
    CSkinFaceKey key{&look,
                     static_cast<int>(state),
                     static_cast<int>(t.kind),
                     t.client.w,
                     t.client.h,
                     behind,
                     bCheck ? nTextHeight : 0,
                     static_cast<int>(check) | (bTextLeft ? 0x100 : 0)};
    auto draw = [&](CSkinCanvas& canvas) {
        if (bCheck) {
            // The box takes the face, the border and the radius (a radio button's box is round); the caption
            // stands on the background beside it.
            const CSkinCheckLayout layout = SkinCheckLayout(t.client, nTextHeight, bTextLeft);
            CSkinResolved box = paint;
            if (t.kind == CSkinKind::kRadioButton)
                box.radius = layout.box.w;
            PaintSkinFace(canvas, layout.box, box);
            if (check) {
                CSkinMark mark = t.kind == CSkinKind::kRadioButton ? CSkinMark::kDot
                                 : (check & BST_INDETERMINATE)     ? CSkinMark::kBar
                                                                   : CSkinMark::kTick;
                PaintSkinMark(canvas, layout.box, mark, paint.text);
            }
        } else {
            PaintSkinFace(canvas, t.client, paint);
            PaintSkinGlyph(canvas, SkinGlyphRect(t.client, paint), paint.glyph, paint.glyphColor, paint.text);
        }
    };
    const CSkinRect textRect = bCheck ? SkinCheckLayout(t.client, nTextHeight, bTextLeft).text
                                      : SkinCaptionRect(t.client, paint, align);
    std::optional<CSkinCanvas> own;
    const CSkinCanvas* canvas = &DrawnFace(cache, key, t.client, behind, draw, own);

    CBackBuffer buffer(hdc, *canvas);
    if (!buffer.Ready())
        return;
    {
        CSelectObject selectFont(buffer.Get(), font);
        ::SetBkMode(buffer.Get(), TRANSPARENT);
        bool bMultiline = false;
        bool bNoPrefix = false;
        if (t.kind == CSkinKind::kText) {
            const LONG type = t.style & SS_TYPEMASK;
            bMultiline =
                (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(t.style & SS_CENTERIMAGE);
            bNoPrefix = (t.style & SS_NOPREFIX) != 0;
        } else {
            bMultiline = (t.style & BS_MULTILINE) != 0;
        }
        DrawCaption(buffer.Get(), t.text, textRect, align, bMultiline, bNoPrefix, ToColorRef(paint.text));
    }
    ::BitBlt(hdc, t.client.x, t.client.y, t.client.w, t.client.h, buffer.Get(), 0, 0, SRCCOPY);
}

// A group box draws only its frame and caption: the inside belongs to the controls it groups, so the four
// bands of the frame are copied and the middle is left alone.
void PaintGroupBox(const CTarget& t, HDC hdc, const CSkinLook& look, CSkinFaceCache* cache) {
    const CSkinPlain plain{FromColorRef(::GetSysColor(COLOR_BTNFACE)),
                           FromColorRef(::GetSysColor(COLOR_BTNTEXT)),
                           FromColorRef(::GetSysColor(COLOR_BTNSHADOW))};
    const CSkinColor behind = Background(t.hwnd, hdc, true);
    const CSkinState state = ::IsWindowEnabled(t.hwnd) ? CSkinState::kNormal : CSkinState::kDisabled;
    CSkinResolved paint = ResolveSkinPaint(look, state, plain, behind);
    const CSkinAlign align = paint.align.value_or(StyleAlign(t.kind, t.style));

    HFONT font = FontOf(t.hwnd);
    SIZE extent{};
    int nTextHeight = 0;
    {
        CSelectObject measureFont(hdc, font);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(hdc, &tm);
        nTextHeight = tm.tmHeight;
        if (!t.text.empty())
            ::GetTextExtentPoint32W(hdc, t.text.c_str(), static_cast<int>(t.text.size()), &extent);
    }
    const CSkinGroupLayout layout = SkinGroupLayout(t.client, extent.cx, nTextHeight, paint, align);
    // The face of a group box is its caption band's fill; the frame itself is an outline.
    const std::optional<CSkinColor> captionFill = paint.faceTop;
    paint.faceTop.reset();
    if (!paint.border)
        paint.border = plain.border;

    auto draw = [&](CSkinCanvas& canvas) {
        PaintSkinFace(canvas, layout.frame, paint);
        if (!layout.caption.Empty()) {
            CSkinResolved band;
            band.faceTop = captionFill.value_or(behind);
            band.faceBottom = band.faceTop;
            band.border.reset();
            PaintSkinFace(canvas, layout.caption, band);
        }
    };
    const CSkinFaceKey key{&look,
                           static_cast<int>(state),
                           static_cast<int>(t.kind),
                           t.client.w,
                           t.client.h,
                           behind,
                           nTextHeight,
                           extent.cx};
    std::optional<CSkinCanvas> own;
    const CSkinCanvas* canvas = &DrawnFace(cache, key, t.client, behind, draw, own);
    CBackBuffer buffer(hdc, *canvas);
    if (!buffer.Ready())
        return;
    {
        CSelectObject selectFont(buffer.Get(), font);
        ::SetBkMode(buffer.Get(), TRANSPARENT);
        ::SetTextColor(buffer.Get(), ToColorRef(paint.text));
        RECT rc{layout.caption.x, layout.caption.y, layout.caption.x + layout.caption.w,
                layout.caption.y + layout.caption.h};
        if (!t.text.empty()) {
            ::DrawTextW(buffer.Get(), t.text.c_str(), static_cast<int>(t.text.size()), &rc,
                        DT_SINGLELINE | DT_END_ELLIPSIS);  // left and top aligned: the defaults
        }
    }
    const int band = std::max({paint.radius, paint.borderWidth, 1}) + 1;
    const int top = std::max(layout.frame.y + band, layout.caption.y + layout.caption.h);
    const int bottom = layout.frame.y + layout.frame.h - band;
    const RECT bands[] = {
        {0, 0, t.client.w, top},
        {0, bottom, t.client.w, t.client.h},
        {0, top, band, bottom},
        {t.client.w - band, top, t.client.w, bottom},
    };
    for (const RECT& r : bands) {
        if (r.right > r.left && r.bottom > r.top)
            ::BitBlt(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer.Get(), r.left, r.top,
                     SRCCOPY);
    }
}

}  // namespace

CSkinKind ClassifySkinTarget(HWND hwnd) {
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    if (IsClass(hwnd, WC_BUTTONW)) {
        if (style & (BS_BITMAP | BS_ICON))
            return CSkinKind::kPlain;
        switch (style & BS_TYPEMASK) {
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON:
            case BS_USERBUTTON:
                return CSkinKind::kPushButton;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
                return (style & BS_PUSHLIKE) ? CSkinKind::kPushButton : CSkinKind::kCheckBox;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                return (style & BS_PUSHLIKE) ? CSkinKind::kPushButton : CSkinKind::kRadioButton;
            case BS_GROUPBOX:
                return CSkinKind::kGroupBox;
            default:  // owner-drawn and the newer split and command-link types draw themselves
                return CSkinKind::kPlain;
        }
    }
    if (IsClass(hwnd, WC_STATICW)) {
        switch (style & SS_TYPEMASK) {
            case SS_ICON:
            case SS_BITMAP:
            case SS_ENHMETAFILE:
            case SS_OWNERDRAW:
                return CSkinKind::kPlain;
            default:
                return CSkinKind::kText;
        }
    }
    return CSkinKind::kPlain;
}

void PaintSkinned(HWND hwnd, HDC hdc, const CSkinLook& look, CSkinFaceCache* cache,
                  std::optional<CSkinKind> kind) {
    CTarget t{hwnd,
              kind.value_or(ClassifySkinTarget(hwnd)),
              ::GetWindowLongW(hwnd, GWL_STYLE),
              {},
              WindowText(hwnd)};
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    t.client = {0, 0, rc.right - rc.left, rc.bottom - rc.top};
    if (t.kind == CSkinKind::kPlain || t.client.Empty())
        return;
    if (t.kind == CSkinKind::kGroupBox) {
        PaintGroupBox(t, hdc, look, cache);
        return;
    }
    const LRESULT buttonState = t.kind == CSkinKind::kText ? 0 : ::SendMessageW(hwnd, BM_GETSTATE, 0, 0);
    PaintFaceAndCaption(t, hdc, look, buttonState, cache);
}
