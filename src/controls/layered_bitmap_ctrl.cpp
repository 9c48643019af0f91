#include "controls/layered_bitmap_ctrl.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "controls/dib_layout.h"
#include "ui/dialog.h"
#include "ui/gdi.h"

SIDECAR_MESSAGE_MAP(CLayeredBitmapCtrl, CStatic, M::Event<&CLayeredBitmapCtrl::OnPaint>(WM_PAINT),
                    M::Mouse<&CLayeredBitmapCtrl::OnMouseMove>(WM_MOUSEMOVE),
                    M::Mouse<&CLayeredBitmapCtrl::OnRButtonDown>(WM_RBUTTONDOWN),
                    M::Mouse<&CLayeredBitmapCtrl::OnRButtonUp>(WM_RBUTTONUP),
                    M::Message<&CLayeredBitmapCtrl::OnCaptureChanged>(WM_CAPTURECHANGED),
                    M::Event<&CLayeredBitmapCtrl::OnSysColorChange>(WM_SYSCOLORCHANGE))

namespace {

// The control as a tool of its own tip: identified by its window, as a child of its parent. The structure
// size is the one the classic common controls (5.8) accept as well as version 6.
TTTOOLINFOW ToolInfoFor(HWND control) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(control);
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    return ti;
}

SIZE ClientSize(HWND hwnd) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void FillSolidRect(HDC dc, const RECT& rc, COLORREF color) {
    COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

}  // namespace

CLayeredBitmapCtrl::~CLayeredBitmapCtrl() {
    // The tip is a pop-up we created: it goes with us (its framework object only unbinds itself).
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
}

bool CLayeredBitmapCtrl::AddLayer(CLayerInfo& layer) {
    if (FindLayer(layer.m_nID))
        return false;
    layer.m_nZOrder = static_cast<int>(m_layers.size());
    return InsertLayer(CLayerInfo(layer));
}

bool CLayeredBitmapCtrl::AddLayer(CLayerInfo&& layer) {
    if (FindLayer(layer.m_nID))
        return false;
    layer.m_nZOrder = static_cast<int>(m_layers.size());
    return InsertLayer(std::move(layer));
}

bool CLayeredBitmapCtrl::InsertLayer(CLayerInfo&& copy) {
    try {
        m_layers.push_back(std::move(copy));
    } catch (...) {  // out of memory: nothing stored
        return false;
    }
    return true;
}

bool CLayeredBitmapCtrl::RemoveLayer(int id) {
    auto it =
        std::find_if(m_layers.begin(), m_layers.end(), [id](const CLayerInfo& l) { return l.m_nID == id; });
    bool found = it != m_layers.end();
    bool held = false;
    if (found) {
        held = it->m_bDragging;
        m_layers.erase(it);
    }
    RenumberLayers();
    // The held layer gone (a new picture during a right-button drag): the mouse is let go with it, so the
    // dialog's buttons answer the next click. One right button holds one layer.
    if (held && m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    return found;
}

CLayerInfo* CLayeredBitmapCtrl::FindLayer(int id) {
    for (CLayerInfo& layer : m_layers) {
        if (layer.m_nID == id)
            return &layer;
    }
    return nullptr;
}

bool CLayeredBitmapCtrl::ShowLayer(int id, bool show) {
    CLayerInfo* layer = FindLayer(id);
    if (!layer)
        return false;
    layer->m_bVisible = show;
    return true;
}

bool CLayeredBitmapCtrl::BuildLayerRegion(CLayerInfo* layer) const {
    BITMAP bm{};
    if (!layer || !layer->m_bmp || ::GetObjectW(layer->m_bmp.Get(), sizeof(bm), &bm) == 0)
        return false;
    layer->m_bHasRegion = true;
    layer->m_rgn.Attach(::CreateRectRgn(0, 0, 0, 0));
    RECT rc = GetClientRect();
    CLayerSize size =
        ScaledLayerSize(rc.right - rc.left, rc.bottom - rc.top, m_nZoomDivisor, bm.bmWidth, bm.bmHeight);
    CRgn rect(::CreateRectRgn(rc.left, rc.top, size.cx, size.cy));
    ::CombineRgn(layer->m_rgn.Get(), rect.Get(), nullptr, RGN_COPY);
    return true;
}

bool CLayeredBitmapCtrl::GetLayerIntersection(const CLayerInfo* a, const CLayerInfo* b, RECT* out) const {
    if (!a || !b || !a->m_bmp || !b->m_bmp)
        return false;
    auto rectOf = [](const CLayerInfo& l) {
        SIZE dim = RecordedDimension(l.m_bmp);
        RECT r{l.m_ptOrigin.x, l.m_ptOrigin.y, l.m_ptOrigin.x + dim.cx, l.m_ptOrigin.y + dim.cy};
        if (r.left > r.right)
            std::swap(r.left, r.right);
        if (r.top > r.bottom)
            std::swap(r.top, r.bottom);
        return r;
    };
    RECT ra = rectOf(*a);
    RECT rb = rectOf(*b);
    RECT r{};
    bool meet = ::IntersectRect(&r, &ra, &rb) != FALSE;
    if (out)
        *out = r;
    return meet;
}

bool CLayeredBitmapCtrl::SortLayers() {
    if (m_layers.empty())
        return false;
    std::sort(m_layers.begin(), m_layers.end(),
              [](const CLayerInfo& a, const CLayerInfo& b) { return a.m_nZOrder < b.m_nZOrder; });
    return true;
}

bool CLayeredBitmapCtrl::RenumberLayers() {
    if (m_layers.empty())
        return false;
    for (std::size_t i = 0; i < m_layers.size(); ++i)
        m_layers[i].m_nZOrder = static_cast<int>(i);
    return true;
}

bool CLayeredBitmapCtrl::ComposeLayers() {
    CClientDC windowDC(m_hWnd);
    SIZE client = ClientSize(m_hWnd);
    m_bmpComposed.Reset();
    m_bmpComposed.Attach(::CreateCompatibleBitmap(windowDC.Get(), client.cx, client.cy));
    ::SetBitmapDimensionEx(m_bmpComposed.Get(), client.cx, client.cy, nullptr);
    {
        CMemDC mem = CreateCompatibleMemDC(windowDC.Get());
        CSelectObject select(mem.Get(), m_bmpComposed.Get());
        FillSolidRect(mem.Get(), RECT{0, 0, client.cx, client.cy}, m_crBackground);
    }
    for (CLayerInfo& layer : m_layers) {
        if (layer.m_bVisible)
            DrawLayer(&m_bmpComposed, &layer);
    }
    return true;
}

bool CLayeredBitmapCtrl::DrawLayer(CBitmap* target, CLayerInfo* layer) const {
    if (!target || !*target || !layer || !layer->m_bmp)
        return false;
    const SIZE client = ClientSize(m_hWnd);
    const int W = client.cx;
    const int H = client.cy;
    CMemDC targetDC = CreateCompatibleMemDC(nullptr);
    CMemDC sourceDC = CreateCompatibleMemDC(nullptr);
    CSelectObject selectTarget(targetDC.Get(), target->Get());
    CSelectObject selectSource(sourceDC.Get(), layer->m_bmp.Get());
    const SIZE dim = RecordedDimension(layer->m_bmp);
    const POINT org = layer->m_ptOrigin;

    if (!layer->m_bScaled) {
        ::BitBlt(targetDC.Get(), org.x, org.y, W, H, sourceDC.Get(), 0, 0, SRCCOPY);
        return true;
    }

    const CLayerSize size = ScaledLayerSize(W, H, m_nZoomDivisor, dim.cx, dim.cy);
    // The layer goes in opaque through a mask of its rectangle: the target keeps every pixel outside it.
    CBitmap mask(::CreateBitmap(W, H, 1, 1, nullptr));
    CBitmap work1(::CreateCompatibleBitmap(targetDC.Get(), W, H));
    CBitmap work2(::CreateCompatibleBitmap(targetDC.Get(), W, H));
    CMemDC maskDC = CreateCompatibleMemDC(targetDC.Get());
    CMemDC work1DC = CreateCompatibleMemDC(targetDC.Get());
    CMemDC work2DC = CreateCompatibleMemDC(targetDC.Get());
    CSelectObject selectMask(maskDC.Get(), mask.Get());
    CSelectObject selectWork1(work1DC.Get(), work1.Get());
    CSelectObject selectWork2(work2DC.Get(), work2.Get());

    // Mask: ones (the context's white brush) exactly on the layer's rectangle. A new bitmap's bits are
    // undefined, so the rest is cleared first.
    ::PatBlt(maskDC.Get(), 0, 0, W, H, BLACKNESS);
    ::SetStretchBltMode(maskDC.Get(), COLORONCOLOR);
    ::StretchBlt(maskDC.Get(), org.x, org.y, size.cx, size.cy, nullptr, 0, 0, 0, 0, PATCOPY);

    // Work 1: the target with a black hole where the layer goes.
    ::BitBlt(work1DC.Get(), 0, 0, W, H, maskDC.Get(), 0, 0, NOTSRCCOPY);
    ::BitBlt(work1DC.Get(), 0, 0, W, H, targetDC.Get(), 0, 0, SRCAND);

    // Work 2: white where the layer goes, then the stretched layer ANDed in; black elsewhere.
    ::BitBlt(work2DC.Get(), 0, 0, W, H, maskDC.Get(), 0, 0, SRCCOPY);
    HPALETTE palette = static_cast<HPALETTE>(::GetCurrentObject(targetDC.Get(), OBJ_PAL));
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = ::SelectPalette(work2DC.Get(), palette, FALSE);
        ::RealizePalette(work2DC.Get());
    }
    ::SetStretchBltMode(work2DC.Get(), COLORONCOLOR);
    ::StretchBlt(work2DC.Get(), org.x, org.y, size.cx, size.cy, sourceDC.Get(), 0, 0, dim.cx, dim.cy, SRCAND);

    ::BitBlt(work2DC.Get(), 0, 0, W, H, work1DC.Get(), 0, 0, SRCPAINT);
    ::BitBlt(targetDC.Get(), 0, 0, W, H, work2DC.Get(), 0, 0, SRCCOPY);
    if (oldPalette)
        ::SelectPalette(work2DC.Get(), oldPalette, FALSE);
    return true;
}

bool CLayeredBitmapCtrl::Refresh() {
    SortLayers();
    ComposeLayers();
    Invalidate(TRUE);
    return true;
}

void CLayeredBitmapCtrl::SetBackground(bool enable, bool redraw) {
    m_bBackground = enable;
    if (enable) {
        if (HWND parent = ::GetParent(m_hWnd)) {
            m_bParentIsDialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(parent)) != nullptr;
        }
        m_crBackground = ::GetSysColor(m_bParentIsDialog ? COLOR_3DFACE : COLOR_WINDOW);
    } else {
        m_crBackground = RGB(0, 0, 0);
    }
    if (redraw)
        Refresh();
}

void CLayeredBitmapCtrl::EnableLayerTips(bool enable) {
    m_bTipsEnabled = enable;
    if (!enable || m_bTipCreated)
        return;
    if (!m_toolTip.Create(m_hWnd, 0))
        return;
    m_toolTip.Activate(TRUE);
    TTTOOLINFOW ti = ToolInfoFor(m_hWnd);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    m_toolTip.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    m_toolTip.SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, 0);
    m_bTipCreated = true;
}

BOOL CLayeredBitmapCtrl::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_MOUSEMOVE && pMsg->message <= 0x020D && ::IsWindow(pMsg->hwnd) &&
        m_bTipsEnabled && !m_strTip.empty() && m_bTipCreated) {
        m_toolTip.RelayEvent(pMsg);
    }
    return CStatic::PreTranslateMessage(pMsg);
}

CLayerInfo* CLayeredBitmapCtrl::HitTest(POINT pt, bool hitEnabledOnly) {
    for (auto it = m_layers.rbegin(); it != m_layers.rend(); ++it) {
        if (!it->m_bVisible || !it->m_bHasRegion || !it->m_rgn)
            continue;
        if (hitEnabledOnly && !it->m_bHitEnabled)
            continue;
        if (::PtInRegion(it->m_rgn.Get(), pt.x, pt.y))
            return &*it;
    }
    return nullptr;
}

void CLayeredBitmapCtrl::ShowWindowValues(const CLayerInfo& layer) const {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"WW : %d, WL : %d", layer.m_nWindowWidth, layer.m_nWindowLevel);
    ::SetWindowTextW(::GetParent(m_hWnd), text);
}

void CLayeredBitmapCtrl::OnRButtonDown(UINT, POINT pt) {
    if (m_layers.empty()) {
        Default();
        return;
    }
    if (CLayerInfo* layer = HitTest(pt, true)) {
        layer->m_bDragging = true;
        layer->m_bVisible = false;
        if (::GetParent(m_hWnd)) {
            ::SetCapture(m_hWnd);
            m_ptLast = pt;
            ShowWindowValues(*layer);
        }
    }
    Refresh();
    Default();
}

void CLayeredBitmapCtrl::OnMouseMove(UINT flags, POINT pt) {
    if (m_layers.empty()) {
        Default();
        return;
    }
    if (flags & MK_RBUTTON) {
        bool changed = false;
        for (auto it = m_layers.rbegin(); it != m_layers.rend(); ++it) {
            if (!it->m_bDragging)
                continue;
            if (!::GetParent(m_hWnd))
                break;
            CWindowValues values = AdjustWindow({it->m_nWindowWidth, it->m_nWindowLevel}, it->m_nBitDepth,
                                                (flags & MK_SHIFT) != 0, m_ptLast.x, m_ptLast.y, pt.x, pt.y);
            it->m_nWindowWidth = values.nWidth;
            it->m_nWindowLevel = values.nLevel;
            ShowWindowValues(*it);
            m_ptLast = pt;
            changed = true;
        }
        // The values are shown only: the picture is repainted from the cached composition, not recomposed.
        if (changed)
            Invalidate(TRUE);
    }
    UpdateTip(pt);
    Default();
}

void CLayeredBitmapCtrl::UpdateTip(POINT pt) {
    if (!m_bTipsEnabled || !m_bTipCreated)
        return;
    // Only the top-most layer under the point speaks; a lower layer's tip is not consulted.
    CLayerInfo* layer = HitTest(pt, false);
    if (layer && !layer->m_strTip.empty()) {
        m_strTip = layer->m_strTip;
        TTTOOLINFOW ti = ToolInfoFor(m_hWnd);
        ti.lpszText = m_strTip.data();
        m_toolTip.SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        m_toolTip.SendMessage(TTM_POPUP);  // at once; a library without it shows the tip as the mouse rests
    } else {
        m_strTip.clear();
        m_toolTip.SendMessage(TTM_POP);
    }
}

void CLayeredBitmapCtrl::OnRButtonUp(UINT, POINT) {
    if (m_layers.empty()) {
        Default();
        return;
    }
    // The layers are put back before the capture goes, so that the capture change finds nothing held.
    if (PutHeldLayersBack() && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Refresh();
    Default();
}

// The mouse taken away during a drag (another window's capture, a message box): the drag ends there, as if
// the right button had come up.
LRESULT CLayeredBitmapCtrl::OnCaptureChanged(WPARAM, LPARAM lp) {
    if (reinterpret_cast<HWND>(lp) != m_hWnd && PutHeldLayersBack())
        Refresh();
    Default();
    return 0;
}

bool CLayeredBitmapCtrl::PutHeldLayersBack() {
    bool held = false;
    for (CLayerInfo& layer : m_layers) {
        if (!layer.m_bDragging)
            continue;
        layer.m_bVisible = true;
        layer.m_bDragging = false;
        held = true;
    }
    return held;
}

void CLayeredBitmapCtrl::OnSysColorChange() {
    Default();
    if (m_bBackground) {
        m_crBackground = ::GetSysColor(m_bParentIsDialog ? COLOR_3DFACE : COLOR_WINDOW);
        Refresh();
    }
}

void CLayeredBitmapCtrl::DrawOverlayPiece(CBitmap& frame, const CLayerInfo& held, const CLayerInfo& upper,
                                          const RECT& r, HDC paintDC) const {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const SIZE dimD = RecordedDimension(held.m_bmp);
    const SIZE dimL = RecordedDimension(upper.m_bmp);
    auto sourceStart = [](LONG heldOrigin, LONG upperOrigin, LONG heldDim, LONG upperDim, int extent,
                          LONG rectStart) -> LONG {
        if (heldOrigin < upperOrigin)
            return 0;
        if (heldDim < upperDim && upperDim > extent)
            return rectStart - upperOrigin;
        return upperDim - extent;
    };
    const LONG sx = sourceStart(held.m_ptOrigin.x, upper.m_ptOrigin.x, dimD.cx, dimL.cx, w, r.left);
    const LONG sy = sourceStart(held.m_ptOrigin.y, upper.m_ptOrigin.y, dimD.cy, dimL.cy, h, r.top);

    // The piece is the upper layer cut to the overlap; only its picture, origin and scaling are drawn.
    CLayerInfo piece;
    piece.m_nID = upper.m_nID;
    piece.m_bScaled = upper.m_bScaled;
    piece.m_ptOrigin = {r.left, r.top};
    CopyBitmapRect(upper.m_bmp, piece.m_bmp, RECT{sx, sy, sx + w, sy + h}, paintDC);
    DrawLayer(&frame, &piece);
}

void CLayeredBitmapCtrl::OnPaint() {
    CPaintDC dc(m_hWnd);
    if (!m_bmpComposed)
        return;
    RECT rc = GetClientRect();

    // With no layer held the frame would be an exact copy of the composition: blit that directly.
    bool anyHeld =
        std::any_of(m_layers.begin(), m_layers.end(), [](const CLayerInfo& l) { return l.m_bDragging; });
    CBitmap frame;
    if (anyHeld) {
        if (!CopyBitmap(m_bmpComposed, frame))
            return;
        const CLayerInfo* held = nullptr;
        bool overlay = false;
        for (CLayerInfo& layer : m_layers) {
            RECT r{};
            if (overlay && layer.m_bVisible && GetLayerIntersection(held, &layer, &r)) {
                DrawOverlayPiece(frame, *held, layer, r, dc.Get());
            }
            if (layer.m_bDragging) {
                DrawLayer(&frame, &layer);
                held = &layer;
                if (!layer.m_bDragOnTop)
                    overlay = true;
            }
        }
    }
    const CBitmap& shown = anyHeld ? frame : m_bmpComposed;
    CMemDC mem = CreateCompatibleMemDC(dc.Get());
    CSelectObject select(mem.Get(), shown.Get());
    ::BitBlt(dc.Get(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem.Get(), 0, 0, SRCCOPY);
}
