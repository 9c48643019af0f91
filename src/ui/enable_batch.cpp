#include "ui/enable_batch.h"

void CEnableBatch::Enable(HWND hwnd, bool enable) {
    if (!hwnd || (::IsWindowEnabled(hwnd) != FALSE) == enable)
        return;
    if (enable) {
        // Enabling asks nothing about the focus or the capture.
        ::EnableWindow(hwnd, TRUE);
        return;
    }
    if (!m_bKnown) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) {
            ::EnableWindow(hwnd, FALSE);
            return;
        }
        m_hFocus = info.hwndFocus;
        m_hCapture = info.hwndCapture;
        m_bKnown = true;
    }
    if (hwnd == m_hFocus || hwnd == m_hCapture ||
        ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) {
        // The platform's own path cancels the capture and moves the focus; what it leaves is read again.
        ::EnableWindow(hwnd, FALSE);
        m_bKnown = false;
        return;
    }
    ::SetWindowLongW(hwnd, GWL_STYLE, ::GetWindowLongW(hwnd, GWL_STYLE) | WS_DISABLED);
    ::SendMessageW(hwnd, WM_ENABLE, FALSE, 0);
}
