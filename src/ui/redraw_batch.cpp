#include "ui/redraw_batch.h"

#include <algorithm>

#include "ui/handle.h"

namespace {
// The open batch of this thread; windows and their invalidations belong to one thread.
thread_local CRedrawBatch* t_pOpen = nullptr;
}  // namespace

CRedrawBatch::CRedrawBatch() : m_pOuter(t_pOpen) {
    t_pOpen = this;
}

CRedrawBatch::~CRedrawBatch() {
    t_pOpen = m_pOuter;
    if (m_pOuter) {
        // An inner batch hands its windows to the outer one, which flushes them all at once.
        m_pOuter->m_pending.insert(m_pOuter->m_pending.end(), m_pending.begin(), m_pending.end());
        return;
    }
    Flush();
}

void CRedrawBatch::Invalidate(HWND hwnd) {
    // A window not on screen (hidden itself, or inside a hidden window such as a dialog being set up or the
    // panel behind the review) is painted whole when it is shown: invalidating it now would only be another
    // request to the window manager.
    if (!hwnd || !::IsWindowVisible(hwnd))
        return;
    if (!t_pOpen) {
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    auto& pending = t_pOpen->m_pending;
    if (std::find(pending.begin(), pending.end(), hwnd) == pending.end())
        pending.push_back(hwnd);
}

void CRedrawBatch::Flush() {
    // Windows that went away or off screen meanwhile are dropped; a lone window, or one without a parent, is
    // invalidated on its own.
    std::vector<HWND> windows;
    windows.reserve(m_pending.size());
    for (HWND hwnd : m_pending) {
        if (::IsWindowVisible(hwnd))
            windows.push_back(hwnd);
    }
    m_pending.clear();
    while (!windows.empty()) {
        HWND parent = ::GetParent(windows.front());
        auto sibling = [parent](HWND hwnd) { return ::GetParent(hwnd) == parent; };
        auto split = std::stable_partition(windows.begin(), windows.end(), sibling);
        const auto count = split - windows.begin();
        if (!parent || count == 1) {
            for (auto it = windows.begin(); it != split; ++it)
                ::InvalidateRect(*it, nullptr, TRUE);
        } else {
            // The siblings' rectangles in the parent's client area, as one region, carried down to the
            // children under it; the parent's own part of it is validated again at once, since the
            // children cover it (a parent without WS_CLIPCHILDREN would otherwise erase it and paint
            // under them).
            CRgn region(::CreateRectRgn(0, 0, 0, 0));
            for (auto it = windows.begin(); it != split; ++it) {
                RECT rc{};
                ::GetWindowRect(*it, &rc);
                ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
                CRgn part(::CreateRectRgnIndirect(&rc));
                ::CombineRgn(region.Get(), region.Get(), part.Get(), RGN_OR);
            }
            ::RedrawWindow(parent, nullptr, region.Get(), RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            ::RedrawWindow(parent, nullptr, region.Get(), RDW_VALIDATE | RDW_NOCHILDREN);
        }
        windows.erase(windows.begin(), split);
    }
}
