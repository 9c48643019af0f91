"""Drawing for the art generators (tools/make-art, tools/make-logo), with the Python standard library only.

Shapes are signed distance functions in pixel units (negative inside); a pixel's coverage is taken from
the distance at its centre over a one-pixel ramp, which anti-aliases every edge.
"""
import math
import struct


# ---- canvas -------------------------------------------------------------------------------------------

class Canvas:
    """RGBA pixels with straight (non-premultiplied) alpha, 0..1 floats; row 0 is the top row."""

    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        if background is None:
            self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(width)] for _ in range(height)]
        else:
            c = tuple(v / 255.0 for v in background) + (1.0,)
            self.px = [[c for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, rgb, alpha):
        """Composites rgb (0..1) with the given alpha over pixel (x, y)."""
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r0, g0, b0, a0 = self.px[y][x]
        a = alpha + a0 * (1.0 - alpha)
        if a <= 0.0:
            return
        k = a0 * (1.0 - alpha)
        self.px[y][x] = ((rgb[0] * alpha + r0 * k) / a, (rgb[1] * alpha + g0 * k) / a,
                         (rgb[2] * alpha + b0 * k) / a, a)

    def fill(self, sdf, colour, opacity=1.0, softness=1.0, bounds=None):
        """Fills the shape sdf(x, y) <= 0; colour is an RGB tuple (0..255) or a function of (x, y).

        softness widens the anti-aliasing ramp (in pixels), which turns a shape into a soft shadow; bounds
        (x0, y0, x1, y1) limits the work to the rectangle the shape lies in."""
        x0, y0, x1, y1 = bounds or (0, 0, self.width, self.height)
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                cx, cy = x + 0.5, y + 0.5
                cover = min(1.0, max(0.0, 0.5 - sdf(cx, cy) / softness))
                if cover > 0.0:
                    c = colour(cx, cy) if callable(colour) else colour
                    self.blend(x, y, tuple(v / 255.0 for v in c), cover * opacity)

    def stamp(self, glyph_rows, left, top, colour):
        """Sets the '#' cells of a pixel-font glyph at (left, top), fully opaque, without smoothing."""
        for dy, row in enumerate(glyph_rows):
            for dx, cell in enumerate(row):
                if cell == '#':
                    self.blend(left + dx, top + dy, tuple(v / 255.0 for v in colour), 1.0)

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                self.px[top + y][left + x] = other.px[y][x]

    def rgb_bytes(self, x, y):
        r, g, b, _ = self.px[y][x]
        return tuple(int(round(min(1.0, max(0.0, v)) * 255)) for v in (r, g, b))

    def alpha_byte(self, x, y):
        return int(round(min(1.0, max(0.0, self.px[y][x][3])) * 255))


# ---- shapes -------------------------------------------------------------------------------------------

def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy) if (dx or dy) else 0.0
    t = min(1.0, max(0.0, t))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))



# ---- file writers -----------------------------------------------------------------------------------

def bmp24(canvas, pixels_per_metre=3780):
    """A bottom-up 24-bit BMP file (BITMAPFILEHEADER + BITMAPINFOHEADER), rows padded to 4 bytes."""
    stride = (canvas.width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(canvas.height)):
        row = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.rgb_bytes(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(pixels), pixels_per_metre,
                       pixels_per_metre, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels
