// Draws the plugin's two icons and writes them as ICO files, so the pictures
// come from this source on every build instead of from a binary kept in the
// tree. Runs on the build machine (the cross build compiles it with the host's
// compiler); depends on nothing but the standard library.
//
//   make_icons OUTDIR [PREVIEW.png]
//
// OUTDIR/morvane_mark.ico     icon 101, the plugin's mark: a small treemap in a
//                             rounded tile, 16, 32, 48 and 64 px
// OUTDIR/everything_mark.ico  icon 102, an orange magnifying glass on
//                             transparent, 16, 24, 32 and 48 px
// PREVIEW.png                 every image on a light and a dark ground, at
//                             its size and enlarged 6 times, for people to look at
//
// Each size is drawn on its own pixel grid: rectangle edges fall on whole
// pixels, so straight edges are sharp at 16 px; curves are antialiased by
// 8 x 8 supersampling. Images are 32-bit BGRA with straight alpha.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct RGBA {
  double r, g, b, a;  // 0..1, straight alpha
};

RGBA hex(uint32_t rgb, double a = 1.0) {
  return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}

RGBA mix(RGBA x, RGBA y, double t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

// Source-over of c onto dst, both straight alpha.
RGBA over(RGBA dst, RGBA c) {
  double a = c.a + dst.a * (1 - c.a);
  if (a <= 0) return {0, 0, 0, 0};
  auto ch = [&](double s, double d) { return (s * c.a + d * dst.a * (1 - c.a)) / a; };
  return {ch(c.r, dst.r), ch(c.g, dst.g), ch(c.b, dst.b), a};
}

struct Image {
  int size = 0;
  std::vector<uint8_t> bgra;  // top-down rows
};

// A picture is a function from a point (in pixels of its own size) to a colour;
// each pixel is the average of 8 x 8 samples, averaged in premultiplied form.
template <typename Scene>
Image render(int n, Scene scene) {
  const int k = 8;
  Image img;
  img.size = n;
  img.bgra.resize(static_cast<size_t>(n) * n * 4);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < k; ++sy) {
        for (int sx = 0; sx < k; ++sx) {
          RGBA c = scene(x + (sx + 0.5) / k, y + (sy + 0.5) / k);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      uint8_t* p = &img.bgra[(static_cast<size_t>(y) * n + x) * 4];
      double alpha = a / (k * k);
      auto byte = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
      if (a > 0) {
        p[0] = byte(b / a);
        p[1] = byte(g / a);
        p[2] = byte(r / a);
      }
      p[3] = byte(alpha);
    }
  }
  return img;
}

// Inside a rectangle with rounded corners of radius rad (pixel units).
bool inRoundRect(double x, double y, double l, double t, double r, double b, double rad) {
  if (x < l || x >= r || y < t || y >= b) return false;
  double cx = std::clamp(x, l + rad, r - rad), cy = std::clamp(y, t + rad, b - rad);
  double dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= rad * rad;
}

// ---- Icon 101: the mark ------------------------------------------------------
// A dark rounded tile holding four treemap cells: one large, one tall half, and
// two small ones, in the panel's blue, teal and two warm accents.

struct Cell {
  int l, t, r, b;
  RGBA color;
};

struct MarkLayout {
  double radius;      // of the tile
  double cellRadius;  // of the cells
  std::vector<Cell> cells;
};

MarkLayout markLayout(int n) {
  // Padding and gap in whole pixels, growing with the size.
  int pad = n <= 16 ? 2 : n <= 32 ? 4 : n <= 48 ? 5 : 7;
  int gap = n <= 16 ? 1 : n <= 32 ? 2 : n <= 48 ? 2 : 3;
  int lo = pad, hi = n - pad, w = hi - lo;
  int split = lo + static_cast<int>(std::lround((w - gap) * 0.56));
  int rightL = split + gap;
  int topH = static_cast<int>(std::lround((w - gap) * 0.52));
  int lowerT = lo + topH + gap;
  int split2 = rightL + static_cast<int>(std::lround((hi - rightL - gap) * 0.55));
  MarkLayout m;
  m.radius = n * 0.19;
  m.cellRadius = n <= 16 ? 0.0 : n * 0.045;
  m.cells = {{lo, lo, split, hi, hex(0x3B82F6)},
             {rightL, lo, hi, lo + topH, hex(0x2DB6C9)},
             {rightL, lowerT, split2, hi, hex(0xF59E0B)},
             {split2 + gap, lowerT, hi, hi, hex(0xE5E7EB)}};
  return m;
}

Image drawMark(int n) {
  MarkLayout m = markLayout(n);
  RGBA tileTop = hex(0x334155), tileBottom = hex(0x1E293B);
  return render(n, [&](double x, double y) {
    if (!inRoundRect(x, y, 0, 0, n, n, m.radius)) return RGBA{0, 0, 0, 0};
    RGBA c = mix(tileTop, tileBottom, y / n);
    for (const Cell& cell : m.cells) {
      if (!inRoundRect(x, y, cell.l, cell.t, cell.r, cell.b, m.cellRadius)) continue;
      // A light top fading into the cell's colour gives the cells some body
      // at the larger sizes; at 16 px flat colour reads best.
      double t = n <= 16 ? 1.0 : std::clamp((y - cell.t) / std::max(1.0, double(cell.b - cell.t)) * 1.6, 0.0, 1.0);
      c = mix(mix(cell.color, hex(0xFFFFFF), 0.22), cell.color, t);
    }
    return c;
  });
}

// ---- Icon 102: the Everything mark ---------------------------------------------
// An orange lens ring with a tinted glass and a darker handle toward the
// bottom right, on a transparent ground. A thin dark rim keeps it readable on
// light and dark rows alike.

double distToSegment(double px, double py, double ax, double ay, double bx, double by) {
  double vx = bx - ax, vy = by - ay;
  double t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
  double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
  return std::sqrt(dx * dx + dy * dy);
}

Image drawMagnifier(int n) {
  // Sizes in pixels; the lens centre sits on a pixel centre so the ring is
  // symmetric at every size.
  double cx = std::floor(n * 0.41) + 0.5, cy = cx;
  double outer = n * 0.36;
  double ring = std::max(2.0, n * 0.125);
  double rim = n <= 16 ? 0.0 : std::max(0.9, n * 0.035);
  double handleW = std::max(3.0, n * 0.19);
  double hx0 = cx + outer * 0.62, hy0 = cy + outer * 0.62;
  double hx1 = n - handleW * 0.5 - rim - 0.5, hy1 = hx1;
  RGBA orange = hex(0xFF7A00), handle = hex(0xC2410C), rimColor = hex(0x7C2D12),
       glass = hex(0xFFD7A8, 0.35), shine = hex(0xFFFFFF, 0.85);
  return render(n, [&](double x, double y) {
    double d = std::hypot(x - cx, y - cy);
    double dh = distToSegment(x, y, hx0, hy0, hx1, hy1);
    RGBA c = {0, 0, 0, 0};
    // Rims first, then the fills over them, so the dark rim only shows at the
    // outside of the shapes.
    if (rim > 0 && (dh <= handleW / 2 + rim || (d <= outer + rim && d >= outer - ring - rim)))
      c = over(c, rimColor);
    if (d < outer - ring) c = over(c, glass);
    if (dh <= handleW / 2) c = over(c, handle);
    if (d <= outer && d >= outer - ring) c = over(c, orange);
    // A short glint on the glass at the larger sizes.
    if (n >= 32) {
      double gr = outer - ring - n * 0.09, ang = std::atan2(y - cy, x - cx);
      if (std::fabs(d - gr) <= n * 0.03 && ang > -2.7 && ang < -1.75) c = over(c, shine);
    }
    return c;
  });
}

// ---- Files ---------------------------------------------------------------------

void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 255);
  v.push_back((x >> 8) & 255);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

// One ICO image: a BITMAPINFOHEADER of double height, the BGRA rows bottom-up,
// then the 1-bit AND mask (set where the pixel is fully transparent).
std::vector<uint8_t> icoImage(const Image& img) {
  int n = img.size;
  int maskStride = ((n + 31) / 32) * 4;
  std::vector<uint8_t> v;
  put32(v, 40);
  put32(v, n);
  put32(v, 2 * n);
  put16(v, 1);
  put16(v, 32);
  put32(v, 0);
  put32(v, n * n * 4 + maskStride * n);
  for (int i = 0; i < 4; ++i) put32(v, 0);
  for (int y = n - 1; y >= 0; --y)
    v.insert(v.end(), img.bgra.begin() + y * n * 4, img.bgra.begin() + (y + 1) * n * 4);
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < n; ++x)
      if (img.bgra[(y * n + x) * 4 + 3] == 0) row[x / 8] |= 0x80 >> (x % 8);
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool writeIco(const std::string& path, const std::vector<Image>& images) {
  std::vector<std::vector<uint8_t>> data;
  for (const Image& img : images) data.push_back(icoImage(img));
  std::vector<uint8_t> v;
  put16(v, 0);
  put16(v, 1);
  put16(v, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    v.push_back(static_cast<uint8_t>(images[i].size));  // all sizes are below 256
    v.push_back(static_cast<uint8_t>(images[i].size));
    v.push_back(0);  // no palette
    v.push_back(0);
    put16(v, 1);   // planes
    put16(v, 32);  // bits per pixel
    put32(v, static_cast<uint32_t>(data[i].size()));
    put32(v, offset);
    offset += static_cast<uint32_t>(data[i].size());
  }
  for (const auto& d : data) v.insert(v.end(), d.begin(), d.end());
  return writeFile(path, v);
}

// The preview: an uncompressed PNG (stored deflate blocks), RGB.
uint32_t crc32(const uint8_t* p, size_t n, uint32_t c = 0) {
  c = ~c;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  uint32_t n = static_cast<uint32_t>(data.size());
  for (int s = 24; s >= 0; s -= 8) png.push_back((n >> s) & 255);
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  uint32_t c = crc32(body.data(), body.size());
  for (int s = 24; s >= 0; s -= 8) png.push_back((c >> s) & 255);
}

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at < raw.size() || at == 0;) {
    size_t len = std::min<size_t>(65535, raw.size() - at);
    z.push_back(at + len == raw.size() ? 1 : 0);
    put16(z, static_cast<uint32_t>(len));
    put16(z, static_cast<uint32_t>(~len & 0xFFFF));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + len);
    at += len;
    if (len == 0) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back((adler >> s) & 255);
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  for (uint32_t v : {static_cast<uint32_t>(w), static_cast<uint32_t>(h)})
    for (int s = 24; s >= 0; s -= 8) ihdr.push_back((v >> s) & 255);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  return writeFile(path, png);
}

// Two rows per icon set (light ground, dark ground): each image at its size,
// then enlarged 6 times with hard pixel edges.
bool writePreview(const std::string& path, const std::vector<std::vector<Image>>& sets) {
  const int zoom = 6, margin = 8;
  const uint32_t grounds[2] = {0xF5F5F5, 0x2A2A2A};
  int w = margin, rowH = 0;
  std::vector<int> widths;
  for (const auto& set : sets) {
    int sw = margin;
    for (const Image& img : set) {
      sw += img.size + margin + img.size * zoom + margin;
      rowH = std::max(rowH, img.size * zoom);
    }
    widths.push_back(sw);
    w = std::max(w, sw);
  }
  int h = static_cast<int>(sets.size()) * 2 * (rowH + margin) + margin;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0x80);
  auto plot = [&](int x, int y, uint32_t ground, const uint8_t* p) {
    RGBA c = over(hex(ground), RGBA{p[2] / 255.0, p[1] / 255.0, p[0] / 255.0, p[3] / 255.0});
    uint8_t* q = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    q[0] = static_cast<uint8_t>(std::lround(c.r * 255));
    q[1] = static_cast<uint8_t>(std::lround(c.g * 255));
    q[2] = static_cast<uint8_t>(std::lround(c.b * 255));
  };
  int y0 = margin;
  for (const auto& set : sets) {
    for (uint32_t ground : grounds) {
      for (int y = y0 - margin / 2; y < y0 + rowH + margin / 2; ++y)
        for (int x = 0; x < w; ++x) {
          uint8_t none[4] = {0, 0, 0, 0};
          plot(x, y, ground, none);
        }
      int x0 = margin;
      for (const Image& img : set) {
        int n = img.size;
        for (int y = 0; y < n; ++y)
          for (int x = 0; x < n; ++x) plot(x0 + x, y0 + y, ground, &img.bgra[(y * n + x) * 4]);
        x0 += n + margin;
        for (int y = 0; y < n * zoom; ++y)
          for (int x = 0; x < n * zoom; ++x)
            plot(x0 + x, y0 + y, ground, &img.bgra[((y / zoom) * n + x / zoom) * 4]);
        x0 += n * zoom + margin;
      }
      y0 += rowH + margin;
    }
  }
  return writePng(path, w, h, rgb);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_icons OUTDIR [PREVIEW.png]\n");
    return 2;
  }
  std::string dir = argv[1];
  std::vector<Image> mark, magnifier;
  for (int n : {16, 32, 48, 64}) mark.push_back(drawMark(n));
  for (int n : {16, 24, 32, 48}) magnifier.push_back(drawMagnifier(n));
  if (!writeIco(dir + "/morvane_mark.ico", mark) || !writeIco(dir + "/everything_mark.ico", magnifier)) {
    std::fprintf(stderr, "make_icons: cannot write into %s\n", dir.c_str());
    return 1;
  }
  if (argc > 2 && !writePreview(argv[2], {mark, magnifier})) {
    std::fprintf(stderr, "make_icons: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
