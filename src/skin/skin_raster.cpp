#include "skin/skin_raster.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// Shapes are signed distances in pixels (negative inside). A pixel's coverage is read at its centre over a
// one-pixel ramp, which anti-aliases every edge and keeps axis-aligned edges on whole pixels sharp.
double Coverage(double distance) {
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

struct CPoint {
    double x;
    double y;
};

double Length(double x, double y) {
    return std::sqrt(x * x + y * y);
}

// A rounded box given by its centre, half extents and corner radius.
double RoundBoxDistance(CPoint p, CPoint centre, double halfW, double halfH, double radius) {
    double qx = std::abs(p.x - centre.x) - (halfW - radius);
    double qy = std::abs(p.y - centre.y) - (halfH - radius);
    return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

double CircleDistance(CPoint p, CPoint centre, double radius) {
    return Length(p.x - centre.x, p.y - centre.y) - radius;
}

// A stroke of half-width radius along the segment a-b, with round ends.
double CapsuleDistance(CPoint p, CPoint a, CPoint b, double radius) {
    double abx = b.x - a.x;
    double aby = b.y - a.y;
    double apx = p.x - a.x;
    double apy = p.y - a.y;
    double len2 = abx * abx + aby * aby;
    double t = len2 > 0 ? std::clamp((apx * abx + apy * aby) / len2, 0.0, 1.0) : 0.0;
    return Length(apx - t * abx, apy - t * aby) - radius;
}

// A triangle a-b-c (any winding), its corners rounded by radius (the triangle grows by radius).
double TriangleDistance(CPoint p, CPoint a, CPoint b, CPoint c, double radius) {
    const CPoint v[3] = {a, b, c};
    double best = 1e300;
    double sign = 0;
    double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        CPoint s = v[i];
        CPoint e = v[(i + 1) % 3];
        best = std::min(best, CapsuleDistance(p, s, e, 0.0));
        double cross = (e.x - s.x) * (p.y - s.y) - (e.y - s.y) * (p.x - s.x);
        if (cross * area < 0)
            inside = false;
    }
    sign = inside ? -1.0 : 1.0;
    return sign * best - radius;
}

// Composites a shape given by its distance function over the pixels of bounds.
template <typename Distance>
void FillShape(CSkinCanvas& canvas, const CSkinRect& bounds, CSkinColor color, Distance distance) {
    int x0 = std::max(bounds.x, 0);
    int y0 = std::max(bounds.y, 0);
    int x1 = std::min(bounds.x + bounds.w, canvas.Width());
    int y1 = std::min(bounds.y + bounds.h, canvas.Height());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            canvas.Blend(x, y, color, Coverage(distance(CPoint{x + 0.5, y + 0.5})));
    }
}

// A square of side s at the centre of rect, as origin and side; glyph coordinates are fractions of it.
struct CSquare {
    double x;
    double y;
    double s;
    CPoint At(double u, double v) const { return {x + u * s, y + v * s}; }
    // A stroke half-width: a fraction of the side, never thinner than a visible line.
    double Stroke(double fraction) const { return std::max(fraction * s, 0.75); }
};

CSquare CentredSquare(const CSkinRect& rect) {
    double s = std::min(rect.w, rect.h);
    return {rect.x + (rect.w - s) / 2.0, rect.y + (rect.h - s) / 2.0, s};
}

double MinOf(std::initializer_list<double> values) {
    return std::min(values);
}

// The question mark's hook as a polyline: an arc over the top, then down to the stem.
double QuestionMarkDistance(CPoint p, const CSquare& sq) {
    constexpr double kPi = 3.14159265358979323846;
    const CPoint centre = sq.At(0.5, 0.37);
    const double radius = 0.14 * sq.s;
    const double stroke = sq.Stroke(0.06);
    double best = 1e300;
    // From the left, slightly below the centre, over the top (-90 degrees, y grows downwards) to the right.
    constexpr int kSteps = 12;
    const double from = kPi * 200.0 / 180.0;
    const double to = kPi * 390.0 / 180.0;
    CPoint prev{centre.x + radius * std::cos(from), centre.y + radius * std::sin(from)};
    for (int i = 1; i <= kSteps; ++i) {
        double a = from + (to - from) * i / kSteps;
        CPoint next{centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
        best = std::min(best, CapsuleDistance(p, prev, next, stroke));
        prev = next;
    }
    best = std::min(best, CapsuleDistance(p, prev, sq.At(0.5, 0.56), stroke));
    best = std::min(best, CapsuleDistance(p, sq.At(0.5, 0.56), sq.At(0.5, 0.62), stroke));
    return std::min(best, CircleDistance(p, sq.At(0.5, 0.76), sq.Stroke(0.07)));
}

void PaintBadge(CSkinCanvas& canvas, const CSkinRect& bounds, const CSquare& sq, CSkinGlyph glyph,
                CSkinColor body, CSkinColor mark) {
    if (glyph == CSkinGlyph::kWarning) {
        const CPoint a = sq.At(0.5, 0.10);
        const CPoint b = sq.At(0.92, 0.86);
        const CPoint c = sq.At(0.08, 0.86);
        const double round = 0.05 * sq.s;
        FillShape(canvas, bounds, body, [&](CPoint p) { return TriangleDistance(p, a, b, c, round); });
        FillShape(canvas, bounds, mark, [&](CPoint p) {
            return std::min(CapsuleDistance(p, sq.At(0.5, 0.38), sq.At(0.5, 0.60), sq.Stroke(0.055)),
                            CircleDistance(p, sq.At(0.5, 0.74), sq.Stroke(0.065)));
        });
        return;
    }
    const CPoint centre = sq.At(0.5, 0.5);
    FillShape(canvas, bounds, body, [&](CPoint p) { return CircleDistance(p, centre, 0.47 * sq.s); });
    FillShape(canvas, bounds, mark, [&](CPoint p) {
        switch (glyph) {
            case CSkinGlyph::kQuestion:
                return QuestionMarkDistance(p, sq);
            case CSkinGlyph::kInformation:
                return std::min(CircleDistance(p, sq.At(0.5, 0.28), sq.Stroke(0.065)),
                                CapsuleDistance(p, sq.At(0.5, 0.44), sq.At(0.5, 0.74), sq.Stroke(0.06)));
            default:  // error: a cross
                return std::min(CapsuleDistance(p, sq.At(0.33, 0.33), sq.At(0.67, 0.67), sq.Stroke(0.06)),
                                CapsuleDistance(p, sq.At(0.67, 0.33), sq.At(0.33, 0.67), sq.Stroke(0.06)));
        }
    });
}

// The AEC chamber fields: a detector outline with the two upper fields and the centre field below them; the
// field the glyph names is filled with the body colour, the others are outlined.
void PaintFields(CSkinCanvas& canvas, const CSkinRect& bounds, const CSquare& sq, CSkinGlyph glyph,
                 CSkinColor body, CSkinColor mark) {
    const double line = sq.Stroke(0.025);
    const CPoint outlineCentre = sq.At(0.5, 0.5);
    const double outlineRadius = 0.12 * sq.s;
    FillShape(canvas, bounds, mark, [&](CPoint p) {
        return std::abs(RoundBoxDistance(p, outlineCentre, 0.44 * sq.s, 0.40 * sq.s, outlineRadius)) - line;
    });
    struct CField {
        CSkinGlyph glyph;
        double u;
        double v;
    };
    static constexpr CField kFields[] = {
        {CSkinGlyph::kFieldLeft, 0.30, 0.38},
        {CSkinGlyph::kFieldRight, 0.70, 0.38},
        {CSkinGlyph::kFieldCenter, 0.50, 0.66},
    };
    const double half = 0.10 * sq.s;
    const double round = 0.03 * sq.s;
    for (const CField& field : kFields) {
        const CPoint c = sq.At(field.u, field.v);
        if (field.glyph == glyph) {
            FillShape(canvas, bounds, body,
                      [&](CPoint p) { return RoundBoxDistance(p, c, half, half, round) - line; });
        } else {
            FillShape(canvas, bounds, mark,
                      [&](CPoint p) { return std::abs(RoundBoxDistance(p, c, half, half, round)) - line; });
        }
    }
}

uint32_t Pack(CSkinColor c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | uint32_t{c.b};
}

}  // namespace

CSkinColor MixSkinColor(CSkinColor from, CSkinColor to, double t) {
    auto channel = [t](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * std::clamp(t, 0.0, 1.0)));
    };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

CSkinResolved ResolveSkinPaint(const CSkinLook& look, CSkinState state, const CSkinPlain& plain,
                               CSkinColor background) {
    const CSkinPaint paint = look.For(state);
    CSkinResolved out;
    if (!paint.face) {
        out.faceTop = plain.face;
    } else if (!paint.face->bNone) {
        out.faceTop = paint.face->color;
    }
    if (out.faceTop)
        out.faceBottom = paint.face2 ? *paint.face2 : *out.faceTop;
    if (!paint.border) {
        out.border = plain.border;
    } else if (!paint.border->bNone) {
        out.border = paint.border->color;
    }
    out.borderWidth = paint.borderWidth.value_or(1);
    if (out.borderWidth == 0)
        out.border.reset();
    out.radius = paint.radius.value_or(0);
    out.text = paint.text.value_or(plain.text);
    out.align = paint.align;
    out.glyph = paint.glyph.value_or(CSkinGlyph::kNone);
    out.glyphColor = paint.glyphColor.value_or(out.text);
    if (state == CSkinState::kDisabled && !look.disabled.text)
        out.text = MixSkinColor(out.text, out.faceTop.value_or(background), 0.5);
    return out;
}

CSkinCanvas::CSkinCanvas(int width, int height, CSkinColor background)
    : m_nWidth(std::max(width, 0)),
      m_nHeight(std::max(height, 0)),
      m_pixels(static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight), Pack(background)) {}

CSkinColor CSkinCanvas::At(int x, int y) const {
    uint32_t v = m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
    return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

void CSkinCanvas::Blend(int x, int y, CSkinColor color, double alpha) {
    if (alpha <= 0.0 || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    uint32_t& pixel =
        m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
    if (alpha >= 1.0) {
        pixel = Pack(color);
        return;
    }
    CSkinColor under{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                     static_cast<uint8_t>(pixel)};
    pixel = Pack(MixSkinColor(under, color, alpha));
}

void PaintSkinFace(CSkinCanvas& canvas, const CSkinRect& rect, const CSkinResolved& paint) {
    if (rect.Empty() || (!paint.faceTop && !paint.border))
        return;
    const double halfW = rect.w / 2.0;
    const double halfH = rect.h / 2.0;
    const CPoint centre{rect.x + halfW, rect.y + halfH};
    const double radius = std::clamp(static_cast<double>(paint.radius), 0.0, std::min(halfW, halfH));
    const double border = paint.border ? std::min<double>(paint.borderWidth, std::min(halfW, halfH)) : 0.0;
    // Pixels this far inside every edge are wholly face: no distance to compute.
    const int inset = static_cast<int>(std::ceil(std::max(radius, border))) + 1;

    int x0 = std::max(rect.x, 0);
    int y0 = std::max(rect.y, 0);
    int x1 = std::min(rect.x + rect.w, canvas.Width());
    int y1 = std::min(rect.y + rect.h, canvas.Height());
    for (int y = y0; y < y1; ++y) {
        CSkinColor face{};
        if (paint.faceTop) {
            double t = rect.h > 1 ? (y - rect.y) / static_cast<double>(rect.h - 1) : 0.0;
            face = MixSkinColor(*paint.faceTop, *paint.faceBottom, t);
        }
        bool rowInside = y >= rect.y + inset && y < rect.y + rect.h - inset;
        for (int x = x0; x < x1; ++x) {
            if (rowInside && x >= rect.x + inset && x < rect.x + rect.w - inset) {
                if (paint.faceTop)
                    canvas.Blend(x, y, face, 1.0);
                continue;
            }
            double d = RoundBoxDistance({x + 0.5, y + 0.5}, centre, halfW, halfH, radius);
            double outer = Coverage(d);
            double inner = paint.border ? Coverage(d + border) : outer;
            if (paint.faceTop) {
                if (paint.border)
                    canvas.Blend(x, y, *paint.border, outer);
                canvas.Blend(x, y, face, inner);
            } else {
                canvas.Blend(x, y, *paint.border, outer - inner);
            }
        }
    }
}

void PaintSkinGlyph(CSkinCanvas& canvas, const CSkinRect& rect, CSkinGlyph glyph, CSkinColor body,
                    CSkinColor mark) {
    if (rect.Empty() || glyph == CSkinGlyph::kNone)
        return;
    const CSquare sq = CentredSquare(rect);
    switch (glyph) {
        case CSkinGlyph::kFieldLeft:
        case CSkinGlyph::kFieldCenter:
        case CSkinGlyph::kFieldRight:
            PaintFields(canvas, rect, sq, glyph, body, mark);
            break;
        default:
            PaintBadge(canvas, rect, sq, glyph, body, mark);
            break;
    }
}

void PaintSkinMark(CSkinCanvas& canvas, const CSkinRect& box, CSkinMark mark, CSkinColor color) {
    if (box.Empty())
        return;
    const CSquare sq = CentredSquare(box);
    FillShape(canvas, box, color, [&](CPoint p) {
        switch (mark) {
            case CSkinMark::kTick:
                return MinOf({CapsuleDistance(p, sq.At(0.24, 0.52), sq.At(0.42, 0.70), sq.Stroke(0.08)),
                              CapsuleDistance(p, sq.At(0.42, 0.70), sq.At(0.76, 0.32), sq.Stroke(0.08))});
            case CSkinMark::kBar:
                return CapsuleDistance(p, sq.At(0.28, 0.5), sq.At(0.72, 0.5), sq.Stroke(0.08));
            case CSkinMark::kDot:
                break;
        }
        return CircleDistance(p, sq.At(0.5, 0.5), 0.24 * sq.s);
    });
}

CSkinRect SkinCaptionRect(const CSkinRect& client, const CSkinResolved& paint, CSkinAlign align) {
    const int border = paint.border ? paint.borderWidth : 0;
    // Text aligned to a side keeps clear of a rounded corner; centred text only of the outline.
    const int side = align == CSkinAlign::kCenter ? border + 2 : border + std::max(6, paint.radius / 2 + 4);
    CSkinRect r{client.x + side, client.y + border, client.w - 2 * side, client.h - 2 * border};
    r.w = std::max(r.w, 0);
    r.h = std::max(r.h, 0);
    return r;
}

CSkinRect SkinGlyphRect(const CSkinRect& client, const CSkinResolved& paint) {
    const int border = paint.border ? paint.borderWidth : 0;
    const int side = std::max(std::min(client.w, client.h) - 2 * (border + 1), 0);
    return {client.x + (client.w - side) / 2, client.y + (client.h - side) / 2, side, side};
}

CSkinCheckLayout SkinCheckLayout(const CSkinRect& client, int nTextHeight, bool bTextLeft) {
    constexpr int kGap = 6;
    int side = std::clamp(nTextHeight, 10, 24);
    side = std::max(std::min({side, client.h, client.w}), 0);
    const int boxY = client.y + (client.h - side) / 2;
    const int textW = std::max(client.w - side - kGap, 0);
    if (bTextLeft)
        return {{client.x + client.w - side, boxY, side, side}, {client.x, client.y, textW, client.h}};
    return {{client.x, boxY, side, side}, {client.x + side + kGap, client.y, textW, client.h}};
}

CSkinGroupLayout SkinGroupLayout(const CSkinRect& client, int nTextWidth, int nTextHeight,
                                 const CSkinResolved& paint, CSkinAlign align) {
    const int top = std::clamp(nTextHeight / 2, 0, std::max(client.h - 1, 0));
    CSkinGroupLayout out;
    out.frame = {client.x, client.y + top, client.w, client.h - top};
    if (nTextWidth <= 0 || nTextHeight <= 0)
        return out;
    const int indent = std::max(8, paint.radius + 4);
    const int width = std::min(nTextWidth, std::max(client.w - 2 * indent, 0));
    int x = client.x + indent;
    if (align == CSkinAlign::kCenter)
        x = client.x + (client.w - width) / 2;
    else if (align == CSkinAlign::kRight)
        x = client.x + client.w - indent - width;
    out.caption = {x, client.y, width, std::min(nTextHeight, client.h)};
    return out;
}

const CSkinCanvas& CSkinFaceCache::Get(const CSkinFaceKey& key,
                                       const std::function<void(CSkinCanvas&)>& draw) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const CEntry& e) { return e.key == key; });
    if (it != m_entries.end()) {
        std::rotate(m_entries.begin(), it, it + 1);
        return m_entries.front().canvas;
    }
    CEntry entry{key, CSkinCanvas(key.w, key.h, key.behind)};
    draw(entry.canvas);
    const size_t pixels =
        static_cast<size_t>(entry.canvas.Width()) * static_cast<size_t>(entry.canvas.Height());
    // The oldest faces go first; a face larger than the whole budget is still returned, then dropped next.
    while (!m_entries.empty() && m_nPixels + pixels > m_nBudget) {
        const CSkinCanvas& last = m_entries.back().canvas;
        m_nPixels -= static_cast<size_t>(last.Width()) * static_cast<size_t>(last.Height());
        m_entries.pop_back();
    }
    m_entries.insert(m_entries.begin(), std::move(entry));
    m_nPixels += pixels;
    return m_entries.front().canvas;
}

void CSkinFaceCache::Clear() {
    m_entries.clear();
    m_nPixels = 0;
}
