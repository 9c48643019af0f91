#include "controls/base_bitmap.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "controls/dib_layout.h"
#include "ui/gdi.h"

namespace {

// A header with a full 256-entry colour table: 40 + 1024 bytes.
struct CGreyInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// A logical palette with room for 256 entries.
struct CLogPalette256 {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
};

CPalette MakePalette(const RGBQUAD* colors, int count) {
    CLogPalette256 pal{};
    pal.version = 0x300;
    pal.count = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i) {
        pal.entries[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    }
    return CPalette(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&pal)));
}

bool ScreenIsPaletteDevice() {
    CClientDC screen(nullptr);
    return screen.Get() && (::GetDeviceCaps(screen.Get(), RASTERCAPS) & RC_PALETTE) != 0;
}

}  // namespace

CBaseBitmap::CBaseBitmap() : m_bPaletteDevice(ScreenIsPaletteDevice()) {}

CBaseBitmap::~CBaseBitmap() {
    Free();
}

void CBaseBitmap::Free() {
    m_bmp.Reset();
    m_palette.Reset();
    m_nColors = 0;
    m_nPadding = 0;
    m_nBitDepth = 0;
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

HBITMAP CBaseBitmap::CreateGrey(int width, int height, BYTE fill) {
    Free();
    std::optional<std::uint32_t> imageBytes = GreyImageBytes(width, height);
    if (!imageBytes)
        return nullptr;

    CGreyInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;  // positive: rows stored bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = *imageBytes;
    info.header.biClrUsed = 256;
    info.header.biClrImportant = 256;
    for (int i = 0; i < 256; ++i) {
        BYTE level = static_cast<BYTE>(i);
        info.colors[i] = {level, level, level, 0};
    }

    void* bits = nullptr;
    CBitmap section(::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                       &bits, nullptr, 0));
    if (!section || !bits)
        return nullptr;
    std::memset(bits, fill, *imageBytes);
    if (!Attach(std::move(section)))
        return nullptr;

    // The grey palette, on every device: the section's levels 0..255.
    m_palette = MakePalette(info.colors, 256);
    return m_bmp.Get();
}

BYTE* CBaseBitmap::SetGreyPixels(const BYTE* pixels, int width, int height) {
    if (!CreateGrey(width, height, 0) || !pixels)
        return m_pBits;
    const std::size_t rowBytes = static_cast<std::size_t>(width);
    const std::size_t stride = rowBytes + static_cast<std::size_t>(m_nPadding);
    // Source row r (0 = top) goes to stored row height - 1 - r: bottom-up storage keeps it r-th from the top.
    for (int r = 0; r < height; ++r) {
        std::memcpy(m_pBits + stride * static_cast<std::size_t>(height - 1 - r),
                    pixels + rowBytes * static_cast<std::size_t>(r), rowBytes);
    }
    return m_pBits;
}

bool CBaseBitmap::AttachSection(HBITMAP section) {
    // Our own section again: keep it rather than delete it on the way in.
    if (section && section == m_bmp.Get())
        return Attach(std::move(m_bmp));
    return Attach(CBitmap(section));
}

bool CBaseBitmap::Attach(CBitmap&& section) {
    CBitmap taken = std::move(section);
    Free();
    if (!taken)
        return false;
    m_bmp = std::move(taken);

    DIBSECTION dib{};
    if (::GetObjectW(m_bmp.Get(), sizeof(dib), &dib) != sizeof(dib))
        return true;
    m_pBits = static_cast<BYTE*>(dib.dsBm.bmBits);
    m_nWidth = dib.dsBmih.biWidth;
    m_nHeight = std::abs(dib.dsBmih.biHeight);
    m_nBitDepth = dib.dsBmih.biBitCount;
    m_nColors = dib.dsBmih.biClrUsed != 0 ? static_cast<int>(dib.dsBmih.biClrUsed)
                                          : (m_nBitDepth < 31 ? 1 << m_nBitDepth : 1);
    m_nPadding = DibRowPadding(m_nWidth, m_nBitDepth);
    if (m_bPaletteDevice)
        BuildPalette();
    return true;
}

void CBaseBitmap::BuildPalette() {
    if (m_nColors <= 256) {
        if (m_nBitDepth > 8)
            return;
        RGBQUAD colors[256] = {};
        CMemDC mem = CreateCompatibleMemDC(nullptr);
        CSelectObject select(mem.Get(), m_bmp.Get());
        UINT got = ::GetDIBColorTable(mem.Get(), 0, static_cast<UINT>(m_nColors), colors);
        m_palette = MakePalette(colors, static_cast<int>(got));
    } else {
        CClientDC screen(nullptr);
        m_palette = CPalette(::CreateHalftonePalette(screen.Get()));
    }
}
