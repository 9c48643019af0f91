#include "ui/window_server.h"

#include <cwchar>
#include <string>

namespace window_server {

bool SameText(HWND hwnd, const wchar_t* text) {
    const int n = ::GetWindowTextLengthW(hwnd);
    if (n != ::lstrlenW(text))
        return false;
    std::wstring current(static_cast<size_t>(n) + 1, L'\0');
    ::GetWindowTextW(hwnd, current.data(), n + 1);
    return std::wmemcmp(current.data(), text, static_cast<size_t>(n)) == 0;
}

bool NeedsFramePainting(HWND hwnd) {
    RECT window{};
    RECT client{};
    if (!::GetWindowRect(hwnd, &window) || !::GetClientRect(hwnd, &client))
        return true;
    return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

void ShowIfChanged(HWND hwnd, bool show) {
    if (!hwnd)
        return;
    // The style is read in the process; IsWindowVisible would also walk the parents.
    const bool visible = (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != show)
        ::ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

UINT PlaceFlags(HWND parent) {
    constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
    return ::IsWindowVisible(parent) ? kPlace : kPlace | SWP_NOREDRAW | SWP_DEFERERASE;
}

}  // namespace window_server
