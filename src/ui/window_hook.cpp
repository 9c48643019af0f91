#include "ui/window_hook.h"

#include <unordered_map>

namespace {

// The subclassing of hooked windows. Not the common controls' SetWindowSubclass: that looks its data up as
// a window property on every message, which Wine answers from its server, about a hundred microseconds a
// message on a busy machine. Here the previous procedure and the hook are found in a table of this
// process. The table outlives any one hook, because a window whose procedure was replaced again after ours
// cannot be given its old one back, and then passes every message straight through until it is destroyed.
struct CSubclass {
    WNDPROC pfnPrevious = nullptr;
    CWindowHook* pHook = nullptr;  // null: passes every message through
};

std::unordered_map<HWND, CSubclass>& Subclasses() {
    static std::unordered_map<HWND, CSubclass> s_mapSubclasses;
    return s_mapSubclasses;
}

}  // namespace

CWindowHook::~CWindowHook() {
    std::unordered_map<HWND, CSubclass> mine;
    for (const auto& [hwnd, subclass] : Subclasses()) {
        if (subclass.pHook == this)
            mine.emplace(hwnd, subclass);
    }
    for (const auto& entry : mine)
        Unhook(entry.first);
}

bool CWindowHook::Hook(HWND hwnd) {
    auto& subclasses = Subclasses();
    if (auto it = subclasses.find(hwnd); it != subclasses.end()) {
        if (it->second.pHook)
            return it->second.pHook == this;  // another hook's window stays that hook's
        it->second.pHook = this;              // a window an earlier hook left passing through
        return true;
    }
    auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowHook::HookProc)));
    if (!previous)
        return false;
    subclasses[hwnd] = {previous, this};
    return true;
}

void CWindowHook::Unhook(HWND hwnd) {
    auto& subclasses = Subclasses();
    auto it = subclasses.find(hwnd);
    if (it == subclasses.end() || it->second.pHook != this)
        return;
    if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWindowHook::HookProc)) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.pfnPrevious));
        subclasses.erase(it);
    } else {
        it->second.pHook = nullptr;
    }
}

void CWindowHook::ForgetDeadWindows() {
    std::erase_if(Subclasses(), [](const auto& entry) { return !::IsWindow(entry.first); });
}

LRESULT CWindowHook::Default() const {
    return ::CallWindowProcW(m_current.previous, m_current.hwnd, m_current.msg, m_current.wp, m_current.lp);
}

LRESULT CWindowHook::CallPrevious(UINT msg, WPARAM wp, LPARAM lp) const {
    return ::CallWindowProcW(m_current.previous, m_current.hwnd, msg, wp, lp);
}

LRESULT CALLBACK CWindowHook::HookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto& subclasses = Subclasses();
    auto it = subclasses.find(hwnd);
    if (it == subclasses.end())
        return ::DefWindowProcW(hwnd, msg, wp, lp);  // cannot happen: every hooked window is listed
    // A copy: handling the message may hook other windows and move the table's entries.
    const CSubclass subclass = it->second;
    if (msg == WM_NCDESTROY) {
        if (subclass.pHook)
            subclass.pHook->OnWindowGone(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass.pfnPrevious));
        subclasses.erase(hwnd);
        return ::CallWindowProcW(subclass.pfnPrevious, hwnd, msg, wp, lp);
    }
    if (!subclass.pHook)
        return ::CallWindowProcW(subclass.pfnPrevious, hwnd, msg, wp, lp);
    return subclass.pHook->Route(hwnd, msg, wp, lp, subclass.pfnPrevious);
}

LRESULT CWindowHook::Route(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC previous) {
    const CCurrentMsg saved = m_current;  // handlers may re-enter through sent messages
    m_current = {hwnd, msg, wp, lp, previous};
    LRESULT result = 0;
    if (!DispatchMap(msg, wp, lp, result))
        result = Default();
    m_current = saved;
    return result;
}
