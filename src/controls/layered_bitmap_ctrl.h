#pragma once
// CLayeredBitmapCtrl: a static control that holds an ordered stack of bitmap layers (copies it owns), paints
// the visible ones over a background from a cached composition, shows per-layer tool tips, and lets the
// operator change a layer's window width and level by dragging it with the right button (the values go to
// the parent's caption). Bound to a template static by the dialog's data exchange.
#include <string>
#include <vector>

#include "controls/layer_info.h"
#include "ui/controls.h"
#include "ui/handle.h"

class CLayeredBitmapCtrl : public CStatic {
  public:
    CLayeredBitmapCtrl() = default;
    ~CLayeredBitmapCtrl() override;

    // Appends a copy on top, setting the caller's m_nZOrder to the current count; false for a duplicate id.
    bool AddLayer(CLayerInfo& layer);
    // The same for a layer the caller discards: it is moved in instead of copied.
    bool AddLayer(CLayerInfo&& layer);
    // Erases the first layer with the id (false when none), then renumbers in either case.
    bool RemoveLayer(int id);
    // The stored layer with the id, valid until the stack next changes; null when none.
    CLayerInfo* FindLayer(int id);
    bool ShowLayer(int id, bool show);
    // Gives the layer (stored or not) a rectangular hit region at the client origin, scaled-size wide and
    // high; the caller moves it by the layer's origin.
    bool BuildLayerRegion(CLayerInfo* layer) const;
    // The intersection of the two layers' unscaled rectangles; `out` may be null.
    bool GetLayerIntersection(const CLayerInfo* a, const CLayerInfo* b, RECT* out) const;
    bool SortLayers();
    bool RenumberLayers();
    // Rebuilds the cached composition: background, then every visible layer back to front.
    bool ComposeLayers();
    // Draws one layer into a bitmap of the client's size: stretched opaque into (origin, scaled size), or
    // copied 1:1 at the origin when not scaled.
    bool DrawLayer(CBitmap* target, CLayerInfo* layer) const;
    // Sorts, composes and invalidates the whole client area.
    bool Refresh();
    // A system colour (the dialog face under a dialog, else the window colour) or black.
    void SetBackground(bool enable, bool redraw);
    // Creates the tool tip the first time tips are enabled; disabling keeps it.
    void EnableLayerTips(bool enable);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    const std::vector<CLayerInfo>& Layers() const { return m_layers; }
    const CBitmap& ComposedBitmap() const { return m_bmpComposed; }
    COLORREF BackgroundColor() const { return m_crBackground; }
    bool ParentIsDialog() const { return m_bParentIsDialog; }
    bool TipsEnabled() const { return m_bTipsEnabled; }
    const std::wstring& CurrentTip() const { return m_strTip; }
    HWND ToolTipWindow() const { return m_toolTip.m_hWnd; }

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void OnPaint();
    void OnMouseMove(UINT flags, POINT pt);
    void OnRButtonDown(UINT flags, POINT pt);
    void OnRButtonUp(UINT flags, POINT pt);
    LRESULT OnCaptureChanged(WPARAM, LPARAM lp);
    void OnSysColorChange();

    // Puts every held layer back (shown, not held); true when one was held.
    bool PutHeldLayersBack();

    // The top-most visible layer whose region holds the point (and, when asked, that may be held).
    CLayerInfo* HitTest(POINT pt, bool hitEnabledOnly);
    void UpdateTip(POINT pt);
    void ShowWindowValues(const CLayerInfo& layer) const;
    // Draws the part of `upper` that overlaps the held layer over it into the frame.
    void DrawOverlayPiece(CBitmap& frame, const CLayerInfo& held, const CLayerInfo& upper, const RECT& r,
                          HDC paintDC) const;
    bool InsertLayer(CLayerInfo&& copy);

    CBitmap m_bmpComposed;
    std::vector<CLayerInfo> m_layers;
    bool m_bTipsEnabled = false;
    bool m_bTipCreated = false;
    std::wstring m_strTip;
    CToolTipCtrl m_toolTip;
    bool m_bParentIsDialog = true;
    bool m_bBackground = false;
    COLORREF m_crBackground = RGB(0, 0, 0);
    POINT m_ptLast{0, 0};
    int m_nZoomDivisor = 1;
};
