// The layered bitmap control: the layer stack and its value copies, regions and hit tests, the composed
// picture, painting with a held layer, the right-button window adjustment, tips and background colours.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "controls/base_bitmap.h"
#include "controls/layered_bitmap_ctrl.h"
#include "resources/resource.h"
#include "review/dlg_review.h"
#include "ui/dialog.h"
#include "ui/gdi.h"

namespace {

// A top-level pop-up (not a framework dialog) holding one notifying static bound to the control.
class CHost {
  public:
    CHost(int cx, int cy) {
        m_hParent = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, cx + 40, cy + 40,
                                      nullptr, nullptr, nullptr, nullptr);
        HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, cx, cy,
                                       m_hParent, reinterpret_cast<HMENU>(1035), nullptr, nullptr);
        ctrl.SubclassWindow(child);
    }
    ~CHost() { ::DestroyWindow(m_hParent); }
    HWND Parent() const { return m_hParent; }
    std::wstring Caption() const {
        wchar_t text[128] = {};
        ::GetWindowTextW(m_hParent, text, 128);
        return text;
    }

    CLayeredBitmapCtrl ctrl;

  private:
    HWND m_hParent = nullptr;
};

// A layer whose bitmap is a w x h 24-bit copy of a picture painted by `paint` (x, y) -> colour.
template <class F>
CLayerInfo MakeLayer(int id, int w, int h, F paint) {
    CLayerInfo layer;
    layer.m_nID = id;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CBitmap source(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = paint(x, y);
            px[y * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    EXPECT_TRUE(CopyBitmap(source, layer.m_bmp));
    return layer;
}

CLayerInfo MakeSolidLayer(int id, int w, int h, COLORREF color) {
    return MakeLayer(id, w, h, [color](int, int) { return color; });
}

// Every pixel of a bitmap, top row first.
struct CPixels {
    int w = 0;
    int h = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const {
        DWORD v = px[static_cast<std::size_t>(y) * w + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
};

CPixels ReadPixels(HBITMAP bmp) {
    CPixels out;
    BITMAP bm{};
    if (!::GetObjectW(bmp, sizeof(bm), &bm))
        return out;
    out.w = bm.bmWidth;
    out.h = bm.bmHeight;
    out.px.resize(static_cast<std::size_t>(out.w) * out.h);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), out.w, -out.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    CClientDC screen(nullptr);
    ::GetDIBits(screen.Get(), bmp, 0, static_cast<UINT>(out.h), out.px.data(), &info, DIB_RGB_COLORS);
    return out;
}

// What the control shows on screen after painting.
CPixels ReadWindow(HWND hwnd) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    CClientDC dc(hwnd);
    CMemDC mem = CreateCompatibleMemDC(dc.Get());
    CBitmap shot(::CreateCompatibleBitmap(dc.Get(), rc.right, rc.bottom));
    {
        CSelectObject select(mem.Get(), shot.Get());
        ::BitBlt(mem.Get(), 0, 0, rc.right, rc.bottom, dc.Get(), 0, 0, SRCCOPY);
    }
    return ReadPixels(shot.Get());
}

using CBox = std::array<LONG, 4>;  // left, top, right, bottom

CBox RegionBox(const CRgn& rgn) {
    RECT box{};
    ::GetRgnBox(rgn.Get(), &box);
    return {box.left, box.top, box.right, box.bottom};
}

std::vector<int> Ids(const CLayeredBitmapCtrl& c) {
    std::vector<int> ids;
    for (const CLayerInfo& l : c.Layers())
        ids.push_back(l.m_nID);
    return ids;
}
std::vector<int> ZOrders(const CLayeredBitmapCtrl& c) {
    std::vector<int> z;
    for (const CLayerInfo& l : c.Layers())
        z.push_back(l.m_nZOrder);
    return z;
}

void Send(HWND hwnd, UINT msg, WPARAM flags, int x, int y) {
    ::SendMessageW(hwnd, msg, flags, MAKELPARAM(x, y));
}

// A shown layer with its region built at its origin, as the review dialog makes it.
void Place(CLayeredBitmapCtrl& ctrl, CLayerInfo& layer, POINT origin) {
    layer.m_ptOrigin = origin;
    ASSERT_TRUE(ctrl.BuildLayerRegion(&layer));
    ::OffsetRgn(layer.m_rgn.Get(), origin.x, origin.y);
    ASSERT_TRUE(ctrl.AddLayer(layer));
    ASSERT_TRUE(ctrl.ShowLayer(layer.m_nID, true));
}

TEST(LayeredBitmapCtrl, StackAddsOnTopRefusesDuplicatesAndRenumbersAfterRemoval) {
    CHost host(200, 100);
    CLayeredBitmapCtrl& c = host.ctrl;
    EXPECT_FALSE(c.SortLayers());
    EXPECT_FALSE(c.RenumberLayers());

    CLayerInfo a = MakeSolidLayer(10, 4, 4, RGB(255, 0, 0));
    CLayerInfo b = MakeSolidLayer(20, 4, 4, RGB(0, 255, 0));
    CLayerInfo c3 = MakeSolidLayer(30, 4, 4, RGB(0, 0, 255));
    a.m_nZOrder = b.m_nZOrder = c3.m_nZOrder = 99;
    EXPECT_TRUE(c.AddLayer(a));
    EXPECT_TRUE(c.AddLayer(b));
    EXPECT_TRUE(c.AddLayer(c3));
    EXPECT_EQ(a.m_nZOrder, 0);  // the caller's object learns its place
    EXPECT_EQ(c3.m_nZOrder, 2);

    CLayerInfo dup = MakeSolidLayer(20, 4, 4, RGB(1, 1, 1));
    dup.m_nZOrder = 7;
    EXPECT_FALSE(c.AddLayer(dup));
    EXPECT_EQ(dup.m_nZOrder, 7);
    EXPECT_EQ(Ids(c), (std::vector<int>{10, 20, 30}));

    // The control holds copies: changing the caller's layer changes nothing stored.
    a.m_strTip = L"caller's";
    EXPECT_TRUE(c.FindLayer(10)->m_strTip.empty());
    EXPECT_NE(c.FindLayer(10)->m_bmp.Get(), a.m_bmp.Get());

    EXPECT_TRUE(c.RemoveLayer(20));
    EXPECT_EQ(Ids(c), (std::vector<int>{10, 30}));
    EXPECT_EQ(ZOrders(c), (std::vector<int>{0, 1}));
    EXPECT_FALSE(c.RemoveLayer(20));
    EXPECT_EQ(c.FindLayer(20), nullptr);
    EXPECT_FALSE(c.ShowLayer(20, true));
    EXPECT_TRUE(c.ShowLayer(30, true));
    EXPECT_TRUE(c.FindLayer(30)->m_bVisible);
    EXPECT_FALSE(c.FindLayer(10)->m_bVisible);

    // An id freed by removal can be used again, and lands on top.
    CLayerInfo again = MakeSolidLayer(20, 4, 4, RGB(0, 255, 0));
    EXPECT_TRUE(c.AddLayer(again));
    EXPECT_EQ(again.m_nZOrder, 2);

    // Edited z-orders are put back in order by sorting.
    c.FindLayer(10)->m_nZOrder = 5;
    EXPECT_TRUE(c.SortLayers());
    EXPECT_EQ(Ids(c), (std::vector<int>{30, 20, 10}));
    EXPECT_TRUE(c.RenumberLayers());
    EXPECT_EQ(ZOrders(c), (std::vector<int>{0, 1, 2}));
}

TEST(LayeredBitmapCtrl, LayerCopiesAreDeepAndRegionsTravelAsRegionData) {
    CLayerInfo src = MakeSolidLayer(3, 6, 5, RGB(10, 20, 30));
    src.m_strTip = L"tip";
    src.m_ptOrigin = {7, 8};
    src.m_nWindowWidth = 100;
    src.m_bHasRegion = true;
    src.m_rgn.Attach(::CreateRectRgn(1, 2, 30, 40));

    CLayerInfo copy(src);
    EXPECT_EQ(copy.m_nID, 3);
    EXPECT_EQ(copy.m_strTip, L"tip");
    EXPECT_EQ(copy.m_ptOrigin.x, 7);
    EXPECT_EQ(copy.m_nWindowWidth, 100);
    ASSERT_TRUE(copy.m_bmp);
    EXPECT_NE(copy.m_bmp.Get(), src.m_bmp.Get());
    EXPECT_EQ(ReadPixels(copy.m_bmp.Get()).At(5, 4), RGB(10, 20, 30));
    EXPECT_TRUE(copy.m_bHasRegion);
    ASSERT_TRUE(copy.m_rgn);
    EXPECT_NE(copy.m_rgn.Get(), src.m_rgn.Get());
    EXPECT_EQ(RegionBox(copy.m_rgn), (CBox{1, 2, 30, 40}));

    // A region flag without a region: the copy says it has none.
    CLayerInfo noRegion;
    noRegion.m_bHasRegion = true;
    CLayerInfo copy2(noRegion);
    EXPECT_FALSE(copy2.m_bHasRegion);
    EXPECT_FALSE(copy2.m_bmp);

    // Assigning a layer without a bitmap keeps the destination's bitmap.
    HBITMAP kept = copy.m_bmp.Get();
    copy = noRegion;
    EXPECT_EQ(copy.m_bmp.Get(), kept);
    EXPECT_FALSE(copy.m_bHasRegion);

    // The source's objects outlive the copy, and the copy's outlive the source.
    long before = GdiLiveObjects();
    {
        // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is the subject
        CLayerInfo scoped(src);
        EXPECT_EQ(GdiLiveObjects(), before + 2);
    }
    EXPECT_EQ(GdiLiveObjects(), before);
}

TEST(LayeredBitmapCtrl, CopyBitmapMakesAn24BitSectionWithItsDimensionAndCopyRectCuts) {
    CBaseBitmap grey;
    const BYTE picture[] = {255, 128, 0, 64, 32, 16};  // 3 x 2, top row first
    ASSERT_NE(grey.SetGreyPixels(picture, 3, 2), nullptr);

    CBitmap copy;
    ASSERT_TRUE(CopyBitmap(grey.m_bmp, copy));
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(copy.Get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBmih.biBitCount, 24);
    EXPECT_GT(dib.dsBmih.biHeight, 0) << "bottom-up";
    SIZE dim = RecordedDimension(copy);
    EXPECT_EQ(dim.cx, 3);
    EXPECT_EQ(dim.cy, 2);
    CPixels px = ReadPixels(copy.Get());
    EXPECT_EQ(px.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(px.At(1, 0), RGB(128, 128, 128));
    EXPECT_EQ(px.At(2, 1), RGB(16, 16, 16));

    // The copy does not depend on its source.
    grey.Free();
    EXPECT_EQ(ReadPixels(copy.Get()).At(0, 1), RGB(64, 64, 64));

    // An empty source leaves the destination as it was.
    CBitmap empty;
    HBITMAP before = copy.Get();
    EXPECT_FALSE(CopyBitmap(empty, copy));
    EXPECT_EQ(copy.Get(), before);

    CLayerInfo big = MakeLayer(1, 40, 30, [](int x, int y) { return RGB(x, y, 0); });
    CBitmap piece;
    CClientDC screen(nullptr);
    ASSERT_TRUE(CopyBitmapRect(big.m_bmp, piece, RECT{10, 5, 25, 12}, screen.Get()));
    dim = RecordedDimension(piece);
    EXPECT_EQ(dim.cx, 15);
    EXPECT_EQ(dim.cy, 7);
    CPixels cut = ReadPixels(piece.Get());
    EXPECT_EQ(cut.At(0, 0), RGB(10, 5, 0));
    EXPECT_EQ(cut.At(14, 6), RGB(24, 11, 0));
}

TEST(LayeredBitmapCtrl, RegionIsBuiltAtTheOriginAtTheScaledSizeAndOnlyRegionsAreHit) {
    CHost host(500, 400);
    CLayeredBitmapCtrl& c = host.ctrl;
    CLayerInfo none;
    EXPECT_FALSE(c.BuildLayerRegion(nullptr));
    EXPECT_FALSE(c.BuildLayerRegion(&none));
    EXPECT_FALSE(none.m_bHasRegion);

    CLayerInfo wide = MakeSolidLayer(0, 2000, 1000, RGB(200, 200, 200));
    wide.m_ptOrigin = {30, 40};
    ASSERT_TRUE(c.BuildLayerRegion(&wide));
    EXPECT_TRUE(wide.m_bHasRegion);
    EXPECT_EQ(RegionBox(wide.m_rgn), (CBox{0, 0, 500, 250})) << "built at the client origin";

    // Hits: layer 1 (region built, at (0, 0)) under layer 2, whose region was never built.
    CLayerInfo lower = MakeSolidLayer(1, 100, 100, RGB(255, 0, 0));
    lower.m_nWindowWidth = 111;
    Place(c, lower, {0, 0});
    CLayerInfo upper = MakeSolidLayer(2, 100, 100, RGB(0, 255, 0));
    ASSERT_TRUE(c.AddLayer(upper));
    ASSERT_TRUE(c.ShowLayer(2, true));
    c.Refresh();

    // The right button holds the lower layer (the upper one has no region).
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    EXPECT_TRUE(c.FindLayer(1)->m_bDragging);
    EXPECT_FALSE(c.FindLayer(2)->m_bDragging);
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 50, 50);

    // A layer that may not be picked is passed over; outside every region nothing is held.
    c.FindLayer(1)->m_bHitEnabled = false;
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    EXPECT_FALSE(c.FindLayer(1)->m_bDragging);
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 50, 50);
    c.FindLayer(1)->m_bHitEnabled = true;
    ::SetWindowTextW(host.Parent(), L"host");
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 450, 350);
    EXPECT_FALSE(c.FindLayer(1)->m_bDragging);
    EXPECT_EQ(host.Caption(), L"host");
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 450, 350);
}

TEST(LayeredBitmapCtrl, ComposesAWideLayerFittedWholeOverTheBackground) {
    // 2000 x 1000 in a 500 x 400 control: too wide for the height, so drawn 500 x 250, every source column
    // seen. A stripe at source columns 1000..1019 lands at 250..254; placed centred at (0, 75), the 75 rows
    // above and below keep the background.
    CHost host(500, 400);
    CLayeredBitmapCtrl& c = host.ctrl;
    c.Refresh();
    CPixels empty = ReadPixels(c.ComposedBitmap().Get());
    ASSERT_EQ(empty.w, 500);
    ASSERT_EQ(empty.h, 400);
    EXPECT_EQ(empty.At(250, 200), RGB(0, 0, 0)) << "no layers: the background alone";
    SIZE dim = RecordedDimension(c.ComposedBitmap());
    EXPECT_EQ(dim.cx, 500);
    EXPECT_EQ(dim.cy, 400);

    CLayerInfo layer = MakeLayer(
        0, 2000, 1000, [](int x, int) { return x >= 1000 && x < 1020 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    Place(c, layer, {0, 75});
    c.Refresh();
    CPixels px = ReadPixels(c.ComposedBitmap().Get());
    EXPECT_EQ(px.At(10, 74), RGB(0, 0, 0));
    EXPECT_EQ(px.At(10, 75), RGB(0, 0, 255));
    EXPECT_EQ(px.At(10, 324), RGB(0, 0, 255));
    EXPECT_EQ(px.At(10, 325), RGB(0, 0, 0));
    EXPECT_EQ(px.At(248, 200), RGB(0, 0, 255));
    EXPECT_EQ(px.At(251, 200), RGB(255, 0, 0));
    EXPECT_EQ(px.At(253, 200), RGB(255, 0, 0));
    EXPECT_EQ(px.At(256, 200), RGB(0, 0, 255));
    EXPECT_EQ(px.At(499, 200), RGB(0, 0, 255)) << "the layer's last columns at the right edge";

    // Hidden layers are not composed.
    c.ShowLayer(0, false);
    c.Refresh();
    EXPECT_EQ(ReadPixels(c.ComposedBitmap().Get()).At(10, 200), RGB(0, 0, 0));

    // An unscaled layer is copied 1:1 at its origin.
    CLayerInfo small =
        MakeLayer(1, 20, 10, [](int x, int) { return x < 10 ? RGB(0, 255, 0) : RGB(255, 255, 0); });
    small.m_bScaled = false;
    small.m_ptOrigin = {100, 100};
    c.AddLayer(small);
    c.ShowLayer(1, true);
    c.Refresh();
    px = ReadPixels(c.ComposedBitmap().Get());
    EXPECT_EQ(px.At(99, 100), RGB(0, 0, 0));
    EXPECT_EQ(px.At(100, 100), RGB(0, 255, 0));
    EXPECT_EQ(px.At(115, 109), RGB(255, 255, 0));
    EXPECT_EQ(px.At(115, 110), RGB(0, 0, 0));

    // What reaches the screen is the composition.
    CPixels shown = ReadWindow(c.m_hWnd);
    ASSERT_EQ(shown.w, 500);
    EXPECT_EQ(shown.At(100, 100), RGB(0, 255, 0));
    EXPECT_EQ(shown.At(10, 200), RGB(0, 0, 0));

    // Drawing needs a target and a layer with a bitmap.
    CLayerInfo bare;
    CBitmap target = CBitmap(::CreateBitmap(1, 1, 1, 32, nullptr));
    EXPECT_FALSE(c.DrawLayer(nullptr, &layer));
    EXPECT_FALSE(c.DrawLayer(&target, nullptr));
    EXPECT_FALSE(c.DrawLayer(&target, &bare));
}

TEST(LayeredBitmapCtrl, AHeldLayerIsPaintedOverTheCompositionAndOverlaidWhenNotOnTop) {
    CHost host(300, 200);
    CLayeredBitmapCtrl& c = host.ctrl;
    // Unscaled so the rectangles read plainly: red 100 x 100 at (0, 0) held, green 100 x 100 at (50, 50)
    // above it.
    CLayerInfo red = MakeSolidLayer(1, 100, 100, RGB(255, 0, 0));
    red.m_bScaled = false;
    red.m_bDragOnTop = false;
    red.m_bHasRegion = true;
    red.m_rgn.Attach(::CreateRectRgn(0, 0, 100, 100));
    CLayerInfo green = MakeSolidLayer(2, 100, 100, RGB(0, 255, 0));
    green.m_bScaled = false;
    green.m_ptOrigin = {50, 50};
    ASSERT_TRUE(c.AddLayer(red));
    ASSERT_TRUE(c.AddLayer(green));
    c.ShowLayer(1, true);
    c.ShowLayer(2, true);
    c.Refresh();

    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 10, 10);
    ASSERT_TRUE(c.FindLayer(1)->m_bDragging);
    EXPECT_FALSE(c.FindLayer(1)->m_bVisible);
    // The composition lacks the held layer; the screen has it, with the green layer over the overlap.
    EXPECT_EQ(ReadPixels(c.ComposedBitmap().Get()).At(10, 10), RGB(0, 0, 0));
    CPixels shown = ReadWindow(c.m_hWnd);
    EXPECT_EQ(shown.At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(shown.At(75, 75), RGB(0, 255, 0)) << "the upper layer is painted again over the held one";
    EXPECT_EQ(shown.At(140, 140), RGB(0, 255, 0));

    // On top: the held layer covers the overlap.
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 10, 10);
    EXPECT_FALSE(c.FindLayer(1)->m_bDragging);
    EXPECT_TRUE(c.FindLayer(1)->m_bVisible);
    c.FindLayer(1)->m_bDragOnTop = true;
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 10, 10);
    shown = ReadWindow(c.m_hWnd);
    EXPECT_EQ(shown.At(75, 75), RGB(255, 0, 0));
    EXPECT_EQ(shown.At(140, 140), RGB(0, 255, 0));
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 10, 10);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(LayeredBitmapCtrl, RightButtonDragAdjustsTheWindowInTheParentsCaptionAndEndsWithTheHeldLayer) {
    CHost host(500, 400);
    CLayeredBitmapCtrl& c = host.ctrl;
    CLayerInfo layer = MakeSolidLayer(0, 100, 100, RGB(1, 2, 3));
    Place(c, layer, {0, 0});
    c.Refresh();

    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    EXPECT_EQ(::GetCapture(), c.m_hWnd);
    EXPECT_EQ(host.Caption(), L"WW : 16383, WL : 8192");
    // Bit depth 14: 10 pixels up adds 50 to WW, 10 right adds 50 to WL.
    Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON, 50, 40);
    EXPECT_EQ(host.Caption(), L"WW : 16433, WL : 8192");
    Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON, 60, 40);
    EXPECT_EQ(host.Caption(), L"WW : 16433, WL : 8242");
    // Shift triples the step.
    Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON | MK_SHIFT, 70, 30);
    EXPECT_EQ(host.Caption(), L"WW : 16583, WL : 8392");
    // Without the right button nothing changes.
    Send(c.m_hWnd, WM_MOUSEMOVE, 0, 300, 300);
    EXPECT_EQ(host.Caption(), L"WW : 16583, WL : 8392");
    // Far down: WW goes negative, unclamped (the last point is still (70, 30)).
    Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON, 70, 30 + 4000);
    EXPECT_EQ(host.Caption(), L"WW : -3417, WL : 8392");
    EXPECT_EQ(c.FindLayer(0)->m_nWindowWidth, -3417);
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 70, 4030);
    EXPECT_EQ(::GetCapture(), nullptr);

    // Other depths: 12 steps by 1, 15 by 10, 16 by 5.
    const struct {
        int depth;
        int step;
    } depths[] = {{12, 1}, {15, 10}, {16, 5}};
    for (const auto& d : depths) {
        CLayerInfo* l = c.FindLayer(0);
        l->m_nBitDepth = d.depth;
        l->m_nWindowWidth = 1000;
        l->m_nWindowLevel = 1000;
        Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
        Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON, 60, 40);
        EXPECT_EQ(c.FindLayer(0)->m_nWindowWidth, 1000 + 10 * d.step) << "depth " << d.depth;
        EXPECT_EQ(c.FindLayer(0)->m_nWindowLevel, 1000 + 10 * d.step) << "depth " << d.depth;
        Send(c.m_hWnd, WM_RBUTTONUP, 0, 60, 40);
    }

    // The held layer removed (a new picture during the drag): the mouse is let go with it.
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    ASSERT_EQ(::GetCapture(), c.m_hWnd);
    ASSERT_TRUE(c.RemoveLayer(0));
    EXPECT_EQ(::GetCapture(), nullptr);
    // The mouse taken by another window during a drag ends the drag: the layer is back and shown.
    Place(c, layer, {0, 0});
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    ASSERT_TRUE(c.FindLayer(0)->m_bDragging);
    ::SetCapture(host.Parent());
    EXPECT_FALSE(c.FindLayer(0)->m_bDragging);
    EXPECT_TRUE(c.FindLayer(0)->m_bVisible);
    ::ReleaseCapture();
}

TEST(LayeredBitmapCtrl, WithoutLayersMouseInputIsLeftToTheDefaultHandling) {
    CHost host(100, 100);
    CLayeredBitmapCtrl& c = host.ctrl;
    Send(c.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 5, 5);
    Send(c.m_hWnd, WM_MOUSEMOVE, MK_RBUTTON, 50, 5);
    Send(c.m_hWnd, WM_RBUTTONUP, 0, 50, 5);
    EXPECT_EQ(host.Caption(), L"host");
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(c.ComposedBitmap()) << "nothing composed before the first refresh";
}

TEST(LayeredBitmapCtrl, TipsComeFromTheTopMostHitLayerOnly) {
    CHost host(300, 300);
    CLayeredBitmapCtrl& c = host.ctrl;
    CLayerInfo lower = MakeSolidLayer(1, 300, 300, RGB(9, 9, 9));
    lower.m_strTip = L"lower";
    Place(c, lower, {0, 0});
    CLayerInfo upper = MakeSolidLayer(2, 100, 100, RGB(8, 8, 8));
    upper.m_bScaled = true;
    Place(c, upper, {0, 0});  // scaled to 300 high: its region is 300 x 300 too, over the lower one
    c.Refresh();

    Send(c.m_hWnd, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_TRUE(c.CurrentTip().empty()) << "tips are off";
    EXPECT_EQ(c.ToolTipWindow(), nullptr);

    c.EnableLayerTips(true);
    HWND tip = c.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    // The upper layer has no tip: no tip is shown, even though the lower layer has one.
    Send(c.m_hWnd, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_TRUE(c.CurrentTip().empty());

    c.FindLayer(2)->m_strTip = L"upper";
    Send(c.m_hWnd, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_EQ(c.CurrentTip(), L"upper");
    c.ShowLayer(2, false);
    Send(c.m_hWnd, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_EQ(c.CurrentTip(), L"lower");

    // Disabling keeps the tool tip; enabling again makes no second one.
    c.EnableLayerTips(false);
    c.EnableLayerTips(true);
    EXPECT_EQ(c.ToolTipWindow(), tip);
    EXPECT_TRUE(::IsWindow(tip));
}

// A dialog holding the control, for the dialog-face background.
class CHostDialog : public CDialog {
  public:
    CHostDialog() : CDialog(IDD_MSGBOX) {}
    CLayeredBitmapCtrl m_ctrl;

  protected:
    void DoDataExchange(CDataExchange& dx) override { dx.Control(IDC_MSGBOX_TEXT, m_ctrl); }
};

TEST(LayeredBitmapCtrl, BackgroundIsTheDialogFaceUnderADialogTheWindowColourElseOrBlack) {
    CHostDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    dlg.m_ctrl.SetBackground(true, true);
    EXPECT_TRUE(dlg.m_ctrl.ParentIsDialog());
    EXPECT_EQ(dlg.m_ctrl.BackgroundColor(), ::GetSysColor(COLOR_3DFACE));
    CPixels px = ReadPixels(dlg.m_ctrl.ComposedBitmap().Get());
    ASSERT_GT(px.w, 0);
    EXPECT_EQ(px.At(0, 0), ::GetSysColor(COLOR_3DFACE));
    // A colour change re-reads the colour and recomposes.
    HBITMAP composed = dlg.m_ctrl.ComposedBitmap().Get();
    dlg.m_ctrl.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_NE(dlg.m_ctrl.ComposedBitmap().Get(), composed);
    dlg.m_ctrl.SetBackground(false, false);
    EXPECT_EQ(dlg.m_ctrl.BackgroundColor(), RGB(0, 0, 0));
    dlg.DestroyWindow();

    CHost host(50, 50);
    host.ctrl.SetBackground(true, false);
    EXPECT_FALSE(host.ctrl.ParentIsDialog());
    EXPECT_EQ(host.ctrl.BackgroundColor(), ::GetSysColor(COLOR_WINDOW));
    EXPECT_FALSE(host.ctrl.ComposedBitmap()) << "no redraw asked";
}

TEST(ReviewPicture, AThousandPicturesGoodAndBadKeepTheGdiCountLevel) {
    // The review dialog's own sequence (remove, black background, grey section, 24-bit copy, fit, region,
    // add, show, refresh, tips), with pictures of changing sizes and inputs that leave the control empty.
    CDlgReview dlg;
    ASSERT_TRUE(dlg.Create(IDD_REVIEW));
    dlg.ShowWindow(SW_SHOW);
    // A small picture control keeps a thousand compositions quick; the steps are the same at any size.
    ::MoveWindow(dlg.GetDlgItem(IDC_REVIEW_PICTURE), 5, 5, 200, 150, TRUE);
    std::vector<BYTE> picture(160 * 120);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<BYTE>(i * 7);
    auto cycle = [&](int i) {
        switch (i % 4) {
            case 0:
                dlg.ShowPicture(picture.data(), picture.size(), 160, 120, 14, 16383, 8192);
                break;
            case 1:
                dlg.ShowPicture(picture.data(), picture.size(), 120, 160, 12, 4095, 2048);
                break;
            case 2:
                dlg.ShowPicture(picture.data(), picture.size() - 1, 160, 120, 14, 1, 1);
                break;
            default:
                dlg.ShowPicture(nullptr, 0, 160, 120, 14, 1, 1);
                break;
        }
        ::UpdateWindow(dlg.m_hWnd);
    };
    cycle(0);
    ASSERT_EQ(dlg.PictureControl().Layers().size(), 1u);
    const long level = GdiLiveObjects();
    for (int i = 1; i <= 1000; ++i) {
        cycle(i);
        if (i % 4 == 0) {
            ASSERT_EQ(GdiLiveObjects(), level) << "after cycle " << i;
        }
    }
    // A refused picture leaves the control empty; the next good one is layer 0 with the console's values.
    cycle(2);
    EXPECT_TRUE(dlg.PictureControl().Layers().empty());
    EXPECT_EQ(GdiLiveObjects(), level - 2) << "the layer's bitmap and region went with it";
    cycle(1);
    ASSERT_EQ(dlg.PictureControl().Layers().size(), 1u);
    const CLayerInfo* shown = &dlg.PictureControl().Layers()[0];
    EXPECT_EQ(shown->m_nSrcWidth, 120);
    EXPECT_EQ(shown->m_nBitDepth, 12);
    EXPECT_EQ(shown->m_nWindowWidth, 4095);
    EXPECT_EQ(shown->m_nWindowLevel, 2048);
    EXPECT_TRUE(shown->m_bVisible);
    EXPECT_TRUE(dlg.PictureControl().TipsEnabled());
    dlg.DestroyWindow();
}

}  // namespace
