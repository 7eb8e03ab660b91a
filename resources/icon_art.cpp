#include "resources/icon_art.h"

#include <algorithm>

const uint8_t kVgaPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

namespace {

// Geometry is laid out in whole pixels, so straight edges stay crisp at every
// size; only round corners get partial coverage. Shapes are tested in units
// of 1/32 pixel: true colour takes 16 x 16 samples per pixel at odd units
// (never on a pixel-aligned edge), 16 colours one sample at the centre.
constexpr int kSub = 32;
constexpr int kSamples = 16;

struct Paint {
    uint8_t r, g, b;
    uint8_t vga;  // the nearest that reads well in 16 colours
};

constexpr Paint kOutline = {0x20, 0x26, 0x30, kVgaBlack};
// Metal parts in a middle grey, so they show on light and dark taskbars.
constexpr Paint kMetal = {0x9A, 0xA2, 0xAE, kVgaGray};
constexpr Paint kCable = {0x6A, 0x72, 0x7E, kVgaGray};

// The highlight shares its base colour's palette index: 16 colours has no
// light shades of these, and a flat fill reads better at 16 pixels.
struct Fill {
    Paint base, light;
};
constexpr Fill kBlue = {{0x1E, 0x6C, 0xE0, kVgaBlue}, {0x6E, 0xA8, 0xF8, kVgaBlue}};
constexpr Fill kRed = {{0xE0, 0x26, 0x26, kVgaRed}, {0xF8, 0x80, 0x80, kVgaRed}};
constexpr Fill kGreen = {{0x1F, 0xB0, 0x4A, kVgaLime}, {0x74, 0xDC, 0x90, kVgaLime}};
constexpr Fill kYellow = {{0xF2, 0xC2, 0x00, kVgaYellow}, {0xFF, 0xE4, 0x70, kVgaYellow}};

// A box with rounded corners (the lower pair may be rounder), cut to a clip
// box; later shapes cover earlier ones.
struct Shape {
    int x0, y0, x1, y1;  // pixels
    int radius, lowerRadius;
    int cx0, cy0, cx1, cy1;  // clip, pixels
    Paint paint;
};

struct Scene {
    static constexpr int kMax = 16;
    Shape shapes[kMax];
    int count = 0;

    void box(int x0, int y0, int x1, int y1, int radius, Paint paint) {
        add({x0, y0, x1, y1, radius, radius, x0, y0, x1, y1, paint});
    }
    void clipped(int x0, int y0, int x1, int y1, int radius, int cx0, int cy0, int cx1, int cy1,
                 Paint paint) {
        add({x0, y0, x1, y1, radius, radius, cx0, cy0, cx1, cy1, paint});
    }
    void add(const Shape& shape) {
        if (count < kMax) shapes[count++] = shape;
    }
};

bool contains(const Shape& s, int x, int y) {
    if (x < s.cx0 * kSub || x >= s.cx1 * kSub || y < s.cy0 * kSub || y >= s.cy1 * kSub) return false;
    const int x0 = s.x0 * kSub, y0 = s.y0 * kSub, x1 = s.x1 * kSub, y1 = s.y1 * kSub;
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const int r = (2 * y >= y0 + y1 ? s.lowerRadius : s.radius) * kSub;
    if (r == 0) return true;
    const int64_t dx = x - std::min(std::max(x, x0 + r), x1 - r);
    const int64_t dy = y - std::min(std::max(y, y0 + r), y1 - r);
    return dx * dx + dy * dy <= int64_t{r} * r;
}

const Shape* topmost(const Scene& scene, int x, int y) {
    for (int i = scene.count - 1; i >= 0; --i)
        if (contains(scene.shapes[i], x, y)) return &scene.shapes[i];
    return nullptr;
}

enum class Cover { None, Part, All };

// How a shape covers pixel (x, y). Edges lie on whole pixels, so only a
// pixel by a round corner can be partly covered; Part is said for all of
// those, and the samples decide.
Cover cover(const Shape& s, int x, int y) {
    if (x < std::max(s.x0, s.cx0) || x >= std::min(s.x1, s.cx1) || y < std::max(s.y0, s.cy0) ||
        y >= std::min(s.y1, s.cy1))
        return Cover::None;
    const int r = std::max(s.radius, s.lowerRadius);
    const bool cornerColumn = x < s.x0 + r || x >= s.x1 - r;
    const bool cornerRow = y < s.y0 + r || y >= s.y1 - r;
    return cornerColumn && cornerRow ? Cover::Part : Cover::All;
}

// A lighter stripe down the left of a filled shape, between two rows; it
// follows the shape's round corners.
void stripe(Scene& scene, const Shape& filled, int top, int bottom, Paint paint) {
    const int width = filled.x1 - filled.x0;
    if (width < 6) return;
    Shape s = filled;
    s.cx0 = filled.x0 + std::max(1, width / 8);
    s.cx1 = s.cx0 + std::max(1, width / 6);
    s.cy0 = top;
    s.cy1 = bottom;
    s.paint = paint;
    scene.add(s);
}

// Upright battery, terminal on top. The top `drained` quarters (0..4) of its
// cell show `drainedFill`, the rest `fill`.
void drawBattery(Scene& scene, int size, const Fill& fill, const Fill& drainedFill, int drained) {
    const int t = std::max(1, size / 16);  // outline
    const int margin = size / 24;
    const int width = 2 * ((size * 5 + 4) / 16);
    const int x0 = (size - width) / 2, x1 = x0 + width;
    const int nubWidth = 2 * ((width * 2 + 5) / 10);
    const int nubHeight = std::max(2, (size + 4) / 10);
    // A cell height that is a multiple of four steps the five levels evenly;
    // what that leaves over is shared above and below.
    const int cell = (size - 2 * margin - nubHeight - 2 * t) / 4 * 4;
    const int nubTop = (size - (nubHeight + cell + 2 * t)) / 2;
    const int top = nubTop + nubHeight, bottom = top + cell + 2 * t;
    const int radius = 2 * t;

    // The nub reaches under the body, so its lower corners stay hidden.
    const int nx0 = (size - nubWidth) / 2;
    scene.box(nx0, nubTop, nx0 + nubWidth, top + radius, std::min(t, nubWidth / 4), kMetal);
    scene.box(x0, top, x1, bottom, radius, kOutline);

    const int ix0 = x0 + t, ix1 = x1 - t, iy0 = top + t, iy1 = bottom - t;
    const int split = iy0 + cell * drained / 4;
    const int inner = radius - t;
    const Shape full = {ix0, iy0, ix1, iy1, inner, inner, ix0, iy0, ix1, iy1, fill.base};
    scene.add(full);
    stripe(scene, full, split, iy1, fill.light);
    if (drained > 0) {
        scene.clipped(ix0, iy0, ix1, iy1, inner, ix0, iy0, ix1, split, drainedFill.base);
        stripe(scene, full, iy0, split, drainedFill.light);
    }
}

// Mains plug, pins up, cable down; the body narrows towards the cable.
void drawPlug(Scene& scene, int size, const Fill& fill) {
    const int t = std::max(1, size / 16);
    const int margin = size / 24;
    const int bodyWidth = 2 * ((size * 5 + 4) / 16);
    const int bx0 = (size - bodyWidth) / 2, bx1 = bx0 + bodyWidth;
    const int by0 = (size * 5 + 8) / 16, by1 = (size * 12 + 8) / 16;
    const int radius = t, lowerRadius = std::max(3 * t, bodyWidth / 4);

    // Pins mirror each other about the centre, whatever the rounding.
    const int pinWidth = std::max(2, (size * 2 + 8) / 16);
    const int pinLeft = bx0 + std::max(1, bodyWidth / 10);
    scene.box(pinLeft, margin, pinLeft + pinWidth, by0 + radius, 0, kMetal);
    scene.box(size - pinLeft - pinWidth, margin, size - pinLeft, by0 + radius, 0, kMetal);

    // Cable under a strain relief twice its width.
    const int cableWidth = 2 * std::max(1, (size + 8) / 16);
    const int cx0 = (size - cableWidth) / 2;
    const int reliefBottom = by1 + std::max(1, size / 16);
    scene.box(cx0, by1 - t, cx0 + cableWidth, size - margin, 0, kCable);
    scene.box(cx0 - cableWidth / 2, by1 - t, cx0 + cableWidth + cableWidth / 2, reliefBottom, 0,
              kOutline);

    scene.add({bx0, by0, bx1, by1, radius, lowerRadius, bx0, by0, bx1, by1, kOutline});
    const int ix0 = bx0 + t, ix1 = bx1 - t, iy0 = by0 + t, iy1 = by1 - t;
    const Shape face = {ix0, iy0, ix1, iy1, radius - t, lowerRadius - t, ix0, iy0, ix1, iy1, fill.base};
    scene.add(face);
    stripe(scene, face, iy0, iy1, fill.light);
}

bool buildScene(int id, int size, Scene& scene) {
    if (id == 1) {
        drawBattery(scene, size, kBlue, kBlue, 0);
    } else if (id == 2) {
        drawPlug(scene, size, kBlue);
    } else if (id >= 3 && id <= 7) {
        drawBattery(scene, size, kBlue, kRed, id - 3);
    } else if (id >= 8 && id <= 12) {
        drawBattery(scene, size, kGreen, kYellow, id - 8);
    } else if (id == 13) {
        drawPlug(scene, size, kGreen);
    } else {
        return false;
    }
    return true;
}

void render16(const Scene& scene, IconImage& image) {
    const int n = image.size;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const Shape* s = topmost(scene, x * kSub + kSub / 2, y * kSub + kSub / 2);
            image.pixels[y * n + x] = s ? s->paint.vga : kVgaBlack;
            image.opaque[y * n + x] = s ? 1 : 0;
        }
    }
}

// Coverage-weighted mean of the samples, returned with straight alpha.
void renderTrue(const Scene& scene, IconImage& image) {
    const int n = image.size;
    constexpr int kStep = kSub / kSamples;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            // Most pixels lie wholly inside their topmost shape, or outside all.
            Cover top = Cover::None;
            const Shape* s = nullptr;
            for (int i = scene.count - 1; i >= 0 && top == Cover::None; --i) {
                top = cover(scene.shapes[i], x, y);
                s = &scene.shapes[i];
            }
            uint32_t hits = 0, r = 0, g = 0, b = 0;
            if (top == Cover::All) {
                hits = kSamples * kSamples;
                r = s->paint.r * hits;
                g = s->paint.g * hits;
                b = s->paint.b * hits;
            }
            for (int sy = 0; top == Cover::Part && sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Shape* s = topmost(scene, x * kSub + sx * kStep + kStep / 2,
                                             y * kSub + sy * kStep + kStep / 2);
                    if (!s) continue;
                    ++hits;
                    r += s->paint.r;
                    g += s->paint.g;
                    b += s->paint.b;
                }
            }
            uint8_t* p = &image.pixels[(y * n + x) * 4];
            constexpr uint32_t kAll = kSamples * kSamples;
            const uint32_t alpha = (hits * 255 + kAll / 2) / kAll;
            if (alpha == 0) {
                p[0] = p[1] = p[2] = p[3] = 0;
            } else {
                p[0] = uint8_t((r + hits / 2) / hits);
                p[1] = uint8_t((g + hits / 2) / hits);
                p[2] = uint8_t((b + hits / 2) / hits);
                p[3] = uint8_t(alpha);
            }
            image.opaque[y * n + x] = alpha != 0;
        }
    }
}

}  // namespace

bool drawIcon(int id, int size, int bits, IconImage* out) {
    if (size < 16 || size > 256 || (bits != 4 && bits != 32)) return false;
    Scene scene;
    if (!buildScene(id, size, scene)) return false;
    out->size = size;
    out->bits = bits;
    out->pixels.assign(size_t(size) * size * (bits == 4 ? 1 : 4), 0);
    out->opaque.assign(size_t(size) * size, 0);
    if (bits == 4)
        render16(scene, *out);
    else
        renderTrue(scene, *out);
    return true;
}
