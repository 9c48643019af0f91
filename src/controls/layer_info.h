#pragma once
// CLayerInfo: one layer of a CLayeredBitmapCtrl, a value that owns its picture and its hit region. A copy is
// deep (the bitmap through CopyBitmap, the region through its region data); a move hands both over, for the
// copies nobody can tell apart from a move (a layer its caller discards, the array's own reshuffles).
#include <windows.h>

#include <string>

#include "ui/handle.h"

// Copies src's picture into dst as a 24-bit bottom-up DIB section and records its size as the bitmap's
// dimension. False, dst untouched, when src holds no bitmap or the copy cannot be made.
bool CopyBitmap(const CBitmap& src, CBitmap& dst);

// Replaces dst by a bitmap compatible with `reference` holding the source pixels of `rect` 1:1, and records
// the rectangle's size as its dimension. True.
bool CopyBitmapRect(const CBitmap& src, CBitmap& dst, const RECT& rect, HDC reference);

// The dimension recorded on a bitmap (SetBitmapDimensionEx); 0 x 0 when none.
SIZE RecordedDimension(const CBitmap& bmp);

class CLayerInfo {
  public:
    CLayerInfo() = default;
    virtual ~CLayerInfo() = default;
    CLayerInfo(const CLayerInfo& other);
    CLayerInfo& operator=(const CLayerInfo& other);
    CLayerInfo(CLayerInfo&& other) noexcept = default;
    CLayerInfo& operator=(CLayerInfo&& other) noexcept = default;

    int m_nID = 0;              // the caller's key, unique within one control
    int m_nZOrder = 0;          // stacking key: lower is drawn first
    std::wstring m_strTip;      // tool tip over the layer; empty for none
    bool m_bVisible = false;    // drawn and hit-tested
    bool m_bHasRegion = false;  // m_rgn is a valid hit region
    bool m_bHitEnabled = true;  // a right-button press may hold it
    bool m_bDragging = false;   // held by the right button
    bool m_bDragOnTop = true;   // while held, painted above every other layer
    bool m_bScaled = true;      // drawn fitted to the control's height
    POINT m_ptOrigin{0, 0};     // top-left corner in client pixels
    CBitmap m_bmp;              // the picture; its recorded dimension is its size
    CRgn m_rgn;                 // hit region in client pixels
    int m_nSrcWidth = 0;        // the source picture's size, recorded for the caller
    int m_nSrcHeight = 0;
    int m_nBitDepth = 14;  // detector bit depth: selects the window adjustment step
    int m_nWindowWidth = 0x3FFF;
    int m_nWindowLevel = 0x2000;

  private:
    void CopyFrom(const CLayerInfo& other);
};
