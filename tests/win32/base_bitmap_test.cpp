// The review picture's first stop: console bytes (top row first, unpadded) into an 8-bit grey DIB section.
// A flipped row order or dirty padding shows up as a mirrored or streaked radiograph.
#include <gtest/gtest.h>

#include <vector>

#include "controls/base_bitmap.h"
#include "ui/gdi.h"

namespace {

// A 24-bit DIB section of w x h, every pixel `color` (blue, green, red bytes).
HBITMAP Make24BitSection(int w, int h, BYTE blue, BYTE green, BYTE red) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = (w * 3 + 3) & ~3;
    auto* p = static_cast<BYTE*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p[y * stride + 3 * x] = blue;
            p[y * stride + 3 * x + 1] = green;
            p[y * stride + 3 * x + 2] = red;
        }
    }
    return bmp;
}

TEST(BaseBitmap, GreyPixelsKeepTheirOrientationAndPaddingStaysZero) {
    // 1021 wide: 3 padding bytes per stored row. Top row white, bottom row black, rows between a ramp whose
    // value also encodes the column, so a shifted or mirrored row is caught too.
    const int w = 1021;
    const int h = 5;
    std::vector<BYTE> picture(static_cast<std::size_t>(w) * h);
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            BYTE v = r == 0 ? 255 : r == h - 1 ? 0 : static_cast<BYTE>((r * 40 + c) & 0xFF);
            picture[static_cast<std::size_t>(r) * w + c] = v;
        }
    }

    CBaseBitmap bmp;
    BYTE* bits = bmp.SetGreyPixels(picture.data(), w, h);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits, bmp.Bits());
    EXPECT_EQ(bmp.Width(), w);
    EXPECT_EQ(bmp.Height(), h);
    EXPECT_EQ(bmp.BitDepth(), 8);
    EXPECT_EQ(bmp.RowPadding(), 3);
    EXPECT_EQ(bmp.ColorCount(), 256);

    const int stride = w + 3;
    for (int r = 0; r < h; ++r) {
        // Bottom-up: the picture's row r is stored row h - 1 - r.
        const BYTE* stored = bits + static_cast<std::size_t>(h - 1 - r) * stride;
        for (int c = 0; c < w; ++c) {
            ASSERT_EQ(stored[c], picture[static_cast<std::size_t>(r) * w + c]) << "row " << r << " col " << c;
        }
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(stored[w + p], 0) << "padding of row " << r;
    }

    // Through the platform: the section's top row reads white.
    CMemDC dc = CreateCompatibleMemDC(nullptr);
    CSelectObject select(dc.Get(), bmp.m_bmp.Get());
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(dc.Get(), 5, h - 1), RGB(0, 0, 0));
    EXPECT_EQ(::GetPixel(dc.Get(), 3, 1), RGB(43, 43, 43));
}

TEST(BaseBitmap, CreateGreyFillsEveryByteAndCarriesTheGreyTableAndPalette) {
    CBaseBitmap bmp;
    ASSERT_NE(bmp.CreateGrey(1021, 3, 0x7F), nullptr);
    for (int i = 0; i < 1024 * 3; ++i)
        ASSERT_EQ(bmp.Bits()[i], 0x7F) << "byte " << i;

    CMemDC dc = CreateCompatibleMemDC(nullptr);
    {
        CSelectObject select(dc.Get(), bmp.m_bmp.Get());
        RGBQUAD table[256];
        ASSERT_EQ(::GetDIBColorTable(dc.Get(), 0, 256, table), 256u);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(table[i].rgbRed, i);
            ASSERT_EQ(table[i].rgbGreen, i);
            ASSERT_EQ(table[i].rgbBlue, i);
        }
    }
    ASSERT_NE(bmp.Palette(), nullptr);
    PALETTEENTRY entries[256];
    ASSERT_EQ(::GetPaletteEntries(bmp.Palette(), 0, 256, entries), 256u);
    EXPECT_EQ(entries[0].peRed, 0);
    EXPECT_EQ(entries[200].peRed, 200);
    EXPECT_EQ(entries[200].peBlue, 200);
    EXPECT_EQ(entries[255].peGreen, 255);

    // A 1024-wide picture needs no padding.
    ASSERT_NE(bmp.CreateGrey(1024, 2, 0), nullptr);
    EXPECT_EQ(bmp.RowPadding(), 0);
}

TEST(BaseBitmap, AttachReadsTheSectionsFactsAndFreeForgetsThem) {
    CBaseBitmap bmp;
    ASSERT_FALSE(bmp.IsPaletteDevice()) << "Wine's X11 display is a true-colour device";
    HBITMAP section = Make24BitSection(5, 3, 1, 2, 3);
    ASSERT_TRUE(bmp.AttachSection(section));
    EXPECT_EQ(bmp.m_bmp.Get(), section);
    EXPECT_EQ(bmp.Width(), 5);
    EXPECT_EQ(bmp.Height(), 3);
    EXPECT_EQ(bmp.BitDepth(), 24);
    EXPECT_EQ(bmp.ColorCount(), 1 << 24);
    EXPECT_EQ(bmp.RowPadding(), 1);
    EXPECT_NE(bmp.Bits(), nullptr);
    // Not a palette device: no palette is built for a 24-bit section.
    EXPECT_EQ(bmp.Palette(), nullptr);

    // Attaching its own section again keeps it alive.
    EXPECT_TRUE(bmp.AttachSection(section));
    BITMAP bm{};
    EXPECT_NE(::GetObjectW(section, sizeof(bm), &bm), 0);

    bmp.Free();
    EXPECT_FALSE(bmp.m_bmp);
    EXPECT_EQ(bmp.Width(), 0);
    EXPECT_EQ(bmp.Height(), 0);
    EXPECT_EQ(bmp.BitDepth(), 0);
    EXPECT_EQ(bmp.ColorCount(), 0);
    EXPECT_EQ(bmp.RowPadding(), 0);
    EXPECT_EQ(bmp.Bits(), nullptr);
    EXPECT_EQ(::GetObjectW(section, sizeof(bm), &bm), 0) << "the section was deleted";

    EXPECT_FALSE(bmp.AttachSection(nullptr));
}

TEST(BaseBitmap, SizesThatCannotBeStoredLeaveItEmptyAndNothingLeaks) {
    long before = GdiLiveObjects();
    {
        CBaseBitmap bmp;
        const BYTE one = 9;
        EXPECT_EQ(bmp.CreateGrey(0, 10, 0), nullptr);
        EXPECT_EQ(bmp.CreateGrey(10, -1, 0), nullptr);
        EXPECT_EQ(bmp.SetGreyPixels(&one, 65536, 65536), nullptr);  // 2^32 bytes
        EXPECT_FALSE(bmp.m_bmp);
        EXPECT_EQ(bmp.Width(), 0);

        ASSERT_NE(bmp.SetGreyPixels(&one, 1, 1), nullptr);
        EXPECT_EQ(bmp.Bits()[0], 9);
        EXPECT_EQ(GdiLiveObjects(), before + 2);  // the section and its palette
        // A new picture replaces the old one.
        ASSERT_NE(bmp.CreateGrey(8, 8, 1), nullptr);
        EXPECT_EQ(GdiLiveObjects(), before + 2);
    }
    EXPECT_EQ(GdiLiveObjects(), before);
}

}  // namespace
