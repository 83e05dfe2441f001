#pragma once

// Text: fonts by family name, size and weight, measurement, line breaking and
// drawing into a DrawContext. Sizes are in points, and a point is a pixel
// (scale factor 1.0).
//
// The families the program names are mapped to fonts installed here:
// Helvetica, Arial and the system font to Liberation Sans (same metrics),
// Monaco and Menlo to DejaVu Sans Mono, Courier and Courier New to
// Liberation Mono, Times to Liberation Serif; other names go to the desktop's
// own matching. A font that cannot be loaded at all stays usable: it draws
// nothing and measures every character as half its size wide, so layouts
// still come out sensible.
//
// Strings are UTF-8; a byte that does not start a valid sequence stands for
// the character of the same number (Latin-1).
//
// Main thread, like all drawing; the font and glyph caches are guarded so a
// measurement from another thread does no harm.

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "draw_context.h"
#include "geometry.h"

namespace plat {

struct FontFace;

enum FontWeight : int { kWeightRegular = 400, kWeightBold = 700 };

struct FontMetrics {
  double ascent = 0;      // above the baseline, positive
  double descent = 0;     // below the baseline, positive
  double lineHeight = 0;  // baseline to baseline
};

class Font {
public:
  // No font: draws nothing, estimated widths.
  Font() = default;
  Font(const std::string& family, double size, int weight = kWeightRegular, bool italic = false);
  // The desktop's interface font (Liberation Sans here).
  static Font system(double size, int weight = kWeightRegular);
  static Font monospace(double size);

  bool isValid() const { return m_face != nullptr; }
  const std::string& family() const { return m_family; }
  double size() const { return m_size; }
  int weight() const { return m_weight; }
  bool italic() const { return m_italic; }
  // What was loaded: the font's own family name and file (empty when none).
  std::string resolvedFamily() const;
  std::string filePath() const;

  FontMetrics metrics() const;
  double ascent() const { return metrics().ascent; }
  double descent() const { return metrics().descent; }
  double lineHeight() const { return metrics().lineHeight; }

  // Advance width of a single line (line breaks are measured as spaces).
  double width(const std::string& utf8) const;
  // Pen position before each byte, and after the last one (size + 1 values);
  // the bytes inside one character share its start.
  std::vector<double> caretOffsets(const std::string& utf8) const;
  // The byte index of the character boundary nearest to x.
  size_t indexAt(const std::string& utf8, double x) const;

  // Advance of one character (code point).
  double charAdvance(uint32_t cp) const;
  // The font's glyph number of a character, 0 when it has none.
  unsigned glyphIndex(uint32_t cp) const;

private:
  friend void drawText(DrawContext&, const Font&, const std::string&, const Point&, uint32_t);
  std::shared_ptr<FontFace> m_face;
  std::string m_family;
  double m_size = 12;
  int m_weight = kWeightRegular;
  bool m_italic = false;
};

// Code points of a UTF-8 string, each with the byte offset it starts at.
struct CodePoint {
  uint32_t cp;
  size_t offset;
  size_t length;
};
std::vector<CodePoint> decodeUtf8(const std::string& s);
// Appends one code point as UTF-8.
void appendUtf8(std::string& out, uint32_t cp);
// Length of the longest prefix of s no longer than maxBytes that does not cut
// a UTF-8 sequence.
size_t utf8Prefix(const std::string& s, size_t maxBytes);

// Byte ranges of the lines text breaks into at width: [start, end), the
// '\n' that ends a line not included, the spaces where a line was broken
// kept at its end. width <= 0: only the explicit breaks.
struct LineRange {
  size_t start, end;
};
std::vector<LineRange> breakLines(const Font& font, const std::string& utf8, double width);

// Breaks text into lines no wider than width: at '\n', else at the last space
// that fits; a word wider than the whole line is cut between characters.
// Spaces at a break are dropped. width <= 0: only the explicit breaks.
std::vector<std::string> wrapText(const Font& font, const std::string& utf8, double width);
// The text cut to fit width, ending in "..." when it had to be cut.
std::string truncateText(const Font& font, const std::string& utf8, double width);

// Draws one line with its baseline's left end at `baseline` (the context's
// current coordinates). Glyphs stay upright whichever way y points.
void drawText(DrawContext& ctx, const Font& font, const std::string& utf8, const Point& baseline,
              uint32_t argb);

enum class TextAlign { Left, Center, Right };

struct TextBoxStyle {
  TextAlign align = TextAlign::Left;
  bool wrap = false;            // break lines at the box width
  bool centerVertically = false;  // else the lines start at the box's top
  bool ellipsis = false;        // a single line too wide ends in "..."
};

// Lines laid out in a box given in the context's current coordinates (either
// way up): the first line at the box's top edge as it shows on screen, the
// next ones below, clipped to the box. Returns the height used.
double drawTextInRect(DrawContext& ctx, const Font& font, const std::string& utf8, const Rect& r,
                      uint32_t argb, const TextBoxStyle& style);
// The size the text takes: the widest line and the lines' total height
// (maxWidth <= 0: no wrapping).
Size measureText(const Font& font, const std::string& utf8, double maxWidth = 0);

// Makes the fonts of a font file available to this process by their family
// names; false when the file holds no font.
bool registerFontFile(const std::string& path);
// Installs a font file for the user: copies it into the user's font folder
// (userFontFolder()), where every program's font configuration finds it, and
// makes it available to this process. A file of the same name holding
// another font is kept; the copy then takes a numbered name. False when the
// file holds no font or cannot be copied; *installed gets the copy's path.
bool installUserFont(const std::string& path, std::string* installed = nullptr);
// $XDG_DATA_HOME/fonts, else $HOME/.local/share/fonts; empty without either.
std::string userFontFolder();

}  // namespace plat
