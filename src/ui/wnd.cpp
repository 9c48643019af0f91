#include "ui/wnd.h"

#include <unordered_map>
#include <vector>

namespace {
// The framework object of each window. Kept in the process rather than as a window property: a property
// read is a round trip to the window server under Wine, and this lookup runs for every message. Framework
// windows live on the user-interface thread only, so the table needs no lock.
std::unordered_map<HWND, CWnd*>& WindowObjects() {
    static std::unordered_map<HWND, CWnd*> objects;
    return objects;
}

long g_gdiLive = 0;
}  // namespace

long GdiLiveObjects() {
    return g_gdiLive;
}

// The same count for tools outside the process (the platform's own GDI counter is not available
// everywhere): an integrator's or a test's helper loaded into the panel process finds it by name.
extern "C" __declspec(dllexport) long SidecarLiveGdiObjects() {
    return g_gdiLive;
}
void GdiCountCreated() {
    ++g_gdiLive;
}
void GdiCountDeleted() {
    --g_gdiLive;
}

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // The object goes first: the window keeps working with its own procedure.
        if (m_pfnSuper) {
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            WindowObjects().erase(m_hWnd);
        } else {
            HWND hwnd = m_hWnd;
            WindowObjects().erase(hwnd);
            m_hWnd = nullptr;
            ::DestroyWindow(hwnd);
        }
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto& objects = WindowObjects();
    auto it = objects.find(hwnd);
    return it == objects.end() ? nullptr : it->second;
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    WindowObjects()[hwnd] = this;
}

void CWnd::DetachOnDestroy() {
    HWND hwnd = m_hWnd;
    if (m_pfnSuper) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    WindowObjects().erase(hwnd);
    m_hWnd = nullptr;
    PostNcDestroy();
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

bool CWnd::WalkPreTranslateTree(MSG* pMsg) {
    for (HWND hwnd = pMsg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = FromHandlePermanent(hwnd)) {
            if (wnd->PreTranslateMessage(pMsg))
                return true;
        }
        // Stop at the top-level window: GetParent of a pop-up is its owner, another window's business.
        if (!(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return false;
    Attach(hwnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

bool CWnd::CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                         HWND parent, int id, DWORD exStyle) {
    HWND hwnd = ::CreateWindowExW(
        exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return false;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    return true;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

std::wstring CWnd::GetWindowText() const {
    int len = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, text.data(), len + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

RECT CWnd::GetClientRect() const {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    CCurrentMsg saved = m_current;  // handlers may re-enter through sent messages
    m_current = {msg, wp, lp, false};
    LRESULT result = 0;
    const bool handled = DispatchMap(msg, wp, lp, result);
    if (!handled && !m_bIsDialog)
        result = Default();
    m_current = saved;
    return result;
}

LRESULT CWnd::Default() {
    if (m_bIsDialog) {
        m_current.defaultRequested = true;
        return 0;
    }
    if (!m_pfnSuper)
        return ::DefWindowProcW(m_hWnd, m_current.msg, m_current.wp, m_current.lp);
    return ::CallWindowProcW(m_pfnSuper, m_hWnd, m_current.msg, m_current.wp, m_current.lp);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd)
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC super = wnd->m_pfnSuper;
        wnd->DetachOnDestroy();
        return ::CallWindowProcW(super, hwnd, msg, wp, lp);
    }
    return wnd->WindowProc(msg, wp, lp);
}
