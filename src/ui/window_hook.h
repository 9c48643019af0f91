#pragma once
// CWindowHook: one object that changes how any number of windows of this thread behave, windows it does not
// own (controls of any class, framework windows included), by subclassing each on top of whatever procedure
// it has and routing its messages through the hook class's message map. The skin engine draws the panel's
// windows this way. A window is hooked by at most one hook at a time. UI thread only.
#include <windows.h>

#include "ui/message_map.h"

class CWindowHook : public CMsgTarget {
  public:
    CWindowHook() = default;
    // Lets every window it still hooks go.
    ~CWindowHook() override;
    CWindowHook(const CWindowHook&) = delete;
    CWindowHook& operator=(const CWindowHook&) = delete;

  protected:
    // Subclasses a window of this thread. True when it is this hook's (already, or now); false when another
    // hook has it or the window cannot be subclassed.
    bool Hook(HWND hwnd);
    // Gives the window its own procedure back when ours is still the one it calls; otherwise ours stays in
    // its chain, passing every message through until the window is destroyed.
    void Unhook(HWND hwnd);
    // Called when a hooked window is destroyed (WM_NCDESTROY), before it is let go.
    virtual void OnWindowGone(HWND /*hwnd*/) {}

    // The window whose message is being handled.
    HWND CurrentWindow() const { return m_current.hwnd; }
    UINT CurrentMessage() const { return m_current.msg; }
    // The window's own processing of the message being handled.
    LRESULT Default() const;
    // The window's own processing of another message (a handler that answers one message with another).
    LRESULT CallPrevious(UINT msg, WPARAM wp, LPARAM lp) const;

    // Forgets the subclass records of destroyed windows (windows whose procedure was replaced after ours,
    // which never pass us their end); their handles may come back for new windows.
    static void ForgetDeadWindows();

  private:
    static LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Route(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC previous);

    struct CCurrentMsg {
        HWND hwnd = nullptr;
        UINT msg = 0;
        WPARAM wp = 0;
        LPARAM lp = 0;
        WNDPROC previous = nullptr;
    };
    CCurrentMsg m_current;
};
