#pragma once
// CWnd: a framework window object bound to one HWND for the window's life. It routes the window's messages
// through the class's static message map and offers each queued message to PreTranslateMessage first.
// Controls of a dialog template are bound by subclassing; the object never owns a window it did not create
// or subclass, and forgets the handle when the window is destroyed.
#include <windows.h>

#include <string>

#include "ui/message_map.h"

class CWnd : public CMsgTarget {
  public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The framework object of a window, or null when the window has none.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Sees every message of the framework's loops before it is dispatched; true = handled, do not dispatch.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // True when the window draws nothing while it handles `msg` and only invalidates itself, so whoever
    // wraps it (the skin engine) need not hold its drawing back for that message.
    virtual bool DrawsOnlyWhenPainting(UINT /*msg*/) const { return false; }
    // Offers the message to PreTranslateMessage of the framework windows from its window up to its top-level
    // window; true when one of them handled it.
    static bool WalkPreTranslateTree(MSG* pMsg);

    // Binds this object to an existing window by subclassing it (controls of a template).
    bool SubclassWindow(HWND hwnd);
    // Creates a child control of a registered class and binds it.
    bool CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                       HWND parent, int id, DWORD exStyle = 0);
    BOOL DestroyWindow();

    // Thin helpers over the platform calls the system uses.
    void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) const {
        ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
    }
    // A window not on screen is painted whole when it is shown: it is not asked to redraw now.
    void SetFont(HFONT font, BOOL redraw = TRUE) const {
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font),
                       redraw && ::IsWindowVisible(m_hWnd));
    }
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    RECT GetClientRect() const;
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageW(m_hWnd, msg, wp, lp);
    }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

  protected:
    // Runs the message through the message map; falls back to Default() when nothing handles it.
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The default processing of the message being handled (the window's previous procedure). In a dialog the
    // default processing runs after the handler returns (the dialog manager's own), and this returns 0.
    LRESULT Default();
    // Called after the window is gone (WM_NCDESTROY); the handle is already cleared.
    virtual void PostNcDestroy() {}

    void Attach(HWND hwnd);
    void DetachOnDestroy();

    struct CCurrentMsg {
        UINT msg = 0;
        WPARAM wp = 0;
        LPARAM lp = 0;
        bool defaultRequested = false;
    };
    CCurrentMsg m_current;
    bool m_bIsDialog = false;

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC m_pfnSuper = nullptr;
};
