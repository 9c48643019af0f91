#include "controls/layer_info.h"

#include <cstdlib>
#include <vector>

#include "controls/dib_layout.h"
#include "ui/gdi.h"

bool CopyBitmap(const CBitmap& src, CBitmap& dst) {
    BITMAP bm{};
    if (!src || ::GetObjectW(src.Get(), sizeof(bm), &bm) == 0)
        return false;
    const int w = bm.bmWidth;
    const int h = std::abs(bm.bmHeight);
    std::optional<std::uint32_t> imageBytes = Rgb24ImageBytes(w, h);
    if (!imageBytes)
        return false;

    CClientDC screen(nullptr);
    BITMAPINFO info{};  // the header with room for one colour entry
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = *imageBytes;

    void* bits = nullptr;
    CBitmap copy(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy || !bits)
        return false;
    // The source's pixels go straight into the new section's memory: the same bytes a separate buffer and
    // SetDIBits would put there, converted once.
    if (::GetDIBits(screen.Get(), src.Get(), 0, static_cast<UINT>(h), bits, &info, DIB_RGB_COLORS) == 0) {
        return false;
    }
    ::SetBitmapDimensionEx(copy.Get(), w, h, nullptr);
    dst = std::move(copy);
    return true;
}

bool CopyBitmapRect(const CBitmap& src, CBitmap& dst, const RECT& rect, HDC reference) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    dst.Reset();
    dst.Attach(::CreateCompatibleBitmap(reference, w, h));
    {
        CMemDC srcDC = CreateCompatibleMemDC(reference);
        CMemDC dstDC = CreateCompatibleMemDC(reference);
        CSelectObject selectSrc(srcDC.Get(), src.Get());
        CSelectObject selectDst(dstDC.Get(), dst.Get());
        ::StretchBlt(dstDC.Get(), 0, 0, w, h, srcDC.Get(), rect.left, rect.top, w, h, SRCCOPY);
    }
    ::SetBitmapDimensionEx(dst.Get(), w, h, nullptr);
    return true;
}

SIZE RecordedDimension(const CBitmap& bmp) {
    SIZE dim{0, 0};
    if (bmp)
        ::GetBitmapDimensionEx(bmp.Get(), &dim);
    return dim;
}

CLayerInfo::CLayerInfo(const CLayerInfo& other) {
    CopyFrom(other);
}

CLayerInfo& CLayerInfo::operator=(const CLayerInfo& other) {
    if (this != &other)
        CopyFrom(other);
    return *this;
}

void CLayerInfo::CopyFrom(const CLayerInfo& other) {
    m_nID = other.m_nID;
    m_nZOrder = other.m_nZOrder;
    m_strTip = other.m_strTip;
    m_bVisible = other.m_bVisible;
    m_bHasRegion = other.m_bHasRegion;
    m_bHitEnabled = other.m_bHitEnabled;
    m_bDragging = other.m_bDragging;
    m_bDragOnTop = other.m_bDragOnTop;
    m_bScaled = other.m_bScaled;
    m_ptOrigin = other.m_ptOrigin;
    m_nSrcWidth = other.m_nSrcWidth;
    m_nSrcHeight = other.m_nSrcHeight;
    m_nBitDepth = other.m_nBitDepth;
    m_nWindowWidth = other.m_nWindowWidth;
    m_nWindowLevel = other.m_nWindowLevel;

    // Without a source bitmap the destination keeps its own.
    CopyBitmap(other.m_bmp, m_bmp);

    if (!m_bHasRegion)
        return;
    DWORD size = other.m_rgn ? ::GetRegionData(other.m_rgn.Get(), 0, nullptr) : 0;
    if (size == 0) {
        m_bHasRegion = false;
        return;
    }
    std::vector<BYTE> data(size);
    auto* rgnData = reinterpret_cast<RGNDATA*>(data.data());
    if (::GetRegionData(other.m_rgn.Get(), size, rgnData) == size) {
        m_rgn.Attach(::ExtCreateRegion(nullptr, size, rgnData));
    }
}
