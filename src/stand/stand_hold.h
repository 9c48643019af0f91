#pragma once
// CStandHold: the press and hold of one stand button, which drives a motor until the hold ends. Owned by a
// stand panel for its life. The rule it keeps: every motion code sent is followed by exactly one hold's end
// (the panel's release code), sent as soon as the hold ends for any reason, and never a second one.
//
// A hold ends when the left button comes up anywhere, when the mouse capture leaves the panel and its
// button (another window takes it, a window of the console or a message box comes up, the panel is
// deactivated), when the button is disabled or no longer on screen (it or the panel hidden, say for the
// review), when another press starts a new hold, and when the panel goes away.
#include <windows.h>

#include <functional>

#include "ui/handle.h"

class CStandHold {
  public:
    // `sendEnd` sends the panel's release code to the console.
    explicit CStandHold(std::function<void()> sendEnd);
    ~CStandHold();
    CStandHold(const CStandHold&) = delete;
    CStandHold& operator=(const CStandHold&) = delete;

    // Starts a hold of `button` of `panel` once its motion code has been sent (a press ends any hold before
    // the panel sees it). The panel takes the mouse capture, which the button then takes over.
    void Begin(HWND panel, HWND button);
    // Ends the hold, if one runs: its end is sent once and the capture let go.
    void End();

    bool IsHeld() const { return m_hButton != nullptr; }

  private:
    // Ends the hold on any press or release of the left button, wherever it is addressed, and otherwise
    // when the capture, the button or the panel say it is over.
    void Watch(UINT msg);
    // True while the capture is with the panel or its button and the button is enabled and on screen.
    bool StillHeld() const;
    static LRESULT CALLBACK OnQueuedMessage(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK OnSentMessage(int code, WPARAM wp, LPARAM lp);

    std::function<void()> m_fnSendEnd;
    HWND m_hPanel = nullptr;
    HWND m_hButton = nullptr;
    // While held, two hooks of the thread watch it: one sees every message taken from its queue (the mouse,
    // whichever window it is addressed to), the other every message sent to its windows (capture changes,
    // hides, disables, destruction), which never pass through a loop.
    CHook m_queueHook;
    CHook m_sentHook;
};
