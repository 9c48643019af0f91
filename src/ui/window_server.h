#pragma once
// What windows cost at the window server, and the framework's ways around it, in one place.
//
// Under Wine nearly every call about a window (an invalidation, a show or hide, a disable, a window DC, a
// window property, a control looked up by id) is a round trip to the window server, and a console record
// is applied inside the console's SendMessage: each trip is time the console waits. The dialogs and the
// skin engine stay plain Win32 and call the ways around below by name; each is measured (the link
// benchmark one record at a time, medians of 9 rounds, or a server trace of a start, as said):
//
//  1. The invalidations of one record as one region per parent: CRedrawBatch (redraw_batch.h). A record
//     that changes eight controls costs one request instead of eight.
//  2. The controls of one record disabled with the focus and capture read once: CEnableBatch
//     (enable_batch.h). Mode change 3.07 / 2.71 ms before, 2.49 / 2.56 ms after.
//  3. Nothing asked of windows that are not on screen: CRedrawBatch skips them, CWnd::SetFont does not ask
//     them to redraw, DrawnWithNextPaint() does not switch their drawing, PlaceFlags() moves the controls
//     of a hidden dialog without redrawing, and ShowIfChanged() shows or hides only what changes. A start's
//     requests before the panel is first shown: 3,556 before, 3,439 after.
//  4. Windows changed by a hook through the process's own subclass table instead of window properties:
//     CWindowHook (window_hook.h). A property is read from the server, 100 to 200 us a message.
//  5. A control's own drawing outside WM_PAINT held back and painted with the next paint cycle:
//     DrawnWithNextPaint(), and CWnd::DrawsOnlyWhenPainting() for framework controls that only invalidate.
//     A record that changes texts and enabled states costs no painting inside the console's call, and
//     several changes to one control are painted once. Push buttons drawn by a skin are better made
//     owner-drawn (their drawing outside WM_PAINT becomes an invalidation without the switch): a press
//     until its report reaches the console 1.56 / 1.57 ms with the switch, 1.18 / 1.13 ms owner-drawn.
//  6. The default frame painting skipped for a control without a frame: NeedsFramePainting(). About 70 us
//     of the 0.41 ms a skinned control's paint took.
//  7. The same text again changes nothing: SameText(). Consoles resend values that have not changed.
//  8. Controls looked up once per dialog: CDialog::Item.
//  9. A tree's row changes: a row already in view is not scrolled to (CTreeCtrl::EnsureVisible), which
//     measured the font in a fresh window DC, about 60 us of every mark; and the tree's DC is readied after
//     each repaint, so the next mark's text measurement finds it set up (tree marks alone, panel time:
//     0.50-0.60 ms before, 0.43-0.55 ms after).
#include <windows.h>

#include "ui/enable_batch.h"
#include "ui/redraw_batch.h"

namespace window_server {

// True when hwnd already shows `text` (so setting it again would change nothing).
bool SameText(HWND hwnd, const wchar_t* text);

// True when the window's frame, caption or scroll bars take room outside its client area, so its default
// WM_NCPAINT has something to draw; false lets a control that paints its whole client area skip it.
bool NeedsFramePainting(HWND hwnd);

// Shows or hides hwnd unless it already is so.
void ShowIfChanged(HWND hwnd, bool show);

// The SetWindowPos flags for placing the controls of `parent`: without z-order or activation changes, and
// while the parent is not on screen without repaints and without erasing the parent behind each control
// (every erase is another request; showing the parent paints it whole).
UINT PlaceFlags(HWND parent);

// Runs `handling`, a control's own processing of a message after which it would draw itself at once, with
// the control's redrawing switched off, then invalidates the control: nothing of its own drawing reaches
// the screen, and it is painted with the next WM_PAINT. The switch is the window manager's own (it clears
// WS_VISIBLE for the duration, which controls test before drawing), and a message sent to the control
// meanwhile passes straight through. It costs several requests each way, so a control that is not on
// screen (hidden itself or inside a hidden window), which draws nothing now and is painted whole when it
// is shown, runs `handling` without it.
template <class Handling>
LRESULT DrawnWithNextPaint(HWND hwnd, Handling&& handling) {
    if (!::IsWindowVisible(hwnd))
        return handling();
    ::DefWindowProcW(hwnd, WM_SETREDRAW, FALSE, 0);
    LRESULT result = handling();
    if (::IsWindow(hwnd)) {
        ::DefWindowProcW(hwnd, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hwnd, nullptr, FALSE);
    }
    return result;
}

}  // namespace window_server
