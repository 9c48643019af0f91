#pragma once
// How a look is drawn, without the platform: the state's values decided (ResolveSkinPaint), the face, glyphs
// and check marks rasterised into 32-bit pixels with anti-aliased edges (CSkinCanvas), and where the caption,
// a check box's box and a group box's frame go. The Win32 painter blits the pixels and draws the caption with
// the window's own font over them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "skin/skin_file.h"

struct CSkinRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Empty() const { return w <= 0 || h <= 0; }
    bool operator==(const CSkinRect&) const = default;
};

// What a look falls back to where the skin says nothing: the platform's plain button colours.
struct CSkinPlain {
    CSkinColor face;
    CSkinColor text;
    CSkinColor border;
};

// One state of a look with every value decided.
struct CSkinResolved {
    std::optional<CSkinColor> faceTop;     // none: the background shows through
    std::optional<CSkinColor> faceBottom;  // the gradient's end; equal to faceTop for a solid face
    std::optional<CSkinColor> border;      // none: no outline
    int borderWidth = 1;
    int radius = 0;
    CSkinColor text;
    std::optional<CSkinAlign> align;  // none: the window's own alignment
    CSkinGlyph glyph = CSkinGlyph::kNone;
    CSkinColor glyphColor;
};

// The look of one state over the background it sits on. A disabled state whose text the skin leaves alone is
// dimmed halfway towards the face (or the background, for a transparent face), so that every skin shows
// disabled controls as inactive.
CSkinResolved ResolveSkinPaint(const CSkinLook& look, CSkinState state, const CSkinPlain& plain,
                               CSkinColor background);

CSkinColor MixSkinColor(CSkinColor from, CSkinColor to, double t);

// Opaque pixels, rows top-down, each 0x00RRGGBB: the memory layout of a top-down 32-bit DIB section.
class CSkinCanvas {
  public:
    CSkinCanvas(int width, int height, CSkinColor background);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    const uint32_t* Pixels() const { return m_pixels.data(); }
    CSkinColor At(int x, int y) const;
    // Composites colour over pixel (x, y) with coverage alpha (0..1); outside the canvas nothing happens.
    void Blend(int x, int y, CSkinColor color, double alpha);

  private:
    int m_nWidth;
    int m_nHeight;
    std::vector<uint32_t> m_pixels;
};

// The face and outline of a look inside rect: rounded corners (the radius is limited to half the smaller
// side), a vertical gradient from faceTop to faceBottom, an outline borderWidth pixels wide inside rect.
void PaintSkinFace(CSkinCanvas& canvas, const CSkinRect& rect, const CSkinResolved& paint);
// A glyph inside the square (or the largest centred square of) rect: its body in body, marks in mark.
void PaintSkinGlyph(CSkinCanvas& canvas, const CSkinRect& rect, CSkinGlyph glyph, CSkinColor body,
                    CSkinColor mark);
// A check box's mark inside its box: a tick, or a bar for the indeterminate state; a radio button's dot.
enum class CSkinMark { kTick, kBar, kDot };
void PaintSkinMark(CSkinCanvas& canvas, const CSkinRect& box, CSkinMark mark, CSkinColor color);

// Where a caption goes in a face: inside the outline, with room for the corners on an aligned side.
CSkinRect SkinCaptionRect(const CSkinRect& client, const CSkinResolved& paint, CSkinAlign align);
// Where a glyph goes: the largest square centred in the face, inside the outline.
CSkinRect SkinGlyphRect(const CSkinRect& client, const CSkinResolved& paint);

// A check box or radio button: the box, as high as the text (within the client), beside its caption.
struct CSkinCheckLayout {
    CSkinRect box;
    CSkinRect text;
};
CSkinCheckLayout SkinCheckLayout(const CSkinRect& client, int nTextHeight, bool bTextLeft);

// A group box: the frame starts half a text line down, the caption sits on its top edge.
struct CSkinGroupLayout {
    CSkinRect frame;
    CSkinRect caption;  // empty when there is no caption
};
CSkinGroupLayout SkinGroupLayout(const CSkinRect& client, int nTextWidth, int nTextHeight,
                                 const CSkinResolved& paint, CSkinAlign align);

// What a drawn face depends on: the look and its state, the kind of drawing, the size, the colour behind,
// and the measures of the caption that place a check box's box or a group box's caption band.
struct CSkinFaceKey {
    const void* look = nullptr;
    int state = 0;
    int kind = 0;
    int w = 0;
    int h = 0;
    CSkinColor behind;
    int extra1 = 0;
    int extra2 = 0;
    bool operator==(const CSkinFaceKey&) const = default;
};

// Faces drawn before, most recently used first, within a budget of pixels: a panel repaints the same few
// dozen faces over and over, and copying one is far cheaper than drawing it again.
class CSkinFaceCache {
  public:
    explicit CSkinFaceCache(size_t nBudgetPixels = size_t{2} * 1024 * 1024) : m_nBudget(nBudgetPixels) {}
    // The face for key; on a miss draw paints it on a canvas of key.w x key.h filled with key.behind.
    const CSkinCanvas& Get(const CSkinFaceKey& key, const std::function<void(CSkinCanvas&)>& draw);
    void Clear();
    size_t Size() const { return m_entries.size(); }
    size_t Pixels() const { return m_nPixels; }

  private:
    struct CEntry {
        CSkinFaceKey key;
        CSkinCanvas canvas;
    };
    size_t m_nBudget;
    size_t m_nPixels = 0;
    std::vector<CEntry> m_entries;  // most recently used first
};
