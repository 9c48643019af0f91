#pragma once
// CEnableBatch: enables and disables the controls of one burst of changes (a console record that switches
// the exposure control mode). Disabling a window makes the window manager check whether that window holds
// the mouse capture (to cancel it) and the keyboard focus (to take it away): under Wine two round trips to
// the window server for every control disabled. A batch reads the thread's focus and capture once, for all
// its controls; a control that holds neither is disabled by its style and WM_ENABLE, which is all the
// platform's EnableWindow does for it, and one that holds either goes through EnableWindow itself.
#include <windows.h>

class CEnableBatch {
  public:
    CEnableBatch() = default;
    CEnableBatch(const CEnableBatch&) = delete;
    CEnableBatch& operator=(const CEnableBatch&) = delete;

    // Enables or disables hwnd; a window already in that state is left alone (no message, no request).
    void Enable(HWND hwnd, bool enable);

  private:
    bool m_bKnown = false;  // m_hFocus and m_hCapture hold the thread's focus and capture
    HWND m_hFocus = nullptr;
    HWND m_hCapture = nullptr;
};
