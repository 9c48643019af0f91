// The built-in engine drawing real controls under Wine: buttons, check boxes, statics and group boxes in
// their element's look and state, dialogs and trees in the skin's sections, read back pixel by pixel from
// WM_PRINTCLIENT and from the screen; and the engine leaving windows exactly as it found them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "skin/builtin_skin.h"
#include "skin/skin_raster.h"
#include "ui/handle.h"

namespace {

// A skin file in the temporary folder, removed at the end.
class CSkinFileOnDisk {
  public:
    explicit CSkinFileOnDisk(const std::string& bytes) {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        m_strPath = std::wstring(dir) + L"sidecar_paint_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                    std::to_wstring(++s_nCounter) + L".skf";
        HANDLE h = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        ::CloseHandle(h);
    }
    ~CSkinFileOnDisk() { ::DeleteFileW(m_strPath.c_str()); }
    CSkinFileOnDisk(const CSkinFileOnDisk&) = delete;
    CSkinFileOnDisk& operator=(const CSkinFileOnDisk&) = delete;
    const std::wstring& Path() const { return m_strPath; }

  private:
    static inline int s_nCounter = 0;
    std::wstring m_strPath;
};

constexpr COLORREF kDialogFace = RGB(0x20, 0x28, 0x30);
constexpr COLORREF kDialogText = RGB(0xD0, 0xE0, 0xF0);
constexpr COLORREF kFrame = RGB(0x60, 0x70, 0x80);
constexpr COLORREF kFace = RGB(0x30, 0x60, 0xA0);
constexpr COLORREF kEdge = RGB(0x10, 0x20, 0x40);
constexpr COLORREF kInk = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kPressed = RGB(0xA0, 0x30, 0x30);
constexpr COLORREF kFocusEdge = RGB(0x00, 0xFF, 0x00);
constexpr COLORREF kDisabledFace = RGB(0x40, 0x40, 0x40);
constexpr COLORREF kDisabledInk = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kOther = RGB(0x00, 0x80, 0x40);
constexpr COLORREF kTreeFace = RGB(0x11, 0x17, 0x1D);
constexpr COLORREF kTreeInk = RGB(0xE6, 0xEC, 0xF2);
constexpr COLORREF kGlyph = RGB(0xF2, 0xB1, 0x34);
constexpr COLORREF kSelected = RGB(0x24, 0x76, 0xBE);
constexpr COLORREF kSentinel = RGB(0xFF, 0x00, 0xFF);

const std::string kSkin =
    "SidecarSkin 1\n"
    "[dialog]\n"
    "face = #202830\n"
    "text = #D0E0F0\n"
    "border = #607080\n"
    "radius = 0\n"
    "[tree]\n"
    "face = #11171D\n"
    "text = #E6ECF2\n"
    "border = #607080\n"
    "pressed.face = #2476BE\n"
    "pressed.text = #FFFFFF\n"
    "[btn]\n"
    "face = #3060A0\n"
    "border = #102040\n"
    "border_width = 2\n"
    "text = #FFFFFF\n"
    "radius = 0\n"
    "pressed.face = #A03030\n"
    "focused.border = #00FF00\n"
    "disabled.face = #404040\n"
    "disabled.text = #808080\n"
    "[other]\n"
    "base = btn\n"
    "face = #008040\n"
    "[left]\n"
    "base = btn\n"
    "align = left\n"
    "[right]\n"
    "base = btn\n"
    "align = right\n"
    "[round]\n"
    "base = btn\n"
    "radius = 16\n"
    "border = none\n"
    "[clear]\n"
    "face = none\n"
    "border = none\n"
    "text = #FFFFFF\n"
    "[icon]\n"
    "face = none\n"
    "border = none\n"
    "glyph = warning\n"
    "glyph_color = #F2B134\n"
    "text = #202830\n";

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Counts the dialog's BN_CLICKED notifications from control 100.
int g_nClicks = 0;
INT_PTR CALLBACK CountingDialogProc(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wp) == 100 && HIWORD(wp) == BN_CLICKED)
        ++g_nClicks;
    return FALSE;
}

// A dialog made from an in-memory template: no controls, the given style.
HWND CreateTestDialog(DWORD style, HWND parent = nullptr) {
    struct {
        DLGTEMPLATE head;
        WORD menu, cls, title;
    } tpl{};
    tpl.head.style = style;
    tpl.head.cx = 300;
    tpl.head.cy = 200;
    return ::CreateDialogIndirectParamW(nullptr, &tpl.head, parent, QuietDialogProc, 0);
}

// Pixels of a window's client area as the window draws them: through WM_PRINTCLIENT into a memory DC first
// filled with kSentinel, so untouched pixels stay recognisable.
class CPixels {
  public:
    int w = 0;
    int h = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    int Count(COLORREF c, RECT area) const {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x)
                n += At(x, y) == c;
        }
        return n;
    }
    int Count(COLORREF c) const { return Count(c, {0, 0, w, h}); }
    // Mean x of the pixels in colour c; -1 when there are none.
    double MeanX(COLORREF c) const {
        double sum = 0;
        int n = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (At(x, y) == c) {
                    sum += x;
                    ++n;
                }
            }
        }
        return n ? sum / n : -1;
    }
    // Rows holding colour c, from the first to the last.
    int Rows(COLORREF c) const {
        int first = -1;
        int last = -1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (At(x, y) == c) {
                    if (first < 0)
                        first = y;
                    last = y;
                    break;
                }
            }
        }
        return first < 0 ? 0 : last - first + 1;
    }
    bool operator==(const CPixels&) const = default;
};

// Copies the DIB's pixels (0x00RRGGBB) out as COLORREFs.
void ReadDib(const void* bits, CPixels& out) {
    auto p = static_cast<const uint32_t*>(bits);
    out.px.resize(static_cast<size_t>(out.w) * out.h);
    for (size_t i = 0; i < out.px.size(); ++i)
        out.px[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
}

// Runs draw(dc) on a memory DC holding a top-down 32-bit DIB of w x h pixels filled with kSentinel.
template <typename Draw>
CPixels Capture(int w, int h, Draw draw) {
    CPixels out;
    out.w = w;
    out.h = h;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    HBRUSH fill = ::CreateSolidBrush(kSentinel);
    RECT all{0, 0, w, h};
    ::FillRect(dc, &all, fill);
    ::DeleteObject(fill);
    draw(dc);
    ::GdiFlush();
    ReadDib(bits, out);
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    return out;
}

CPixels Print(HWND hwnd) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    return Capture(rc.right, rc.bottom, [&](HDC dc) {
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// What is on screen in the window's client area, without letting any pending WM_PAINT run first.
CPixels Screen(HWND hwnd) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    return Capture(rc.right, rc.bottom, [&](HDC dc) {
        HDC wdc = ::GetDC(hwnd);
        ::BitBlt(dc, 0, 0, rc.right, rc.bottom, wdc, 0, 0, SRCCOPY);
        ::ReleaseDC(hwnd, wdc);
    });
}

// The whole window, frame included, as it is on screen.
CPixels ScreenWithFrame(HWND hwnd) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    return Capture(w, h, [&](HDC dc) {
        HDC wdc = ::GetWindowDC(hwnd);
        ::BitBlt(dc, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
        ::ReleaseDC(hwnd, wdc);
    });
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A font of the given pixel height, for the window that is given it.
CFont MakeFont(int height) {
    return CFont(::CreateFontW(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                               0, L"Arial"));
}

// The fixture: a skinned engine, a visible test dialog at the screen's corner, and controls made on demand.
class SkinPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_skin.Load(m_file.Path()));
        m_hDialog = CreateTestDialog(WS_POPUP | WS_VISIBLE);
        ASSERT_TRUE(m_hDialog);
        ::SetWindowPos(m_hDialog, HWND_TOP, 0, 0, 420, 320, SWP_SHOWWINDOW);
        Pump();
    }
    void TearDown() override {
        if (::IsWindow(m_hDialog))
            ::DestroyWindow(m_hDialog);
    }

    HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
              int id = 100) {
        HWND hwnd = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hDialog,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
        return hwnd;
    }
    HWND Button(const wchar_t* text, int x = 10, int y = 10, int w = 120, int h = 40, DWORD style = 0) {
        return Make(WC_BUTTONW, text, BS_PUSHBUTTON | WS_TABSTOP | style, x, y, w, h);
    }

    CSkinFileOnDisk m_file{kSkin};
    CBuiltinSkin m_skin;
    HWND m_hDialog = nullptr;
    CFont m_font = MakeFont(16);
};

}  // namespace

TEST_F(SkinPaint, ButtonDrawsFaceOutlineAndCaptionOfItsElement) {
    HWND empty = Button(L"");
    HWND titled = Button(L"WWW", 10, 60);
    m_skin.Apply(empty, L"btn");
    m_skin.Apply(titled, L"BTN");  // names ignore case, as atoms do

    CPixels p = Print(empty);
    ASSERT_EQ(p.w, 120);
    EXPECT_EQ(p.Count(kSentinel), 0) << "the whole client area is painted";
    EXPECT_EQ(p.At(0, 20), kEdge);
    EXPECT_EQ(p.At(1, 20), kEdge);
    EXPECT_EQ(p.At(2, 20), kFace);
    EXPECT_EQ(p.At(60, 39), kEdge);
    EXPECT_EQ(p.Count(kFace), (120 - 4) * (40 - 4));
    EXPECT_EQ(p.Count(kInk), 0);

    CPixels t = Print(titled);
    EXPECT_GT(t.Count(kInk), 30) << "the caption in the text colour";
    EXPECT_NEAR(t.MeanX(kInk), 60, 6) << "centred";
}

TEST_F(SkinPaint, PressedFocusedAndDisabledStatesTakeTheirLooks) {
    HWND hwnd = Button(L"M");
    HWND other = Button(L"", 10, 60);
    m_skin.Apply(hwnd, L"btn");
    EXPECT_EQ(Print(hwnd).At(60, 5), kFace);

    ::SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
    CPixels pressed = Print(hwnd);
    EXPECT_EQ(pressed.At(60, 5), kPressed);
    EXPECT_EQ(pressed.At(0, 20), kEdge) << "pressed keeps the normal outline";
    ::SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
    EXPECT_EQ(Print(hwnd).At(60, 5), kFace);

    ::SetFocus(hwnd);
    CPixels focused = Print(hwnd);
    EXPECT_EQ(focused.At(0, 20), kFocusEdge);
    EXPECT_EQ(focused.At(60, 5), kFace);
    ::SetFocus(other);
    EXPECT_EQ(Print(hwnd).At(0, 20), kEdge);

    ::EnableWindow(hwnd, FALSE);
    CPixels disabled = Print(hwnd);
    EXPECT_EQ(disabled.At(60, 5), kDisabledFace);
    EXPECT_GT(disabled.Count(kDisabledInk), 10);
    EXPECT_EQ(disabled.Count(kInk), 0);
    ::EnableWindow(hwnd, TRUE);
    EXPECT_EQ(Print(hwnd).At(60, 5), kFace);
}

TEST_F(SkinPaint, CaptionsFollowTheAlignmentAndTheWindowsOwnFont) {
    HWND left = Button(L"ab");
    HWND right = Button(L"ab", 10, 60);
    HWND byStyle = Button(L"ab", 10, 110, 120, 40, BS_RIGHT);
    m_skin.Apply(left, L"left");
    m_skin.Apply(right, L"right");
    m_skin.Apply(byStyle, L"btn");  // no align key: the button's own BS_RIGHT
    EXPECT_LT(Print(left).MeanX(kInk), 40);
    EXPECT_GT(Print(right).MeanX(kInk), 80);
    EXPECT_GT(Print(byStyle).MeanX(kInk), 80);

    HWND small = Button(L"Hg");
    HWND large = Button(L"Hg", 10, 60, 120, 60);
    CFont big = MakeFont(40);
    ::SendMessageW(large, WM_SETFONT, reinterpret_cast<WPARAM>(big.Get()), TRUE);
    m_skin.Apply(small, L"btn");
    m_skin.Apply(large, L"btn");
    int smallRows = Print(small).Rows(kInk);
    int largeRows = Print(large).Rows(kInk);
    EXPECT_GT(smallRows, 8);
    EXPECT_GT(largeRows, smallRows * 2) << smallRows << " rows against " << largeRows;
    ::DestroyWindow(large);  // before its font goes
}

TEST_F(SkinPaint, ANewElementRepaintsAtOnceTheSameOneDoesNot) {
    HWND hwnd = Button(L"");
    m_skin.Apply(hwnd, L"btn");
    ::UpdateWindow(m_hDialog);
    ::UpdateWindow(hwnd);
    RECT update{};
    ASSERT_FALSE(::GetUpdateRect(hwnd, &update, FALSE));

    m_skin.Apply(hwnd, L"btn");
    EXPECT_FALSE(::GetUpdateRect(hwnd, &update, FALSE)) << "re-applying the same look is silent";

    m_skin.Apply(hwnd, L"other");
    EXPECT_TRUE(::GetUpdateRect(hwnd, &update, FALSE));
    EXPECT_EQ(GetSkinElement(hwnd), L"other");
    ::UpdateWindow(hwnd);
    EXPECT_EQ(Screen(hwnd).At(60, 20), kOther);
}

TEST_F(SkinPaint, AnElementWithoutASectionKeepsThePlainLook) {
    HWND plain = Button(L"OK");
    HWND unknown = Button(L"OK", 10, 60);
    m_skin.Apply(unknown, L"no_such_element");
    EXPECT_EQ(GetSkinElement(unknown), L"no_such_element") << "recorded all the same";
    // The dialog follows the skin, so both ask it for the same colours: pixel for pixel the same drawing.
    EXPECT_EQ(Print(unknown), Print(plain));

    m_skin.Apply(unknown, L"btn");
    EXPECT_NE(Print(unknown), Print(plain));
    m_skin.Apply(unknown, L"no_such_element");
    EXPECT_EQ(Print(unknown), Print(plain)) << "back to plain";
}

TEST_F(SkinPaint, TransparentFacesAndRoundCornersShowTheDialogBehind) {
    HWND clear = Button(L"");
    HWND round = Button(L"", 10, 60, 32, 32);
    m_skin.Apply(clear, L"clear");
    m_skin.Apply(round, L"round");
    CPixels c = Print(clear);
    EXPECT_EQ(c.Count(kDialogFace), 120 * 40);

    CPixels r = Print(round);
    EXPECT_EQ(r.At(0, 0), kDialogFace);
    EXPECT_EQ(r.At(31, 31), kDialogFace);
    EXPECT_EQ(r.At(16, 16), kFace);
}

TEST_F(SkinPaint, GlyphElementsDrawTheirIconOnAnEmptyButton) {
    HWND icon = Button(L"", 10, 10, 46, 46);
    m_skin.Apply(icon, L"icon");
    CPixels p = Print(icon);
    EXPECT_GT(p.Count(kGlyph), 300) << "the warning triangle";
    EXPECT_GT(p.Count(kDialogFace), 300) << "on the dialog's surface";
    EXPECT_EQ(p.At(2, 2), kDialogFace);
}

TEST_F(SkinPaint, ButtonsKeepTheirTextAndClicks) {
    HWND hwnd = Button(L"Save");
    m_skin.Apply(hwnd, L"btn");
    ::SetWindowTextW(hwnd, L"Hide Device");
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"Hide Device");

    // Clicks still reach the dialog as BN_CLICKED: through the message and through the mouse.
    g_nClicks = 0;
    ::SetWindowLongPtrW(m_hDialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(CountingDialogProc));
    ::SendMessageW(hwnd, BM_CLICK, 0, 0);
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    Pump();
    EXPECT_EQ(g_nClicks, 2);
    EXPECT_EQ(Print(hwnd).At(60, 5), kFace) << "released again";
}

// Clicks per control id, and whether the clicked button was visible while its click was handled.
std::map<int, int> g_clicksById;
bool g_bHiddenDuringClick = false;
INT_PTR CALLBACK ClickRecordingDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        ++g_clicksById[LOWORD(wp)];
        if (!::IsWindowVisible(::GetDlgItem(dialog, LOWORD(wp))))
            g_bHiddenDuringClick = true;
    }
    return FALSE;
}

TEST_F(SkinPaint, SkinnedPushButtonsStayPushButtonsToTheDialogManagerAndTheMouse) {
    HWND ok = Make(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 120, 40, 100);
    HWND other = Make(WC_BUTTONW, L"Other", BS_PUSHBUTTON | WS_TABSTOP, 10, 60, 120, 40, 101);
    m_skin.Apply(ok, L"btn");
    m_skin.Apply(other, L"btn");
    ::SetWindowLongPtrW(m_hDialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(ClickRecordingDialogProc));
    g_clicksById.clear();
    g_bHiddenDuringClick = false;
    auto code = [](HWND h) { return ::SendMessageW(h, WM_GETDLGCODE, 0, 0); };
    auto enter = [&] {
        MSG key{m_hDialog, WM_KEYDOWN, VK_RETURN, 0};
        key.hwnd = ::GetFocus();
        ::IsDialogMessageW(m_hDialog, &key);
    };

    EXPECT_EQ(code(ok), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(code(other), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    ::SetFocus(ok);
    enter();
    EXPECT_EQ(g_clicksById[100], 1) << "Enter on the focused default button";

    // The dialog manager moves the default button with BM_SETSTYLE; the looks stay the skin's.
    ::SendMessageW(m_hDialog, DM_SETDEFID, 101, 0);
    EXPECT_EQ(code(ok), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(code(other), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    ::UpdateWindow(m_hDialog);
    ::UpdateWindow(ok);
    ::UpdateWindow(other);
    EXPECT_EQ(Screen(ok).At(60, 20), kFace);
    EXPECT_EQ(Screen(other).At(60, 20), kFace);

    // A double click is two clicks, as on a push button; the button stays visible while a click is handled.
    const LPARAM at = MAKELPARAM(20, 20);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::PostMessageW(other, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    Pump();
    EXPECT_EQ(g_clicksById[101], 2);
    EXPECT_FALSE(g_bHiddenDuringClick);
    EXPECT_EQ(Print(other).At(60, 5), kFace) << "released again";

    // Another type given behind the engine's back is that type from then on.
    HWND box = Make(WC_BUTTONW, L"Box", BS_PUSHBUTTON, 150, 10, 120, 40, 102);
    m_skin.Apply(box, L"btn");
    ::SetWindowLongW(box, GWL_STYLE, (::GetWindowLongW(box, GWL_STYLE) & ~BS_TYPEMASK) | BS_AUTOCHECKBOX);
    EXPECT_EQ(code(box), DLGC_BUTTON);

    // Without the skin both are the push buttons the dialog manager left them.
    ASSERT_FALSE(m_skin.Load(L"no such skin file"));
    EXPECT_EQ(::GetWindowLongW(ok, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(::GetWindowLongW(other, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(code(other), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

TEST_F(SkinPaint, CheckBoxesDrawTheirCheckStateAndStillCheck) {
    HWND check = Make(WC_BUTTONW, L"Auto Move", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 160, 30);
    HWND radio = Make(WC_BUTTONW, L"One", BS_AUTORADIOBUTTON, 10, 60, 160, 30, 101);
    m_skin.Apply(check, L"btn");
    m_skin.Apply(radio, L"btn");

    CPixels off = Print(check);
    const int box = 16;  // the font's height
    const RECT boxArea{0, 15 - box / 2, box + 1, 15 + box / 2 + 1};
    EXPECT_GT(off.Count(kFace, boxArea), 50) << "an empty box in the face colour";
    EXPECT_EQ(off.Count(kInk, boxArea), 0);
    EXPECT_GT(off.Count(kInk, {box + 4, 0, 160, 30}), 30) << "the caption beside it";
    EXPECT_GT(off.Count(kDialogFace), 500) << "the rest is the dialog's surface";

    ::SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED) << "still checks itself";
    EXPECT_GT(Print(check).Count(kInk, boxArea), 10) << "the tick";
    ::SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Print(check).Count(kInk, boxArea), 0);

    ::SendMessageW(check, BM_SETCHECK, BST_INDETERMINATE, 0);  // an auto check box has no third state
    ::SendMessageW(radio, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(Print(radio).Count(kInk, boxArea), 10) << "the dot";
}

TEST_F(SkinPaint, StaticsTakeTheLookImagesStayPlain) {
    HWND text = Make(WC_STATICW, L"Generator", SS_LEFT, 10, 10, 150, 30);
    HWND image = Make(WC_STATICW, L"", SS_BITMAP, 10, 60, 40, 40);
    HWND twin = Make(WC_STATICW, L"", SS_BITMAP, 60, 60, 40, 40);
    m_skin.Apply(text, L"btn");
    m_skin.Apply(image, L"btn");
    CPixels t = Print(text);
    EXPECT_EQ(t.At(100, 15), kFace);
    EXPECT_EQ(t.At(0, 0), kEdge);
    EXPECT_LT(t.MeanX(kInk), 75) << "left, as SS_LEFT says";
    EXPECT_EQ(Print(image), Print(twin));
    EXPECT_EQ(GetSkinElement(image), L"btn");
}

// The engine leaves out the default frame painting only for windows that have no frame: a skinned control
// with a border still gets its border back when the frame is repainted, and its face inside it.
TEST_F(SkinPaint, SkinnedControlsWithABorderStillPaintTheirFrame) {
    HWND framed = Make(WC_STATICW, L"", SS_LEFT | WS_BORDER, 10, 10, 150, 30);
    HWND bare = Make(WC_STATICW, L"", SS_LEFT, 10, 60, 150, 30);
    m_skin.Apply(framed, L"btn");
    m_skin.Apply(bare, L"btn");
    Pump();
    constexpr COLORREF kStain = RGB(0xFF, 0x00, 0xFF);
    for (HWND hwnd : {framed, bare}) {
        RECT rc{};
        ::GetWindowRect(hwnd, &rc);
        const RECT whole{0, 0, rc.right - rc.left, rc.bottom - rc.top};
        HDC dc = ::GetWindowDC(hwnd);
        CBrush stain(::CreateSolidBrush(kStain));
        ::FillRect(dc, &whole, stain.Get());
        ::ReleaseDC(hwnd, dc);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    const CPixels f = ScreenWithFrame(framed);
    ASSERT_EQ(f.w, 150);
    EXPECT_NE(f.At(0, 15), kStain) << "the border is painted again";
    EXPECT_NE(f.At(149, 15), kStain);
    EXPECT_EQ(f.At(75, 15), kFace);
    const CPixels b = ScreenWithFrame(bare);
    EXPECT_EQ(b.At(0, 15), kEdge);
    EXPECT_EQ(b.At(75, 15), kFace);
}

TEST_F(SkinPaint, TheDialogItsStaticsGroupBoxesAndTreeFollowTheSkinsSections) {
    HWND label = Make(WC_STATICW, L"ID", SS_LEFT, 10, 10, 80, 24, 200);
    HWND group = Make(WC_BUTTONW, L"  Patient  ", BS_GROUPBOX, 10, 40, 200, 120, 201);
    HWND tree = Make(WC_TREEVIEWW, L"", WS_BORDER, 220, 40, 150, 120, 202);
    HWND button = Button(L"", 30, 80, 60, 30);

    // Before any control of the dialog takes a look, the dialog is the platform's.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(m_hDialog, WM_CTLCOLORDLG, 0, 0));
    LOGBRUSH lb{};
    ::GetObjectW(brush, sizeof(lb), &lb);
    EXPECT_NE(lb.lbColor, kDialogFace);

    m_skin.Apply(button, L"btn");
    HDC dc = ::GetDC(m_hDialog);
    brush =
        reinterpret_cast<HBRUSH>(::SendMessageW(m_hDialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0));
    ::GetObjectW(brush, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, kDialogFace);
    brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        m_hDialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ::GetObjectW(brush, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, kDialogFace);
    EXPECT_EQ(::GetTextColor(dc), kDialogText);
    EXPECT_EQ(::GetBkColor(dc), kDialogFace);
    ::ReleaseDC(m_hDialog, dc);

    // The dialog's background and its plain static.
    RECT rc{};
    ::GetClientRect(m_hDialog, &rc);
    CPixels back = Capture(rc.right, rc.bottom, [&](HDC mem) {
        ::SendMessageW(m_hDialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
    });
    EXPECT_EQ(back.At(400, 300), kDialogFace);
    CPixels l = Print(label);
    EXPECT_GT(l.Count(kDialogText), 10);
    EXPECT_EQ(l.At(70, 20), kDialogFace);

    // The group box: its frame in the dialog's border colour, its caption in the text colour, and its inside
    // left to the controls it holds.
    CPixels g = Print(group);
    EXPECT_EQ(g.At(0, 80), kFrame);
    EXPECT_EQ(g.At(199, 80), kFrame);
    EXPECT_EQ(g.At(100, 119), kFrame);
    EXPECT_EQ(g.At(100, 60), kSentinel);
    EXPECT_GT(g.Count(kDialogText, {0, 0, 200, 20}), 10);
    EXPECT_EQ(GetSkinElement(group), L"") << "the group box took no element";

    // The tree: the [tree] colours, its frame in the border colour, the selected row in the pressed face,
    // dimmed while the tree has no focus.
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kTreeFace);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tree, TVM_GETTEXTCOLOR, 0, 0)), kTreeInk);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    CPixels frame = ScreenWithFrame(tree);
    EXPECT_EQ(frame.At(0, 0), kFrame);
    EXPECT_EQ(frame.At(75, 119), kFrame);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"Chest PA");
    ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    insert.item.pszText = const_cast<wchar_t*>(L"Chest LAT");
    auto second = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(second));
    ::SetFocus(button);
    const CSkinColor mixed = MixSkinColor({0x24, 0x76, 0xBE}, {0x11, 0x17, 0x1D}, 0.45);
    const COLORREF dimmed = RGB(mixed.r, mixed.g, mixed.b);
    CPixels unfocused = Print(tree);
    EXPECT_EQ(unfocused.Count(kSelected), 0);
    EXPECT_GT(unfocused.Count(dimmed), 50);
    ::SetFocus(tree);
    CPixels focused = Print(tree);
    EXPECT_GT(focused.Count(kSelected), 50);
    EXPECT_GT(focused.Count(kInk), 10) << "the selected row's text";
}

TEST_F(SkinPaint, ADialogInsideAnotherTakesTheFrameColours) {
    HWND inner = CreateTestDialog(WS_CHILD | WS_VISIBLE | WS_BORDER, m_hDialog);
    ASSERT_TRUE(inner);
    ::SetWindowPos(inner, nullptr, 20, 20, 200, 150, SWP_NOZORDER | SWP_FRAMECHANGED);
    HWND button = ::CreateWindowExW(0, WC_BUTTONW, L"UP", WS_CHILD | WS_VISIBLE, 10, 10, 60, 30, inner,
                                    nullptr, nullptr, nullptr);
    CPixels before = ScreenWithFrame(inner);
    m_skin.Apply(button, L"btn");
    ::UpdateWindow(inner);
    CPixels after = ScreenWithFrame(inner);
    EXPECT_NE(before.At(0, 0), kFrame);
    EXPECT_EQ(after.At(0, 0), kFrame);
    EXPECT_EQ(after.At(199, 149), kFrame);
    EXPECT_EQ(after.At(100, 100), kDialogFace);
}

TEST_F(SkinPaint, StateChangesOnScreenNeverLeaveThePlainDrawingBehind) {
    // The button's own handling of these messages draws at once, outside WM_PAINT. On screen there must only
    // ever be a skinned face: the last one until the next WM_PAINT, then the new state's, and the window is
    // visible again after each.
    HWND hwnd = Button(L"");
    HWND other = Button(L"", 10, 60);
    m_skin.Apply(hwnd, L"btn");
    ::UpdateWindow(m_hDialog);
    ::UpdateWindow(hwnd);
    ASSERT_EQ(Screen(hwnd).At(60, 20), kFace);

    struct CStep {
        const char* what;
        void (*change)(HWND hwnd, HWND other);
        int x;
        COLORREF now;
    };
    const CStep steps[] = {
        {"press", [](HWND h, HWND) { ::SendMessageW(h, BM_SETSTATE, TRUE, 0); }, 60, kPressed},
        {"release", [](HWND h, HWND) { ::SendMessageW(h, BM_SETSTATE, FALSE, 0); }, 60, kFace},
        {"focus", [](HWND h, HWND) { ::SetFocus(h); }, 0, kFocusEdge},
        {"focus elsewhere", [](HWND, HWND o) { ::SetFocus(o); }, 0, kEdge},
        {"disable", [](HWND h, HWND) { ::EnableWindow(h, FALSE); }, 60, kDisabledFace},
        {"enable", [](HWND h, HWND) { ::EnableWindow(h, TRUE); }, 60, kFace},
        {"default style", [](HWND h, HWND) { ::SendMessageW(h, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE); }, 60,
         kFace},
        {"mouse down", [](HWND h, HWND) { ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); },
         60, kPressed},
        {"mouse up", [](HWND h, HWND) { ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)); }, 60, kFace},
    };
    for (const CStep& step : steps) {
        const COLORREF shown = Screen(hwnd).At(step.x, 20);
        step.change(hwnd, other);
        RECT update{};
        EXPECT_EQ(Screen(hwnd).At(step.x, 20), shown) << step.what << ": nothing drawn inside the call";
        EXPECT_TRUE(::GetUpdateRect(hwnd, &update, FALSE)) << step.what;
        EXPECT_TRUE(::IsWindowVisible(hwnd)) << step.what;
        ::UpdateWindow(hwnd);
        EXPECT_EQ(Screen(hwnd).At(step.x, 20), step.now) << step.what;
    }
    EXPECT_EQ(::GetFocus(), hwnd) << "the click took the focus";

    const CPixels beforeText = Screen(hwnd);
    ::SetWindowTextW(hwnd, L"WWWWWW");
    wchar_t text[16] = {};
    ::GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"WWWWWW");
    EXPECT_EQ(Screen(hwnd), beforeText) << "the new text waits for the paint";
    ::UpdateWindow(hwnd);
    CPixels titled = Screen(hwnd);
    EXPECT_EQ(titled.At(60, 3), kFace);
    EXPECT_GT(titled.Count(kInk), 30);

    // The same text again changes nothing and paints nothing; another text is painted.
    RECT update{};
    ::SetWindowTextW(hwnd, L"WWWWWW");
    EXPECT_FALSE(::GetUpdateRect(hwnd, &update, FALSE));
    ::SetWindowTextW(hwnd, L"WWWWWX");
    EXPECT_TRUE(::GetUpdateRect(hwnd, &update, FALSE));
    ::GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"WWWWWX");
}

TEST_F(SkinPaint, ChangesWhileTheDialogIsHiddenAreShownSkinnedWhenItComesBack) {
    // A control of a hidden dialog draws nothing of its own, so its changes pass without switching its
    // redrawing off; showing the dialog paints the latest state in the skin's look.
    HWND hwnd = Button(L"");
    m_skin.Apply(hwnd, L"btn");
    ::UpdateWindow(m_hDialog);
    ::UpdateWindow(hwnd);
    ASSERT_EQ(Screen(hwnd).At(60, 20), kFace);

    ::ShowWindow(m_hDialog, SW_HIDE);
    ::SetWindowTextW(hwnd, L"WWWWWW");
    ::SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE);
    wchar_t text[16] = {};
    ::GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"WWWWWW");
    EXPECT_EQ(::SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);

    ::ShowWindow(m_hDialog, SW_SHOW);
    ::UpdateWindow(m_hDialog);
    ::UpdateWindow(hwnd);
    const CPixels shown = Screen(hwnd);
    EXPECT_EQ(shown.At(60, 3), kPressed);
    EXPECT_GT(shown.Count(kInk), 30) << "the new text";
    EXPECT_EQ(shown, Print(hwnd)) << "on screen as the skin paints it";
}

TEST_F(SkinPaint, RepeatedAppliesAndRepaintsCreateNoGdiObjectsOrAtoms) {
    HWND buttons[3] = {Button(L"1"), Button(L"2", 10, 60), Button(L"", 10, 110, 46, 46)};
    HWND check = Make(WC_BUTTONW, L"x", BS_AUTOCHECKBOX, 150, 10, 120, 30, 300);
    HWND group = Make(WC_BUTTONW, L"g", BS_GROUPBOX, 150, 60, 200, 100, 301);
    const wchar_t* looks[] = {L"btn", L"other", L"round", L"clear", L"icon", L"no_such_element"};
    m_skin.Apply(buttons[0], L"btn");
    Pump();
    const long before = GdiLiveObjects();
    // A thousand looks given and painted, across the kinds of window the engine draws.
    HWND targets[5] = {buttons[0], buttons[1], buttons[2], check, group};
    for (int i = 0; i < 1000; ++i) {
        HWND target = targets[i % 5];
        m_skin.Apply(target, looks[(i / 5) % 6]);
        if (i % 10 == 0)
            ::SendMessageW(target, BM_SETSTATE, (i / 10) % 2, 0);  // painted at once
        ::UpdateWindow(target);
    }
    ::RedrawWindow(m_hDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Print(group);
    EXPECT_EQ(GdiLiveObjects(), before);
    // One reference per name, held by the engine, however often the name was given.
    for (const wchar_t* look : looks) {
        ATOM atom = ::GlobalFindAtomW(look);
        ASSERT_NE(atom, 0);
        ::GlobalDeleteAtom(atom);
        EXPECT_EQ(::GlobalFindAtomW(look), 0) << "an extra reference to " << static_cast<const void*>(look);
        ::GlobalAddAtomW(look);  // the engine's back
    }
}

TEST(SkinEngineLifetime, WindowsGoBackToTheirOwnLookWhenTheEngineGoesOrReloads) {
    CSkinFileOnDisk file(kSkin);
    CSkinFileOnDisk foreign("[btn]\nface = #3060A0\n");
    HWND dialog = CreateTestDialog(WS_POPUP | WS_VISIBLE);
    ASSERT_TRUE(dialog);
    auto make = [&](int y) {
        return ::CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE, 10, y, 100, 30, dialog, nullptr,
                                 nullptr, nullptr);
    };
    HWND plain = make(10);
    HWND skinned = make(50);
    HWND tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 10, 90, 100, 60, dialog,
                                  nullptr, nullptr, nullptr);
    const CPixels reference = Print(plain);
    auto dialogColour = [&] {
        auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(dialog, WM_CTLCOLORDLG, 0, 0));
        LOGBRUSH lb{};
        ::GetObjectW(brush, sizeof(lb), &lb);
        return lb.lbColor;
    };
    const COLORREF platformFace = dialogColour();
    const auto treeBack = ::SendMessageW(tree, TVM_GETBKCOLOR, 0, 0);
    const LONG_PTR dialogProc = ::GetWindowLongPtrW(dialog, GWLP_WNDPROC);
    const LONG_PTR buttonProc = ::GetWindowLongPtrW(skinned, GWLP_WNDPROC);
    const LONG buttonStyle = ::GetWindowLongW(skinned, GWL_STYLE);
    auto expectUntouched = [&](const char* when) {
        EXPECT_EQ(Print(skinned), reference) << when;
        EXPECT_EQ(::GetPropW(skinned, kSkinElementProperty), nullptr) << when;
        EXPECT_EQ(dialogColour(), platformFace) << when;
        EXPECT_EQ(::SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), treeBack) << when;
        EXPECT_EQ(::GetWindowLongPtrW(dialog, GWLP_WNDPROC), dialogProc) << when;
        EXPECT_EQ(::GetWindowLongPtrW(skinned, GWLP_WNDPROC), buttonProc) << when;
        EXPECT_EQ(::GetWindowLongW(skinned, GWL_STYLE), buttonStyle) << when;
    };

    {
        CBuiltinSkin skin;
        ASSERT_TRUE(skin.Load(file.Path()));
        skin.Apply(skinned, L"btn");
        ASSERT_NE(Print(skinned), reference);
        ASSERT_EQ(dialogColour(), kDialogFace);
        ASSERT_EQ(static_cast<COLORREF>(::SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kTreeFace);
    }
    expectUntouched("after the engine is gone");
    EXPECT_EQ(::GlobalFindAtomW(L"btn"), 0);

    {
        CBuiltinSkin skin;
        ASSERT_TRUE(skin.Load(file.Path()));
        skin.Apply(skinned, L"btn");
        ASSERT_FALSE(skin.Load(foreign.Path()));
        expectUntouched("after a foreign file replaced the skin");
        skin.Apply(skinned, L"btn");
        expectUntouched("applying without a usable skin");
    }
    ::DestroyWindow(dialog);
}

namespace {
WNDPROC g_pfnBeforeOther = nullptr;
int g_nOtherMessages = 0;
LRESULT CALLBACK OtherSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ++g_nOtherMessages;
    return ::CallWindowProcW(g_pfnBeforeOther, hwnd, msg, wp, lp);
}
}  // namespace

TEST(SkinEngineLifetime, AWindowSubclassedAgainAfterTheEngineKeepsWorkingAndGoesPlain) {
    CSkinFileOnDisk file(kSkin);
    HWND dialog = CreateTestDialog(WS_POPUP | WS_VISIBLE);
    ASSERT_TRUE(dialog);
    HWND button = ::CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE, 10, 10, 100, 30, dialog,
                                    nullptr, nullptr, nullptr);
    HWND twin = ::CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE, 10, 50, 100, 30, dialog,
                                  nullptr, nullptr, nullptr);
    {
        CBuiltinSkin skin;
        ASSERT_TRUE(skin.Load(file.Path()));
        skin.Apply(button, L"btn");
        // Someone else subclasses the button after the engine did.
        g_pfnBeforeOther = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherSubclass)));
        EXPECT_EQ(Print(button).At(50, 3), kFace) << "still drawn through the chain";
    }
    // The engine could not take its procedure out; it passes everything through, in the plain look.
    g_nOtherMessages = 0;
    EXPECT_EQ(Print(button), Print(twin));
    EXPECT_GT(g_nOtherMessages, 0);
    ::SetWindowTextW(button, L"Save");
    wchar_t text[8] = {};
    ::GetWindowTextW(button, text, 8);
    EXPECT_STREQ(text, L"Save");
    {
        CBuiltinSkin skin;  // a later engine takes the window up again
        ASSERT_TRUE(skin.Load(file.Path()));
        skin.Apply(button, L"btn");
        EXPECT_EQ(GetSkinElement(button), L"btn");
        EXPECT_EQ(Print(button).At(50, 3), kFace);
    }
    ::DestroyWindow(dialog);  // the chain unwinds through both procedures without a fault
    EXPECT_FALSE(::IsWindow(button));
}
