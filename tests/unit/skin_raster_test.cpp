// The drawing of a look, pixel by pixel: what each state resolves to, and faces, glyphs and marks that land
// exactly where the layout says, in the colours the skin gives, and nowhere else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "skin/skin_raster.h"

namespace {

constexpr CSkinColor kBack{0x10, 0x20, 0x30};
constexpr CSkinColor kFace{0xC0, 0x40, 0x20};
constexpr CSkinColor kFace2{0x20, 0x40, 0xC0};
constexpr CSkinColor kLine{0xF0, 0xF0, 0x00};
constexpr CSkinColor kInk{0xFF, 0xFF, 0xFF};
constexpr CSkinPlain kPlain{{0xD4, 0xD0, 0xC8}, {0, 0, 0}, {0x80, 0x80, 0x80}};

CSkinLook LookFrom(const std::string& keys) {
    auto file = ParseSkinFile("SidecarSkin 1\n[x]\n" + keys);
    return *file->Find("x");
}

CSkinResolved Solid(CSkinColor face, std::optional<CSkinColor> border, int width, int radius) {
    CSkinResolved r;
    r.faceTop = face;
    r.faceBottom = face;
    r.border = border;
    r.borderWidth = width;
    r.radius = radius;
    return r;
}

int CountPixels(const CSkinCanvas& c, CSkinColor color, const CSkinRect& area) {
    int n = 0;
    for (int y = area.y; y < area.y + area.h; ++y) {
        for (int x = area.x; x < area.x + area.w; ++x)
            n += c.At(x, y) == color;
    }
    return n;
}

// Every pixel outside inner still has the background colour.
bool UntouchedOutside(const CSkinCanvas& c, const CSkinRect& inner) {
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            bool inside = x >= inner.x && x < inner.x + inner.w && y >= inner.y && y < inner.y + inner.h;
            if (!inside && !(c.At(x, y) == kBack))
                return false;
        }
    }
    return true;
}

// Within a few steps per channel: an edge pixel whose centre is not quite covered.
bool Near(CSkinColor a, CSkinColor b) {
    return std::abs(a.r - b.r) <= 12 && std::abs(a.g - b.g) <= 12 && std::abs(a.b - b.b) <= 12;
}

}  // namespace

TEST(SkinResolve, FallsBackToThePlainLookAndHonoursNone) {
    CSkinResolved plain = ResolveSkinPaint(LookFrom(""), CSkinState::kNormal, kPlain, kBack);
    EXPECT_EQ(plain.faceTop, kPlain.face);
    EXPECT_EQ(plain.faceBottom, kPlain.face);
    EXPECT_EQ(plain.border, kPlain.border);
    EXPECT_EQ(plain.text, kPlain.text);
    EXPECT_EQ(plain.borderWidth, 1);
    EXPECT_EQ(plain.radius, 0);
    EXPECT_FALSE(plain.align.has_value());
    EXPECT_EQ(plain.glyph, CSkinGlyph::kNone);

    CSkinResolved clear =
        ResolveSkinPaint(LookFrom("face = none\nborder = none\n"), CSkinState::kNormal, kPlain, kBack);
    EXPECT_FALSE(clear.faceTop.has_value());
    EXPECT_FALSE(clear.faceBottom.has_value());
    EXPECT_FALSE(clear.border.has_value());

    CSkinResolved set = ResolveSkinPaint(
        LookFrom("face = #C04020\nface2 = #2040C0\nborder = #F0F000\nborder_width = 0\nradius = 9\n"
                 "text = #FFFFFF\nalign = right\nglyph = error\n"),
        CSkinState::kNormal, kPlain, kBack);
    EXPECT_EQ(set.faceTop, kFace);
    EXPECT_EQ(set.faceBottom, kFace2);
    EXPECT_FALSE(set.border.has_value()) << "a zero width draws no outline";
    EXPECT_EQ(set.radius, 9);
    EXPECT_EQ(set.align, CSkinAlign::kRight);
    EXPECT_EQ(set.glyph, CSkinGlyph::kError);
    EXPECT_EQ(set.glyphColor, kInk) << "the glyph takes the text colour unless told";
}

TEST(SkinResolve, DisabledTextDimsUnlessTheSkinSaysHow) {
    const CSkinLook look = LookFrom("face = #C04020\ntext = #FFFFFF\n");
    CSkinResolved normal = ResolveSkinPaint(look, CSkinState::kNormal, kPlain, kBack);
    CSkinResolved disabled = ResolveSkinPaint(look, CSkinState::kDisabled, kPlain, kBack);
    EXPECT_EQ(normal.text, kInk);
    EXPECT_EQ(disabled.text, MixSkinColor(kInk, kFace, 0.5));
    EXPECT_EQ(disabled.faceTop, kFace);

    // A transparent face dims towards what shows through it.
    CSkinResolved clear =
        ResolveSkinPaint(LookFrom("face = none\ntext = #FFFFFF\n"), CSkinState::kDisabled, kPlain, kBack);
    EXPECT_EQ(clear.text, MixSkinColor(kInk, kBack, 0.5));

    CSkinResolved told = ResolveSkinPaint(LookFrom("text = #FFFFFF\ndisabled.text = #F0F000\n"),
                                          CSkinState::kDisabled, kPlain, kBack);
    EXPECT_EQ(told.text, kLine);

    // Other states change only what they set.
    const CSkinLook pressed = LookFrom("face = #C04020\npressed.face = #2040C0\n");
    EXPECT_EQ(ResolveSkinPaint(pressed, CSkinState::kPressed, kPlain, kBack).faceTop, kFace2);
    EXPECT_EQ(ResolveSkinPaint(pressed, CSkinState::kFocused, kPlain, kBack).faceTop, kFace);
}

TEST(SkinFace, SolidFaceWithOutlineFillsExactlyItsRectangle) {
    CSkinCanvas c(40, 30, kBack);
    const CSkinRect rect{5, 4, 20, 12};
    PaintSkinFace(c, rect, Solid(kFace, kLine, 2, 0));
    EXPECT_TRUE(UntouchedOutside(c, rect));
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            bool edge =
                x < rect.x + 2 || x >= rect.x + rect.w - 2 || y < rect.y + 2 || y >= rect.y + rect.h - 2;
            ASSERT_EQ(c.At(x, y), edge ? kLine : kFace) << x << "," << y;
        }
    }
}

TEST(SkinFace, GradientRunsFromTopToBottomColour) {
    CSkinCanvas c(10, 21, kBack);
    CSkinResolved paint = Solid(kFace, std::nullopt, 1, 0);
    paint.faceBottom = kFace2;
    PaintSkinFace(c, {0, 0, 10, 21}, paint);
    EXPECT_EQ(c.At(4, 0), kFace);
    EXPECT_EQ(c.At(4, 20), kFace2);
    EXPECT_EQ(c.At(4, 10), MixSkinColor(kFace, kFace2, 0.5));
    for (int y = 1; y < 21; ++y) {
        EXPECT_LE(c.At(4, y).r, c.At(4, y - 1).r);
        EXPECT_GE(c.At(4, y).b, c.At(4, y - 1).b);
        EXPECT_EQ(c.At(0, y), c.At(9, y)) << "rows are even";
    }
}

TEST(SkinFace, RoundedCornersShowTheBackgroundAndSmoothTheirEdge) {
    CSkinCanvas c(40, 40, kBack);
    PaintSkinFace(c, {0, 0, 40, 40}, Solid(kFace, std::nullopt, 1, 10));
    EXPECT_EQ(c.At(0, 0), kBack);
    EXPECT_EQ(c.At(1, 1), kBack);
    EXPECT_EQ(c.At(20, 0), kFace);
    EXPECT_EQ(c.At(0, 20), kFace);
    EXPECT_EQ(c.At(20, 20), kFace);
    // The corner passes from background to face through blended pixels, all between the two.
    int blended = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            CSkinColor p = c.At(x, y);
            if (p == kBack || p == kFace)
                continue;
            ++blended;
            EXPECT_TRUE(p.r >= kBack.r && p.r <= kFace.r && p.b <= kBack.b && p.b >= kFace.b)
                << x << "," << y;
        }
    }
    EXPECT_GE(blended, 5);
    // The four corners are mirror images.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(c.At(x, y), c.At(39 - x, 39 - y)) << x << "," << y;
    }
}

TEST(SkinFace, RadiusBeyondHalfTheSideMakesADisc) {
    CSkinCanvas c(32, 32, kBack);
    PaintSkinFace(c, {0, 0, 32, 32}, Solid(kFace, kLine, 1, 32));
    // Inside the inscribed circle it is face, outside it background.
    EXPECT_EQ(c.At(16, 16), kFace);
    EXPECT_EQ(c.At(2, 2), kBack);
    EXPECT_EQ(c.At(29, 29), kBack);
    EXPECT_TRUE(Near(c.At(16, 0), kLine));
    EXPECT_TRUE(Near(c.At(0, 16), kLine));
    EXPECT_TRUE(Near(c.At(31, 16), kLine));
    EXPECT_TRUE(Near(c.At(16, 31), kLine));
}

TEST(SkinFace, TransparentFaceDrawsOnlyItsOutlineAndNothingDrawsNothing) {
    CSkinCanvas c(20, 20, kBack);
    CSkinResolved outline = Solid(kFace, kLine, 1, 0);
    outline.faceTop.reset();
    outline.faceBottom.reset();
    PaintSkinFace(c, {2, 2, 16, 16}, outline);
    EXPECT_EQ(c.At(2, 10), kLine);
    EXPECT_EQ(c.At(17, 10), kLine);
    EXPECT_EQ(c.At(10, 10), kBack);
    EXPECT_EQ(c.At(3, 10), kBack);

    CSkinCanvas empty(20, 20, kBack);
    outline.border.reset();
    PaintSkinFace(empty, {0, 0, 20, 20}, outline);
    EXPECT_TRUE(UntouchedOutside(empty, {}));
}

TEST(SkinFace, ClipsToTheCanvasAndIgnoresEmptyRectangles) {
    CSkinCanvas c(10, 10, kBack);
    PaintSkinFace(c, {-5, -5, 10, 10}, Solid(kFace, kLine, 1, 3));
    PaintSkinFace(c, {8, 8, 50, 50}, Solid(kFace, kLine, 1, 0));
    PaintSkinFace(c, {3, 3, 0, 4}, Solid(kFace2, kLine, 1, 0));
    PaintSkinFace(c, {3, 3, 4, -1}, Solid(kFace2, kLine, 1, 0));
    EXPECT_EQ(c.At(2, 2), kFace);
    EXPECT_EQ(c.At(8, 9), kLine);
    EXPECT_EQ(c.At(9, 9), kFace);
    EXPECT_EQ(c.At(5, 5), kBack);

    CSkinCanvas none(0, 0, kBack);
    PaintSkinFace(none, {0, 0, 4, 4}, Solid(kFace, kLine, 1, 0));
    EXPECT_EQ(none.Width(), 0);
    CSkinCanvas negative(-3, 5, kBack);
    EXPECT_EQ(negative.Width(), 0);
}

TEST(SkinGlyph, EachGlyphDrawsBodyAndMarkInsideItsSquare) {
    const CSkinGlyph glyphs[] = {CSkinGlyph::kWarning,   CSkinGlyph::kQuestion,  CSkinGlyph::kInformation,
                                 CSkinGlyph::kError,     CSkinGlyph::kFieldLeft, CSkinGlyph::kFieldCenter,
                                 CSkinGlyph::kFieldRight};
    for (CSkinGlyph glyph : glyphs) {
        // A wide rectangle: the glyph keeps to the square in its middle.
        CSkinCanvas c(90, 50, kBack);
        const CSkinRect square{20, 0, 50, 50};
        PaintSkinGlyph(c, {0, 0, 90, 50}, glyph, kFace, kInk);
        EXPECT_TRUE(UntouchedOutside(c, square)) << static_cast<int>(glyph);
        EXPECT_GT(CountPixels(c, kFace, square), 20) << static_cast<int>(glyph);
        EXPECT_GT(CountPixels(c, kInk, square), 20) << static_cast<int>(glyph);
    }
    CSkinCanvas c(30, 30, kBack);
    PaintSkinGlyph(c, {0, 0, 30, 30}, CSkinGlyph::kNone, kFace, kInk);
    PaintSkinGlyph(c, {0, 0, 0, 30}, CSkinGlyph::kError, kFace, kInk);
    EXPECT_TRUE(UntouchedOutside(c, {}));
}

TEST(SkinGlyph, BadgesAreTheirShapes) {
    CSkinCanvas circle(48, 48, kBack);
    PaintSkinGlyph(circle, {0, 0, 48, 48}, CSkinGlyph::kInformation, kFace, kInk);
    EXPECT_EQ(circle.At(2, 2), kBack);
    EXPECT_EQ(circle.At(24, 3), kFace);
    EXPECT_EQ(circle.At(3, 24), kFace);

    // The warning triangle stands on its base: wide at the bottom, a point at the top.
    CSkinCanvas triangle(48, 48, kBack);
    PaintSkinGlyph(triangle, {0, 0, 48, 48}, CSkinGlyph::kWarning, kFace, kInk);
    EXPECT_EQ(triangle.At(24, 7), kFace);
    EXPECT_EQ(triangle.At(8, 8), kBack);
    EXPECT_EQ(triangle.At(40, 8), kBack);
    EXPECT_EQ(triangle.At(7, 40), kFace);
    EXPECT_EQ(triangle.At(40, 40), kFace);
    EXPECT_EQ(triangle.At(24, 46), kBack);
}

TEST(SkinGlyph, FieldGlyphsFillOnlyTheNamedField) {
    // Field centres in the square: left and right above, centre below.
    struct CCase {
        CSkinGlyph glyph;
        int filled;
    };
    const int cx[3] = {30, 70, 50};
    const int cy[3] = {38, 38, 66};
    for (CCase t : {CCase{CSkinGlyph::kFieldLeft, 0}, CCase{CSkinGlyph::kFieldRight, 1},
                    CCase{CSkinGlyph::kFieldCenter, 2}}) {
        CSkinCanvas c(100, 100, kBack);
        PaintSkinGlyph(c, {0, 0, 100, 100}, t.glyph, kFace, kInk);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(c.At(cx[i], cy[i]), i == t.filled ? kFace : kBack)
                << static_cast<int>(t.glyph) << " " << i;
        }
        EXPECT_EQ(CountPixels(c, kFace, {0, 0, 100, 100}) > 0, true);
    }
}

TEST(SkinMark, TickBarAndDotStayInTheirBox) {
    for (CSkinMark mark : {CSkinMark::kTick, CSkinMark::kBar, CSkinMark::kDot}) {
        CSkinCanvas c(40, 40, kBack);
        const CSkinRect box{10, 12, 16, 16};
        PaintSkinMark(c, box, mark, kInk);
        EXPECT_TRUE(UntouchedOutside(c, box));
        EXPECT_GT(CountPixels(c, kInk, box), 4);
        EXPECT_EQ(c.At(10, 12), kBack) << "the box's corner stays clear";
    }
    CSkinCanvas dot(20, 20, kBack);
    PaintSkinMark(dot, {0, 0, 20, 20}, CSkinMark::kDot, kInk);
    EXPECT_EQ(dot.At(10, 10), kInk);
    CSkinCanvas bar(20, 20, kBack);
    PaintSkinMark(bar, {0, 0, 20, 20}, CSkinMark::kBar, kInk);
    EXPECT_EQ(bar.At(10, 10), kInk);
    EXPECT_EQ(bar.At(10, 5), kBack);
}

TEST(SkinLayout, CaptionsKeepClearOfOutlineAndCorners) {
    const CSkinRect client{0, 0, 100, 40};
    CSkinResolved paint = Solid(kFace, kLine, 2, 12);
    CSkinRect centred = SkinCaptionRect(client, paint, CSkinAlign::kCenter);
    CSkinRect left = SkinCaptionRect(client, paint, CSkinAlign::kLeft);
    EXPECT_EQ(centred.y, 2);
    EXPECT_EQ(centred.h, 36);
    EXPECT_GE(centred.x, 2);
    EXPECT_EQ(centred.x + centred.w, 100 - centred.x) << "centred: symmetric";
    EXPECT_GE(left.x, 2 + 6) << "beside the rounded corner";
    EXPECT_EQ(left.x + left.w, 100 - left.x);
    EXPECT_LT(left.w, centred.w);

    paint.border.reset();
    EXPECT_EQ(SkinCaptionRect(client, paint, CSkinAlign::kCenter).y, 0);
    CSkinRect tiny = SkinCaptionRect({0, 0, 5, 1}, Solid(kFace, kLine, 8, 32), CSkinAlign::kLeft);
    EXPECT_GE(tiny.w, 0);
    EXPECT_GE(tiny.h, 0);

    CSkinRect glyph = SkinGlyphRect({0, 0, 70, 56}, Solid(kFace, kLine, 1, 7));
    EXPECT_EQ(glyph.w, glyph.h);
    EXPECT_EQ(glyph.h, 52);
    EXPECT_EQ(glyph.x, (70 - 52) / 2);
    EXPECT_EQ(glyph.y, 2);
}

TEST(SkinLayout, CheckBoxesPutTheBoxBesideTheirCaption) {
    const CSkinRect client{0, 0, 120, 30};
    CSkinCheckLayout right = SkinCheckLayout(client, 16, false);
    EXPECT_EQ(right.box, (CSkinRect{0, 7, 16, 16}));
    EXPECT_GT(right.text.x, right.box.x + right.box.w);
    EXPECT_EQ(right.text.x + right.text.w, 120);

    CSkinCheckLayout left = SkinCheckLayout(client, 16, true);
    EXPECT_EQ(left.box, (CSkinRect{104, 7, 16, 16}));
    EXPECT_EQ(left.text.x, 0);
    EXPECT_LT(left.text.x + left.text.w, left.box.x);

    // The box follows the font within limits and never leaves the client area.
    EXPECT_EQ(SkinCheckLayout(client, 60, false).box.h, 24);
    EXPECT_EQ(SkinCheckLayout(client, 4, false).box.h, 10);
    CSkinCheckLayout flat = SkinCheckLayout({0, 0, 120, 8}, 16, false);
    EXPECT_EQ(flat.box.h, 8);
    EXPECT_EQ(flat.box.y, 0);
    CSkinCheckLayout none = SkinCheckLayout({0, 0, 0, 0}, 16, false);
    EXPECT_TRUE(none.box.Empty());
    EXPECT_GE(none.text.w, 0);
}

TEST(SkinLayout, GroupBoxCaptionSitsOnTheFrameWhereAligned) {
    const CSkinRect client{0, 0, 300, 200};
    const CSkinResolved paint = Solid(kFace, kLine, 1, 8);
    CSkinGroupLayout left = SkinGroupLayout(client, 100, 20, paint, CSkinAlign::kLeft);
    EXPECT_EQ(left.frame, (CSkinRect{0, 10, 300, 190}));
    EXPECT_EQ(left.caption.y, 0);
    EXPECT_EQ(left.caption.h, 20);
    EXPECT_EQ(left.caption.w, 100);
    EXPECT_GE(left.caption.x, 8) << "past the rounded corner";

    CSkinGroupLayout centre = SkinGroupLayout(client, 100, 20, paint, CSkinAlign::kCenter);
    EXPECT_EQ(centre.caption.x, 100);
    CSkinGroupLayout right = SkinGroupLayout(client, 100, 20, paint, CSkinAlign::kRight);
    EXPECT_EQ(right.caption.x + right.caption.w, 300 - left.caption.x);

    // A caption wider than the box is cut to it; no caption, no band.
    CSkinGroupLayout wide = SkinGroupLayout(client, 1000, 20, paint, CSkinAlign::kLeft);
    EXPECT_LE(wide.caption.x + wide.caption.w, 300);
    EXPECT_TRUE(SkinGroupLayout(client, 0, 20, paint, CSkinAlign::kLeft).caption.Empty());
    CSkinGroupLayout flat = SkinGroupLayout({0, 0, 10, 4}, 50, 30, paint, CSkinAlign::kLeft);
    EXPECT_GE(flat.frame.h, 1);
    EXPECT_GE(flat.caption.w, 0);
}

TEST(SkinFaceCache, DrawsEachFaceOnceAndKeepsTheRecentOnesWithinItsBudget) {
    CSkinFaceCache cache(std::size_t{3} * 100);  // three 10 x 10 faces
    int draws = 0;
    auto draw = [&](CSkinCanvas& c) {
        ++draws;
        c.Blend(0, 0, kFace, 1.0);
    };
    auto key = [](int state, CSkinColor behind = kBack) {
        return CSkinFaceKey{nullptr, state, 0, 10, 10, behind, 0, 0};
    };

    const CSkinCanvas& first = cache.Get(key(0), draw);
    EXPECT_EQ(first.Width(), 10);
    EXPECT_EQ(first.At(0, 0), kFace);
    EXPECT_EQ(first.At(5, 5), kBack) << "drawn on the colour behind";
    cache.Get(key(0), draw);
    EXPECT_EQ(draws, 1);
    cache.Get(key(0, kLine), draw);  // another background is another face
    cache.Get(key(1), draw);
    EXPECT_EQ(draws, 3);
    EXPECT_EQ(cache.Size(), 3u);
    EXPECT_EQ(cache.Pixels(), 300u);

    cache.Get(key(0), draw);  // used again: now the most recent
    cache.Get(key(2), draw);  // over budget: the least recent, (0, kLine), goes
    EXPECT_EQ(draws, 4);
    EXPECT_EQ(cache.Size(), 3u);
    cache.Get(key(0), draw);
    cache.Get(key(1), draw);
    EXPECT_EQ(draws, 4);
    cache.Get(key(0, kLine), draw);
    EXPECT_EQ(draws, 5);
    EXPECT_LE(cache.Pixels(), 300u);

    // A face larger than the whole budget is drawn and handed out, and pushes out everything else.
    const CSkinCanvas& huge = cache.Get(CSkinFaceKey{nullptr, 9, 0, 40, 40, kBack, 0, 0}, draw);
    EXPECT_EQ(huge.Width(), 40);
    EXPECT_EQ(cache.Size(), 1u);
    cache.Get(key(0), draw);
    EXPECT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.Pixels(), 100u);

    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Pixels(), 0u);
    cache.Get(key(0), draw);
    EXPECT_EQ(draws, 8);
}
