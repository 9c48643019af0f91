#pragma once
// CRedrawBatch: gathers the invalidations of one burst of changes (a console record that sets several
// captions, enabled states and looks) and hands them to the window manager as one region per parent window
// when the outermost batch of the thread ends. Under Wine every invalidation is a round trip to the window
// server, so a record that changes eight controls costs one trip instead of eight. What is painted, and
// when, is the same: painting happens with the next paint cycle either way.
#include <windows.h>

#include <vector>

class CRedrawBatch {
  public:
    CRedrawBatch();
    ~CRedrawBatch();
    CRedrawBatch(const CRedrawBatch&) = delete;
    CRedrawBatch& operator=(const CRedrawBatch&) = delete;

    // Invalidates the whole of hwnd (background erased): at the end of the thread's open batch, or at
    // once when none is open. A window that is not on screen is left to be painted when it is shown.
    static void Invalidate(HWND hwnd);

  private:
    void Flush();

    CRedrawBatch* m_pOuter;
    std::vector<HWND> m_pending;
};
