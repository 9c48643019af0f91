#include "skin/builtin_skin.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "skin/skin_painter.h"
#include "skin/skin_raster.h"
#include "ui/gdi.h"
#include "ui/window_server.h"
#include "ui/wnd.h"

namespace {

// Files past this size are not skins; refusing them keeps a stray large file from being read at start-up.
constexpr DWORD kMaxSkinFileBytes = 16 * 1024 * 1024;

struct CFileCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using CFileHandle = std::unique_ptr<void, CFileCloser>;

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    CFileHandle file(h);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size) || size.QuadPart > kMaxSkinFileBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD nRead = 0;
    if (!bytes.empty() && !::ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(nRead);
    return bytes;
}

ATOM PropertyAtom(HWND hwnd) {  // read by other processes through GetSkinElement
    return static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(hwnd, kSkinElementProperty)));
}

// Section names are ASCII in practice; UTF-8 keeps any other name comparable with the file's bytes.
std::string ToUtf8(const wchar_t* text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

bool IsDialog(HWND hwnd) {
    wchar_t cls[16];
    return ::GetClassNameW(hwnd, cls, 16) && ::lstrcmpW(cls, L"#32770") == 0;
}

// Whether hwnd is a button of the given kind (BS_GROUPBOX, BS_AUTORADIOBUTTON, ...).
bool IsButtonOfType(HWND hwnd, LONG type) {
    wchar_t cls[16];
    return ::GetClassNameW(hwnd, cls, 16) && ::lstrcmpiW(cls, WC_BUTTONW) == 0 &&
           (::GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == type;
}

bool IsGroupBox(HWND hwnd) {
    return IsButtonOfType(hwnd, BS_GROUPBOX);
}

bool IsTree(HWND hwnd) {
    wchar_t cls[32];
    return ::GetClassNameW(hwnd, cls, 32) && ::lstrcmpiW(cls, WC_TREEVIEWW) == 0;
}

COLORREF ToColorRef(CSkinColor c) {
    return RGB(c.r, c.g, c.b);
}

// A tree view of a skinned dialog takes the [tree] section's colours: background (face), text and lines
// (border). Without a section, or to undo it, the tree's own colours (-1) are restored.
void ColourTree(HWND tree, const CSkinLook* pLook) {
    auto colour = [](const auto& value) -> LPARAM {
        return value ? static_cast<LPARAM>(ToColorRef(*value)) : static_cast<LPARAM>(CLR_DEFAULT);
    };
    std::optional<CSkinColor> face;
    std::optional<CSkinColor> line;
    std::optional<CSkinColor> text;
    if (pLook) {
        if (pLook->normal.face && !pLook->normal.face->bNone)
            face = pLook->normal.face->color;
        if (pLook->normal.border && !pLook->normal.border->bNone)
            line = pLook->normal.border->color;
        text = pLook->normal.text;
    }
    ::SendMessageW(tree, TVM_SETBKCOLOR, 0, face ? colour(face) : static_cast<LPARAM>(-1));
    ::SendMessageW(tree, TVM_SETTEXTCOLOR, 0, text ? colour(text) : static_cast<LPARAM>(-1));
    ::SendMessageW(tree, TVM_SETLINECOLOR, 0, colour(line));
}

// The frame of a tree or of a dialog inside another (a client edge, or a plain border) as a one-pixel line
// in the section's border colour, the rest of the edge in its face: the platform's frames in system colours
// would glare on a dark skin.
void PaintFrame(HWND hwnd, const CSkinLook& look) {
    const auto& border = look.normal.border;
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!border || border->bNone || !::GetWindowInfo(hwnd, &info) || info.cxWindowBorders == 0)
        return;
    HDC dc = ::GetWindowDC(hwnd);
    if (!dc)
        return;
    RECT rc = info.rcWindow;
    ::OffsetRect(&rc, -rc.left, -rc.top);
    CBrush line(::CreateSolidBrush(ToColorRef(border->color)));
    ::FrameRect(dc, &rc, line.Get());
    if (info.cxWindowBorders > 1 && look.normal.face && !look.normal.face->bNone) {
        CBrush face(::CreateSolidBrush(ToColorRef(look.normal.face->color)));
        for (UINT i = 1; i < info.cxWindowBorders; ++i) {
            ::InflateRect(&rc, -1, -1);
            ::FrameRect(dc, &rc, face.Get());
        }
    }
    ::ReleaseDC(hwnd, dc);
}

// Has the window's frame drawn again (and with it WM_NCPAINT sent).
void RefreshFrame(HWND hwnd) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsChildWindow(HWND hwnd) {
    return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
}

// The selected row in the [tree] section's pressed colours (face behind the text, text): the platform's
// highlight, and above all its grey for a selection without focus, would not read on a dark tree. Without
// focus the row keeps its colour, dimmed towards the tree's background.
LRESULT TreeCustomDraw(NMTVCUSTOMDRAW& draw, const CSkinLook& look) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !(draw.nmcd.uItemState & CDIS_SELECTED))
        return CDRF_DODEFAULT;
    const CSkinPaint selected = look.For(CSkinState::kPressed);
    if (!selected.face || selected.face->bNone)
        return CDRF_DODEFAULT;
    CSkinColor back = selected.face->color;
    if (::GetFocus() != draw.nmcd.hdr.hwndFrom && look.normal.face && !look.normal.face->bNone)
        back = MixSkinColor(back, look.normal.face->color, 0.45);
    draw.clrTextBk = ToColorRef(back);
    if (selected.text)
        draw.clrText = ToColorRef(*selected.text);
    return CDRF_DODEFAULT;
}

bool OwnedByThisThread(HWND hwnd) {
    return ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
}

// Gives a button another type, keeping the rest of its style.
void SetButtonType(HWND hwnd, LONG style, LONG type) {
    ::SetWindowLongW(hwnd, GWL_STYLE, (style & ~BS_TYPEMASK) | type);
}

// Gives a button the engine made owner-drawn its push button type back, unless it was given another since.
void RestoreButtonType(HWND hwnd, LONG pushType) {
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW)
        SetButtonType(hwnd, style, pushType);
}

// Element names compare as their atoms do: without regard to case.
bool SameElement(const std::wstring& a, const wchar_t* b) {
    return ::lstrcmpiW(a.c_str(), b) == 0;
}

}  // namespace

CBuiltinSkin::~CBuiltinSkin() {
    UnhookAll();
    ReleaseAtoms();
}

bool CBuiltinSkin::Load(const std::wstring& path) {
    UnhookAll();
    ReleaseAtoms();
    m_faces.Clear();
    m_file.reset();
    m_pDialogLook = nullptr;
    m_pTreeLook = nullptr;
    m_brDialog.Reset();
    try {
        if (auto bytes = ReadWholeFile(path))
            m_file = ParseSkinFile(*bytes);
    } catch (...) {  // out of memory: run unskinned
        m_file.reset();
    }
    if (m_file) {
        m_pDialogLook = m_file->Find(kSkinDialogSection);
        m_pTreeLook = m_file->Find(kSkinTreeSection);
        if (m_pDialogLook && m_pDialogLook->normal.face && !m_pDialogLook->normal.face->bNone) {
            const CSkinColor c = m_pDialogLook->normal.face->color;
            m_brDialog = CBrush(::CreateSolidBrush(RGB(c.r, c.g, c.b)));
        }
    }
    return Active();
}

void CBuiltinSkin::Apply(HWND hwnd, const wchar_t* element) {
    if (!Active() || !hwnd || !element || !*element)
        return;
    // The same element again: nothing to do, and nothing asked of the window manager. Console records
    // re-apply most looks unchanged (the lamps on every lamp record), so this is the common case; the
    // dialogs ask for their looks without keeping track of what they show.
    if (auto it = m_mapHooked.find(hwnd);
        it != m_mapHooked.end() && it->second.bElement && SameElement(it->second.strElement, element)) {
        return;
    }
    // Properties and subclassing belong to the window's own thread.
    if (!::IsWindow(hwnd) || !OwnedByThisThread(hwnd))
        return;
    ForgetDeadWindows();

    const ATOM atom = ElementAtom(element);
    if (!atom || !Hook(hwnd))
        return;  // a name longer than an atom's may be, or another engine's window
    CHooked& hooked = m_mapHooked[hwnd];
    if (!::SetPropW(hwnd, kSkinElementProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)))) {
        if (!hooked.bElement && !hooked.bDialog && !hooked.bFrame && !hooked.bTree) {
            Unhook(hwnd);
            m_mapHooked.erase(hwnd);
        }
        return;
    }
    const CSkinLook* pLook = m_file->Find(ToUtf8(element));
    const bool bChanged = !hooked.bElement || hooked.pLook != pLook;
    hooked.bElement = true;
    hooked.strElement = element;
    hooked.pLook = pLook;
    if (bChanged)
        CRedrawBatch::Invalidate(hwnd);
    UpdateOwnerDraw(hwnd);

    HWND parent = ::GetParent(hwnd);
    if (m_pDialogLook && parent && IsDialog(parent) && OwnedByThisThread(parent))
        HookDialog(parent);
}

// Each element name is added to the global atom table once, on first use, and released when the engine
// loads another file or ends: the property of every window holds the atom, the engine the reference. A
// change of look is then one property write.
ATOM CBuiltinSkin::ElementAtom(const wchar_t* element) {
    std::wstring key(element);
    for (wchar_t& ch : key)
        ch = static_cast<wchar_t>(::towlower(ch));
    if (auto it = m_mapAtoms.find(key); it != m_mapAtoms.end())
        return it->second;
    const ATOM atom = ::GlobalAddAtomW(element);
    if (atom)
        m_mapAtoms.emplace(std::move(key), atom);
    return atom;
}

void CBuiltinSkin::ReleaseAtoms() {
    for (const auto& [name, atom] : m_mapAtoms)
        ::GlobalDeleteAtom(atom);
    m_mapAtoms.clear();
}

// A push button the engine draws is owner-drawn for as long as it does: the button then leaves every drawing
// outside WM_PAINT (a press, the focus, a new text or enabled state) to its parent's WM_DRAWITEM, which the
// engine answers by invalidating the button, so none of its changes needs its redrawing switched off (each
// switch costs several requests to the window server both ways, inside the operator's press). Its push
// button type is kept here and answered to the dialog manager (WM_GETDLGCODE, BM_SETSTYLE), so the default
// button and the Enter key work as before; the type comes back when the engine lets the button go or gives
// it an element without a look.
void CBuiltinSkin::UpdateOwnerDraw(HWND hwnd) {
    auto it = m_mapHooked.find(hwnd);
    if (it == m_mapHooked.end())
        return;
    CHooked& hooked = it->second;
    const bool bWanted = hooked.bElement && hooked.pLook;
    if (hooked.bOwnerDrawn) {
        if (!bWanted) {
            hooked.bOwnerDrawn = false;
            RestoreButtonType(hwnd, hooked.nPushType);
        }
        return;
    }
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    if (!bWanted || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) ||
        ClassifySkinTarget(hwnd) != CSkinKind::kPushButton)
        return;
    // The parent must be ours to hear its WM_DRAWITEM; otherwise the button keeps its type and the switch.
    HWND parent = ::GetParent(hwnd);
    if (!parent || !OwnedByThisThread(parent) || !Hook(parent))
        return;
    it = m_mapHooked.find(hwnd);  // hooking the parent may have moved the entries
    it->second.bOwnerDrawn = true;
    it->second.nPushType = type;
    SetButtonType(hwnd, style, BS_OWNERDRAW);
}

// Hooks the window and gives it an empty record, unless it is the engine's already.
bool CBuiltinSkin::Hook(HWND hwnd) {
    if (m_mapHooked.contains(hwnd))
        return true;
    if (!CWindowHook::Hook(hwnd))
        return false;  // another engine's window stays that engine's
    m_mapHooked[hwnd] = CHooked{};
    return true;
}

void CBuiltinSkin::HookDialog(HWND dialog) {
    if (auto it = m_mapHooked.find(dialog); it != m_mapHooked.end() && it->second.bDialog)
        return;
    if (!Hook(dialog))
        return;
    m_mapHooked[dialog].bDialog = true;
    if (IsChildWindow(dialog))
        RefreshFrame(dialog);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsGroupBox(child) && Hook(child))
            m_mapHooked[child].bFrame = true;
        if (m_pTreeLook && IsTree(child) && Hook(child)) {
            m_mapHooked[child].bTree = true;
            ColourTree(child, m_pTreeLook);
            RefreshFrame(child);
        }
    }
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CBuiltinSkin::UnhookAll() {
    auto hooked = std::move(m_mapHooked);
    m_mapHooked.clear();
    for (const auto& [hwnd, what] : hooked) {
        if (!::IsWindow(hwnd) || !OwnedByThisThread(hwnd))
            continue;
        if (what.bElement)
            ::RemovePropW(hwnd, kSkinElementProperty);
        if (what.bOwnerDrawn)
            RestoreButtonType(hwnd, what.nPushType);
        Unhook(hwnd);
        if (what.bTree)
            ColourTree(hwnd, nullptr);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

// A window whose procedure was replaced behind the engine's back, and which was then destroyed, never
// reported its end; its entries are dropped, since its handle may come back for a new window.
void CBuiltinSkin::ForgetDeadWindows() {
    std::erase_if(m_mapHooked, [](const auto& entry) { return !::IsWindow(entry.first); });
    CWindowHook::ForgetDeadWindows();
}

const CSkinLook* CBuiltinSkin::PaintLook(const CHooked& hooked) const {
    if (hooked.bElement)
        return hooked.pLook;
    return hooked.bFrame ? m_pDialogLook : nullptr;
}

// The engine's answers by concern; a window's record says which apply to it. Messages not listed, and
// listed ones that do not apply to the window, get the window's own processing.
SIDECAR_MESSAGE_MAP(CBuiltinSkin, CWindowHook,
                    // Dialog colours and tree drawing.
                    M::Message<&CBuiltinSkin::OnCtlColor>(WM_CTLCOLORDLG),
                    M::Message<&CBuiltinSkin::OnCtlColor>(WM_CTLCOLORSTATIC),
                    M::Message<&CBuiltinSkin::OnCtlColor>(WM_CTLCOLORBTN),
                    M::Message<&CBuiltinSkin::OnNotify>(WM_NOTIFY),
                    M::Message<&CBuiltinSkin::OnNcPaint>(WM_NCPAINT),
                    // Owner-draw answers.
                    M::Message<&CBuiltinSkin::OnDrawItem>(WM_DRAWITEM),
                    M::Message<&CBuiltinSkin::OnGetDlgCode>(WM_GETDLGCODE),
                    M::Message<&CBuiltinSkin::OnSetStyle>(BM_SETSTYLE),
                    M::Message<&CBuiltinSkin::OnLButtonDblClk>(WM_LBUTTONDBLCLK),
                    M::Message<&CBuiltinSkin::OnStyleChanged>(WM_STYLECHANGED),
                    // Skinned painting.
                    M::Message<&CBuiltinSkin::OnPaint>(WM_PAINT),
                    M::Message<&CBuiltinSkin::OnPrintClient>(WM_PRINTCLIENT),
                    M::Message<&CBuiltinSkin::OnEraseBkgnd>(WM_ERASEBKGND),
                    M::Message<&CBuiltinSkin::OnSetText>(WM_SETTEXT),
                    M::Message<&CBuiltinSkin::OnSysColorChange>(WM_SYSCOLORCHANGE),
                    // Quiet redraws: the other messages after which buttons and statics draw themselves at
                    // once, outside WM_PAINT (changes of state, focus, check and font, and the clicks and
                    // keys that cause them; text, style and double clicks above end here too).
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_ENABLE),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_SETFOCUS),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_KILLFOCUS),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_LBUTTONDOWN),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_LBUTTONUP),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_KEYDOWN),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_KEYUP),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_CAPTURECHANGED),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_UPDATEUISTATE),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(WM_SETFONT),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(BM_SETSTATE),
                    M::Message<&CBuiltinSkin::OnRedrawnQuietly>(BM_SETCHECK))

const CBuiltinSkin::CHooked& CBuiltinSkin::Current() const {
    static const CHooked kNotHooked;
    auto it = m_mapHooked.find(CurrentWindow());
    return it == m_mapHooked.end() ? kNotHooked : it->second;
}

CBuiltinSkin::CSkinned CBuiltinSkin::CurrentSkinned() const {
    const CHooked& hooked = Current();
    const CSkinLook* pLook = PaintLook(hooked);
    if (!pLook)
        return {};
    const CSkinKind kind = hooked.bOwnerDrawn ? CSkinKind::kPushButton : ClassifySkinTarget(CurrentWindow());
    return kind == CSkinKind::kPlain ? CSkinned{} : CSkinned{pLook, kind};
}

LRESULT CBuiltinSkin::OnCtlColor(WPARAM wp, LPARAM) {
    if (!Current().bDialog || !m_pDialogLook || !m_brDialog)
        return Default();
    const CSkinPaint& paint = m_pDialogLook->normal;
    auto dc = reinterpret_cast<HDC>(wp);
    ::SetBkColor(dc, ToColorRef(paint.face->color));
    if (paint.text)
        ::SetTextColor(dc, ToColorRef(*paint.text));
    return reinterpret_cast<LRESULT>(m_brDialog.Get());
}

LRESULT CBuiltinSkin::OnNotify(WPARAM, LPARAM lp) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (!Current().bDialog || !m_pDialogLook || !m_pTreeLook || !hdr || hdr->code != NM_CUSTOMDRAW)
        return Default();
    auto tree = m_mapHooked.find(hdr->hwndFrom);
    if (tree == m_mapHooked.end() || !tree->second.bTree)
        return Default();
    return TreeCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lp), *m_pTreeLook);
}

LRESULT CBuiltinSkin::OnNcPaint(WPARAM, LPARAM) {
    // Trees, and dialogs that sit inside another (the stand panels), in the skin's frame colours. A
    // top-level dialog's frame is the window manager's.
    const HWND hwnd = CurrentWindow();
    const CHooked& hooked = Current();
    const CSkinLook* pFrame = hooked.bTree                            ? m_pTreeLook
                              : hooked.bDialog && IsChildWindow(hwnd) ? m_pDialogLook
                                                                      : nullptr;
    if (pFrame) {
        LRESULT result = Default();
        PaintFrame(hwnd, *pFrame);
        return result;
    }
    // A skinned control without a frame has nothing outside its client area, yet the default handling
    // still takes a window DC (two visible-region requests to the window server) for every paint.
    if (CurrentSkinned().pLook && !window_server::NeedsFramePainting(hwnd))
        return 0;
    return Default();
}

// An owner-drawn push button of ours asks to be drawn outside WM_PAINT: it is painted skinned with the next
// paint cycle instead.
LRESULT CBuiltinSkin::OnDrawItem(WPARAM, LPARAM lp) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    if (item && item->CtlType == ODT_BUTTON) {
        if (auto button = m_mapHooked.find(item->hwndItem);
            button != m_mapHooked.end() && button->second.bOwnerDrawn) {
            CRedrawBatch::Invalidate(item->hwndItem);
            return TRUE;
        }
    }
    return Default();
}

LRESULT CBuiltinSkin::OnGetDlgCode(WPARAM, LPARAM) {
    const CHooked& hooked = Current();
    if (!hooked.bOwnerDrawn)
        return Default();
    return DLGC_BUTTON | (hooked.nPushType == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT CBuiltinSkin::OnSetStyle(WPARAM wp, LPARAM lp) {
    auto it = m_mapHooked.find(CurrentWindow());
    if (it == m_mapHooked.end() || !it->second.bOwnerDrawn)
        return OnRedrawnQuietly(wp, lp);
    const LONG type = static_cast<LONG>(wp & BS_TYPEMASK);
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        it->second.nPushType = type;  // the dialog manager moving the default button
        return CallPrevious(BM_SETSTYLE, (wp & ~BS_TYPEMASK) | BS_OWNERDRAW, lp);
    }
    it->second.bOwnerDrawn = false;  // made another kind of button: it is that from now on
    return Default();
}

LRESULT CBuiltinSkin::OnLButtonDblClk(WPARAM wp, LPARAM lp) {
    // An owner-drawn button reports the second click of a double click as such; a push button takes it as
    // another click.
    if (Current().bOwnerDrawn)
        return CallPrevious(WM_LBUTTONDOWN, wp, lp);
    return OnRedrawnQuietly(wp, lp);
}

LRESULT CBuiltinSkin::OnStyleChanged(WPARAM wp, LPARAM lp) {
    auto it = m_mapHooked.find(CurrentWindow());
    if (it != m_mapHooked.end() && it->second.bOwnerDrawn && wp == static_cast<WPARAM>(GWL_STYLE) && lp &&
        (reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew & BS_TYPEMASK) != BS_OWNERDRAW) {
        it->second.bOwnerDrawn = false;  // given another type behind the engine's back: it is that now
    }
    return OnRedrawnQuietly(wp, lp);
}

LRESULT CBuiltinSkin::OnPaint(WPARAM, LPARAM) {
    const CSkinned skinned = CurrentSkinned();
    if (!skinned.pLook)
        return Default();
    CPaintDC dc(CurrentWindow());
    if (dc.Get())
        PaintSkinned(CurrentWindow(), dc.Get(), *skinned.pLook, &m_faces, skinned.kind);
    return 0;
}

LRESULT CBuiltinSkin::OnPrintClient(WPARAM wp, LPARAM) {
    const CSkinned skinned = CurrentSkinned();
    if (!skinned.pLook)
        return Default();
    PaintSkinned(CurrentWindow(), reinterpret_cast<HDC>(wp), *skinned.pLook, &m_faces, skinned.kind);
    return 0;
}

LRESULT CBuiltinSkin::OnEraseBkgnd(WPARAM, LPARAM) {
    // The paint covers the whole client area (a group box, only its frame).
    return CurrentSkinned().pLook ? 1 : Default();
}

LRESULT CBuiltinSkin::OnSetText(WPARAM wp, LPARAM lp) {
    // Consoles resend values that have not changed: the same text again costs no painting, whoever sets it.
    if (lp && CurrentSkinned().pLook &&
        window_server::SameText(CurrentWindow(), reinterpret_cast<const wchar_t*>(lp)))
        return TRUE;
    return OnRedrawnQuietly(wp, lp);
}

LRESULT CBuiltinSkin::OnSysColorChange(WPARAM wp, LPARAM lp) {
    m_faces.Clear();  // the plain look's colours are part of the faces drawn
    return OnRedrawnQuietly(wp, lp);
}

// A skinned control's own drawing never reaches the screen: the messages after which it would draw itself
// at once run with its drawing held back, and it is painted skinned with the next WM_PAINT.
LRESULT CBuiltinSkin::OnRedrawnQuietly(WPARAM, LPARAM) {
    const HWND hwnd = CurrentWindow();
    if (!CurrentSkinned().pLook || Current().bOwnerDrawn)
        return Default();
    // The release that checks an automatic radio button unchecks the others of its group, walking the group
    // from the button itself among the visible controls: with its redrawing off the button is not among
    // them, and the walk never comes back to where it started. The release passes with the button visible;
    // the state and check changes it sends the button itself are still drawn quietly.
    const UINT msg = CurrentMessage();
    if ((msg == WM_LBUTTONUP || msg == WM_KEYUP) && IsButtonOfType(hwnd, BS_AUTORADIOBUTTON))
        return Default();
    const CWnd* framework = CWnd::FromHandlePermanent(hwnd);
    if (framework && framework->DrawsOnlyWhenPainting(msg))
        return Default();
    return window_server::DrawnWithNextPaint(hwnd, [this] { return Default(); });
}

std::wstring GetSkinElement(HWND hwnd) {
    ATOM atom = hwnd ? PropertyAtom(hwnd) : 0;
    if (!atom)
        return {};
    wchar_t name[256];
    UINT n = ::GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, n);
}
