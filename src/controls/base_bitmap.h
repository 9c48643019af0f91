#pragma once
// CBaseBitmap: owns one DIB section and the facts needed to write its pixels directly (bits, size, depth,
// colour count, row padding), with a display palette. Holds nothing until CreateGrey, SetGreyPixels or
// AttachSection, and releases the section on Free or destruction; bitmaps copied out of it are independent.
#include <windows.h>

#include <cstdint>

#include "ui/handle.h"

class CBaseBitmap {
  public:
    CBaseBitmap();
    virtual ~CBaseBitmap();
    CBaseBitmap(const CBaseBitmap&) = delete;
    CBaseBitmap& operator=(const CBaseBitmap&) = delete;

    // An 8-bit bottom-up grey section of width x height, every byte (padding included) set to `fill`, with
    // the 256-level grey palette. Null, and the object empty, when the section cannot be made.
    HBITMAP CreateGrey(int width, int height, BYTE fill);
    // CreateGrey(width, height, 0), then the picture (top row first, rows of exactly width bytes; the buffer
    // holds width x height bytes) copied in so that it keeps its orientation. The section's bits, or null.
    BYTE* SetGreyPixels(const BYTE* pixels, int width, int height);
    // Takes ownership of a DIB section and reads its facts; true when a bitmap is held.
    bool AttachSection(HBITMAP section);
    // Deletes the section and the palette; every fact returns to its initial value.
    void Free();

    bool IsPaletteDevice() const { return m_bPaletteDevice; }
    int ColorCount() const { return m_nColors; }
    int RowPadding() const { return m_nPadding; }
    int BitDepth() const { return m_nBitDepth; }
    BYTE* Bits() const { return m_pBits; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    HPALETTE Palette() const { return m_palette.Get(); }

    CBitmap m_bmp;  // the section; callers hand it to CopyBitmap

  private:
    bool Attach(CBitmap&& section);
    void BuildPalette();

    bool m_bPaletteDevice = false;
    int m_nColors = 0;
    int m_nPadding = 0;
    int m_nBitDepth = 0;
    BYTE* m_pBits = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    CPalette m_palette;
};
