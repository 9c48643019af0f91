#include "stand/stand_hold.h"

#include <utility>

namespace {

// The hold running on this thread, whose hooks watch the thread. One mouse, one hold.
thread_local CStandHold* t_pRunning = nullptr;

}  // namespace

CStandHold::CStandHold(std::function<void()> sendEnd) : m_fnSendEnd(std::move(sendEnd)) {}

// A panel going away ends its hold in its WM_DESTROY, where the console can still be told; here only the
// hooks and the capture are let go.
CStandHold::~CStandHold() {
    if (t_pRunning == this)
        t_pRunning = nullptr;
    if (m_hButton && (::GetCapture() == m_hButton || ::GetCapture() == m_hPanel))
        ::ReleaseCapture();
}

void CStandHold::Begin(HWND panel, HWND button) {
    if (t_pRunning)
        t_pRunning->End();
    m_hPanel = panel;
    m_hButton = button;
    t_pRunning = this;
    const DWORD thread = ::GetCurrentThreadId();
    m_queueHook.Attach(::SetWindowsHookExW(WH_GETMESSAGE, &CStandHold::OnQueuedMessage, nullptr, thread));
    m_sentHook.Attach(::SetWindowsHookExW(WH_CALLWNDPROCRET, &CStandHold::OnSentMessage, nullptr, thread));
    // The press is seen before the button handles it: the panel holds the mouse until the button takes it.
    ::SetCapture(panel);
}

void CStandHold::End() {
    if (!m_hButton)
        return;
    // Forget the hold before anything is sent or released: both lead back here through the hooks or the
    // console's answer, and the end goes out once.
    const HWND button = std::exchange(m_hButton, nullptr);
    const HWND panel = std::exchange(m_hPanel, nullptr);
    if (t_pRunning == this)
        t_pRunning = nullptr;
    m_queueHook.Reset();
    m_sentHook.Reset();
    const HWND capture = ::GetCapture();
    if (capture == button || capture == panel)
        ::ReleaseCapture();
    m_fnSendEnd();
}

void CStandHold::Watch(UINT msg) {
    switch (msg) {
        // One mouse: a press or release of its left button anywhere means the held one came up.
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            End();
            break;
        default:
            if (!StillHeld())
                End();
            break;
    }
}

bool CStandHold::StillHeld() const {
    const HWND capture = ::GetCapture();
    return (capture == m_hButton || capture == m_hPanel) && ::IsWindowEnabled(m_hButton) &&
           ::IsWindowVisible(m_hButton);
}

LRESULT CALLBACK CStandHold::OnQueuedMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE && t_pRunning)
        t_pRunning->Watch(reinterpret_cast<const MSG*>(lp)->message);
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK CStandHold::OnSentMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && t_pRunning) {
        switch (reinterpret_cast<const CWPRETSTRUCT*>(lp)->message) {
            case WM_CAPTURECHANGED:
            case WM_CANCELMODE:
            case WM_ENABLE:
            case WM_SHOWWINDOW:
            case WM_WINDOWPOSCHANGED:
            case WM_STYLECHANGED:
            case WM_ACTIVATE:
            case WM_DESTROY:
                if (!t_pRunning->StillHeld())
                    t_pRunning->End();
                break;
            default:
                break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}
