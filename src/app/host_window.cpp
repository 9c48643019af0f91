#include "app/sidecar_app.h"

namespace {

struct CHostSearch {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<CHostSearch*>(lp);
    // Titles are read into 260 characters; a longer title is compared cut, as the console's own tools do.
    wchar_t title[260];
    int len = ::GetWindowTextW(hwnd, title, static_cast<int>(std::size(title)));
    if (len < 0)
        len = 0;
    if (search->title->compare(0, std::wstring::npos, title, static_cast<std::size_t>(len)) == 0) {
        search->found = hwnd;
        return FALSE;  // the first match in enumeration order wins
    }
    return TRUE;
}

}  // namespace

bool FindHostWindow() {
    CHostSearch search{&theApp.m_strHostTitle, nullptr};
    ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    g_hHostWnd = search.found;
    return g_hHostWnd != nullptr;
}
