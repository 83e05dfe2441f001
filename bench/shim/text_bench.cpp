// A screen of text: the editor's 650 x 830 system bitmap filled with 12-pixel
// Arial labels, 40 characters a line, a line every 16 pixels (51 lines,
// about 2000 characters), drawn through a cached font the layer's way
// (opaque colour, as the editor draws labels) and the cached way (colour
// alpha). Also a single label of each kind. The time column is the time per
// screen (per label); chars_per_s counts the characters drawn.

#include <benchmark/benchmark.h>

#include "pix.h"
#include "pix_font.h"
#include "shim-gdi.h"

namespace {

const int kW = 650, kH = 830, kLine = 16;
const char* kLabel = "Drive 12.5 dB  Tone 3.2 kHz  Mix 100 %  ";  // 40 characters

struct Screen {
  PIX_SysBitmap bmp{kW, kH};
  PIX_CachedFont font;
  Screen() {
    font.SetFromHFont(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"),
                      PIX_FONT_OWNS_HFONT | PIX_FONT_NATIVE);
    PIX_Clear(&bmp, 0xFF202020);
  }
  // Returns the characters drawn.
  int draw(unsigned flags, uint32_t color) {
    font.SetTextColor(color);
    int n = 0;
    for (int y = 0; y + kLine <= kH; y += kLine) {
      RECT r{4, y, kW - 4, y + kLine};
      font.DrawText(&bmp, kLabel, -1, &r, flags | DT_NOCLIP);
      n += 40;
    }
    return n;
  }
};

void BM_Screen(benchmark::State& state, unsigned flags, uint32_t color) {
  Screen s;
  s.draw(flags, color);  // glyphs cached before timing
  int64_t chars = 0;
  for (auto _ : state) chars += s.draw(flags, color);
  state.counters["chars_per_s"] = benchmark::Counter(double(chars), benchmark::Counter::kIsRate);
}

void BM_Label(benchmark::State& state, unsigned flags, uint32_t color) {
  Screen s;
  s.font.SetTextColor(color);
  RECT r{10, 10, 200, 30};
  s.font.DrawText(&s.bmp, "Drive 12.5 dB", -1, &r, flags);
  for (auto _ : state) {
    RECT q = r;
    benchmark::DoNotOptimize(s.font.DrawText(&s.bmp, "Drive 12.5 dB", -1, &q, flags));
  }
}

BENCHMARK_CAPTURE(BM_Screen, layer_way, 0u, 0xFFE0E0E0u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Screen, cached_way, unsigned(PIX_DT_USEFGALPHA), 0xC0E0E0E0u)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Screen, layer_way_centred, unsigned(DT_CENTER), 0xFFE0E0E0u)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Label, layer_way, 0u, 0xFFE0E0E0u);
BENCHMARK_CAPTURE(BM_Label, cached_way, unsigned(PIX_DT_USEFGALPHA), 0xC0E0E0E0u);
BENCHMARK_CAPTURE(BM_Label, measure, unsigned(DT_CALCRECT), 0xFFE0E0E0u);

}  // namespace
