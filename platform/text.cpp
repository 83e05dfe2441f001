#include "text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <map>
#include <mutex>
#include <unordered_map>

namespace plat {

// One loaded font file at one size.
struct FontFace {
  FT_Face face = nullptr;
  std::string path, family;
  bool embolden = false;
  FontMetrics metrics;
  ~FontFace() {
    if (face) FT_Done_Face(face);
  }
};

namespace {

struct Glyph {
  std::vector<uint8_t> cov;
  int w = 0, h = 0, left = 0, top = 0;
  double advance = 0;
};

std::mutex& textMutex() {
  static std::mutex m;
  return m;
}

FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

// The families the program asks for, as installed here.
std::string mappedFamily(const std::string& family) {
  struct Map {
    const char* from;
    const char* to;
  };
  static const Map maps[] = {
      {"Helvetica", "Liberation Sans"}, {"Helvetica Neue", "Liberation Sans"},
      {"Arial", "Liberation Sans"},     {"Lucida Grande", "Liberation Sans"},
      {"system", "Liberation Sans"},    {"", "Liberation Sans"},
      {"Monaco", "DejaVu Sans Mono"},   {"Menlo", "DejaVu Sans Mono"},
      {"Courier", "Liberation Mono"},   {"Courier New", "Liberation Mono"},
      {"monospace", "DejaVu Sans Mono"}, {"Times", "Liberation Serif"},
      {"Times New Roman", "Liberation Serif"},
  };
  for (const Map& m : maps)
    if (strcasecmp(family.c_str(), m.from) == 0) return m.to;
  return family;
}

struct Match {
  std::string path, family;
  int index = 0;
  bool embolden = false;
};

// The desktop's font configuration, let go at exit so that nothing of it
// lingers.
bool fontconfigUp() {
  static bool ok = [] {
    bool up = FcInit() == FcTrue;
    if (up) atexit(FcFini);
    return up;
  }();
  return ok;
}

bool matchFont(const std::string& family, int weight, bool italic, Match* out) {
  if (!fontconfigUp()) return false;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  int fcWeight = weight >= 600 ? FC_WEIGHT_BOLD : weight <= 300 ? FC_WEIGHT_LIGHT : FC_WEIGHT_REGULAR;
  FcPatternAddInteger(pat, FC_WEIGHT, fcWeight);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* m = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  if (!m) return false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  int idx = 0, got = FC_WEIGHT_REGULAR;
  bool found = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    out->path = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
      out->family = reinterpret_cast<const char*>(fam);
    FcPatternGetInteger(m, FC_INDEX, 0, &idx);
    FcPatternGetInteger(m, FC_WEIGHT, 0, &got);
    out->index = idx;
    // Bold asked of a family that has none: thicken the outlines.
    out->embolden = fcWeight >= FC_WEIGHT_BOLD && got < FC_WEIGHT_DEMIBOLD;
  }
  FcPatternDestroy(m);
  return found;
}

// Faces by (family, size, weight, italic); never released (a program uses a
// handful).
std::shared_ptr<FontFace> loadFace(const std::string& family, double size, int weight,
                                   bool italic) {
  char key[64];
  snprintf(key, sizeof key, "|%.3f|%d|%d", size, weight, italic ? 1 : 0);
  std::string k = family + key;
  static std::map<std::string, std::shared_ptr<FontFace>> faces;
  auto it = faces.find(k);
  if (it != faces.end()) return it->second;
  std::shared_ptr<FontFace> face;
  Match m;
  if (library() && size > 0 && size < 2000 && matchFont(mappedFamily(family), weight, italic, &m)) {
    auto f = std::make_shared<FontFace>();
    if (FT_New_Face(library(), m.path.c_str(), m.index, &f->face) == 0 &&
        FT_Set_Char_Size(f->face, 0, FT_F26Dot6(size * 64 + 0.5), 72, 72) == 0) {
      f->path = m.path;
      f->family = m.family;
      f->embolden = m.embolden;
      const FT_Size_Metrics& sm = f->face->size->metrics;
      f->metrics.ascent = sm.ascender / 64.0;
      f->metrics.descent = -sm.descender / 64.0;
      f->metrics.lineHeight = sm.height / 64.0;
      face = f;
    }
  }
  faces[k] = face;
  return face;
}

struct GlyphKey {
  const FontFace* face;
  uint32_t cp;
  bool operator==(const GlyphKey& o) const { return face == o.face && cp == o.cp; }
};
struct GlyphKeyHash {
  size_t operator()(const GlyphKey& k) const {
    return std::hash<const void*>()(k.face) ^ (size_t(k.cp) * 0x9E3779B97F4A7C15ull);
  }
};

// Rendered glyphs, dropped all at once when the cache grows large.
const Glyph& glyphFor(FontFace* f, uint32_t cp) {
  static std::unordered_map<GlyphKey, Glyph, GlyphKeyHash> cache;
  GlyphKey key{f, cp};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (cache.size() > 8192) cache.clear();
  Glyph g;
  FT_UInt index = FT_Get_Char_Index(f->face, cp);
  if (index == 0 && cp != 0xFFFD) index = FT_Get_Char_Index(f->face, 0xFFFD);
  if (FT_Load_Glyph(f->face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) == 0) {
    FT_GlyphSlot slot = f->face->glyph;
    if (f->embolden) FT_GlyphSlot_Embolden(slot);
    // The design advance, not the one rounded by hinting: widths scale with
    // the size and match the metric-compatible fonts exactly.
    g.advance = slot->linearHoriAdvance / 65536.0;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& b = slot->bitmap;
      g.w = int(b.width);
      g.h = int(b.rows);
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      g.cov.resize(size_t(g.w) * size_t(g.h));
      for (int y = 0; y < g.h; ++y) {
        const unsigned char* src = b.buffer + ptrdiff_t(y) * b.pitch;
        if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {
          memcpy(&g.cov[size_t(y) * size_t(g.w)], src, size_t(g.w));
        } else if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
          for (int x = 0; x < g.w; ++x)
            g.cov[size_t(y) * size_t(g.w) + size_t(x)] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        }
      }
    }
  }
  return cache.emplace(key, std::move(g)).first->second;
}

double kerning(FontFace* f, uint32_t prev, uint32_t cp) {
  if (!prev || !FT_HAS_KERNING(f->face)) return 0;
  FT_Vector k;
  if (FT_Get_Kerning(f->face, FT_Get_Char_Index(f->face, prev), FT_Get_Char_Index(f->face, cp),
                     FT_KERNING_DEFAULT, &k) != 0)
    return 0;
  return k.x / 64.0;
}

uint32_t visible(uint32_t cp) { return (cp == '\n' || cp == '\r' || cp == '\t') ? ' ' : cp; }

}  // namespace

// --- UTF-8

std::vector<CodePoint> decodeUtf8(const std::string& s) {
  std::vector<CodePoint> out;
  out.reserve(s.size());
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t n = s.size(), i = 0;
  while (i < n) {
    unsigned c = p[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    uint32_t cp = c;
    bool ok = len >= 1 && i + len <= n;
    if (ok && len > 1) {
      cp = c & (0x7F >> len);
      for (size_t k = 1; k < len; ++k) {
        if ((p[i + k] & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        cp = (cp << 6) | (p[i + k] & 0x3F);
      }
      // Overlong forms and surrogates are not characters.
      static const uint32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
      if (ok && (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    }
    if (!ok) {
      cp = c;
      len = 1;
    }
    out.push_back({cp, i, len});
    i += len;
  }
  return out;
}

void appendUtf8(std::string& s, uint32_t c) {
  if (c < 0x80) {
    s += char(c);
  } else if (c < 0x800) {
    s += char(0xC0 | (c >> 6));
    s += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += char(0xE0 | (c >> 12));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  } else {
    s += char(0xF0 | (c >> 18));
    s += char(0x80 | ((c >> 12) & 0x3F));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  }
}

size_t utf8Prefix(const std::string& s, size_t maxBytes) {
  if (maxBytes >= s.size()) return s.size();
  size_t n = 0;
  for (const CodePoint& c : decodeUtf8(s)) {
    if (c.offset + c.length > maxBytes) break;
    n = c.offset + c.length;
  }
  return n;
}

// --- fonts

Font::Font(const std::string& family, double size, int weight, bool italic)
    : m_family(family), m_size(size), m_weight(weight), m_italic(italic) {
  std::lock_guard<std::mutex> g(textMutex());
  m_face = loadFace(family, size, weight, italic);
}

Font Font::system(double size, int weight) { return Font("Helvetica", size, weight); }
Font Font::monospace(double size) { return Font("Monaco", size); }

std::string Font::resolvedFamily() const { return m_face ? m_face->family : std::string(); }
std::string Font::filePath() const { return m_face ? m_face->path : std::string(); }

FontMetrics Font::metrics() const {
  if (m_face) return m_face->metrics;
  FontMetrics m;
  m.ascent = ceil(m_size * 0.8);
  m.descent = ceil(m_size * 0.2);
  m.lineHeight = ceil(m_size * 1.15);
  return m;
}

double Font::charAdvance(uint32_t cp) const {
  if (!m_face) return m_size * 0.5;
  std::lock_guard<std::mutex> g(textMutex());
  return glyphFor(m_face.get(), visible(cp)).advance;
}

unsigned Font::glyphIndex(uint32_t cp) const {
  if (!m_face) return 0;
  std::lock_guard<std::mutex> g(textMutex());
  return FT_Get_Char_Index(m_face->face, cp);
}

bool registerFontFile(const std::string& path) {
  std::lock_guard<std::mutex> g(textMutex());
  if (!fontconfigUp()) return false;
  return FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str())) == FcTrue;
}

std::vector<double> Font::caretOffsets(const std::string& utf8) const {
  std::vector<double> out(utf8.size() + 1, 0.0);
  std::vector<CodePoint> cps = decodeUtf8(utf8);
  std::lock_guard<std::mutex> g(textMutex());
  double pen = 0;
  uint32_t prev = 0;
  for (const CodePoint& c : cps) {
    uint32_t cp = visible(c.cp);
    if (m_face) pen += kerning(m_face.get(), prev, cp);
    for (size_t k = 0; k < c.length; ++k) out[c.offset + k] = pen;
    pen += m_face ? glyphFor(m_face.get(), cp).advance : m_size * 0.5;
    prev = cp;
  }
  out[utf8.size()] = pen;
  return out;
}

double Font::width(const std::string& utf8) const { return caretOffsets(utf8).back(); }

size_t Font::indexAt(const std::string& utf8, double x) const {
  std::vector<double> offs = caretOffsets(utf8);
  size_t best = 0;
  double bestDist = fabs(x);
  for (const CodePoint& c : decodeUtf8(utf8)) {
    size_t end = c.offset + c.length;
    double d = fabs(offs[end] - x);
    if (d < bestDist) {
      bestDist = d;
      best = end;
    }
  }
  return best;
}

// --- layout

std::vector<LineRange> breakLines(const Font& font, const std::string& utf8, double width) {
  std::vector<LineRange> lines;
  size_t start = 0;
  while (true) {
    size_t nl = utf8.find('\n', start);
    size_t paraEnd = nl == std::string::npos ? utf8.size() : nl;
    size_t lineEnd = paraEnd;
    if (lineEnd > start && utf8[lineEnd - 1] == '\r') --lineEnd;
    size_t pos = start;
    if (width <= 0) {
      lines.push_back({start, lineEnd});
    } else {
      do {
        std::string para = utf8.substr(pos, lineEnd - pos);
        std::vector<double> offs = font.caretOffsets(para);
        if (offs.back() <= width) {
          lines.push_back({pos, lineEnd});
          break;
        }
        // The last character that fits, then the last space up to there.
        size_t fit = 0, first = 0;
        for (const CodePoint& c : decodeUtf8(para)) {
          if (!first) first = c.length;
          if (offs[c.offset + c.length] > width) break;
          fit = c.offset + c.length;
        }
        size_t brk = std::string::npos;
        for (size_t k = std::min(fit, para.size() - 1) + 1; k-- > 0;)
          if (para[k] == ' ') {
            brk = k;
            break;
          }
        size_t next;
        if (brk != std::string::npos && para.find_first_not_of(' ') < brk) {
          next = brk;
          while (next < para.size() && para[next] == ' ') ++next;  // spaces stay on this line
        } else {
          next = std::max(fit, first);
        }
        lines.push_back({pos, pos + next});
        pos += next;
      } while (pos < lineEnd);
    }
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::vector<std::string> wrapText(const Font& font, const std::string& utf8, double width) {
  std::vector<std::string> out;
  for (const LineRange& r : breakLines(font, utf8, width)) {
    std::string line = utf8.substr(r.start, r.end - r.start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (width > 0 && !line.empty() && line.back() == ' ') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::string truncateText(const Font& font, const std::string& utf8, double width) {
  if (font.width(utf8) <= width) return utf8;
  const std::string dots = "...";
  double room = width - font.width(dots);
  std::vector<double> offs = font.caretOffsets(utf8);
  size_t keep = 0;
  for (const CodePoint& c : decodeUtf8(utf8)) {
    if (offs[c.offset + c.length] > room) break;
    keep = c.offset + c.length;
  }
  return utf8.substr(0, keep) + dots;
}

Size measureText(const Font& font, const std::string& utf8, double maxWidth) {
  std::vector<std::string> lines = wrapText(font, utf8, maxWidth);
  double w = 0;
  for (const std::string& l : lines) w = std::max(w, font.width(l));
  return {w, font.lineHeight() * double(lines.size())};
}

// --- drawing

void drawText(DrawContext& ctx, const Font& font, const std::string& utf8, const Point& baseline,
              uint32_t argb) {
  if (!font.m_face || !ctx.bitmap() || utf8.empty() || (argb >> 24) == 0) return;
  Point origin = ctx.toPixel(baseline);
  std::vector<CodePoint> cps = decodeUtf8(utf8);
  std::lock_guard<std::mutex> g(textMutex());
  FontFace* f = font.m_face.get();
  double pen = origin.x;
  int by = int(floor(origin.y + 0.5));
  uint32_t prev = 0;
  for (const CodePoint& c : cps) {
    uint32_t cp = visible(c.cp);
    pen += kerning(f, prev, cp);
    const Glyph& gl = glyphFor(f, cp);
    if (!gl.cov.empty())
      ctx.fillMask(gl.cov.data(), gl.w, gl.h, gl.w, int(floor(pen + 0.5)) + gl.left, by - gl.top,
                   argb);
    pen += gl.advance;
    prev = cp;
  }
}

double drawTextInRect(DrawContext& ctx, const Font& font, const std::string& utf8, const Rect& r,
                      uint32_t argb, const TextBoxStyle& style) {
  Rect box = ctx.toPixels(r);
  std::vector<std::string> lines;
  if (style.wrap)
    lines = wrapText(font, utf8, box.w);
  else
    lines = wrapText(font, utf8, 0);
  if (style.ellipsis && lines.size() == 1) lines[0] = truncateText(font, lines[0], box.w);
  FontMetrics m = font.metrics();
  double total = m.lineHeight * double(lines.size());
  double top = box.y;
  if (style.centerVertically) top = box.y + floor((box.h - total) / 2 + 0.5);
  ctx.save();
  ctx.setTransform({});
  ctx.clipTo(box);
  double y = top;
  for (const std::string& line : lines) {
    double w = font.width(line);
    double x = box.x;
    if (style.align == TextAlign::Center) x = box.x + floor((box.w - w) / 2 + 0.5);
    else if (style.align == TextAlign::Right) x = box.maxX() - w;
    drawText(ctx, font, line, {x, y + m.ascent}, argb);
    y += m.lineHeight;
  }
  ctx.restore();
  return total;
}

}  // namespace plat
