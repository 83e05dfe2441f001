// Redraws of a full 650 x 830 editor of stock controls into its bitmap: a
// background image, 48 knobs from a 128-frame strip, 24 two-frame switches,
// 4 radio groups, 4 faders, panels and 24 text labels. Reports us_per_op
// (microseconds per redraw) for the whole editor and for one knob.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "IControls.h"
#include "IFxStandalone.h"
#include "IGraphicsDesktop.h"
#include "pix.h"

namespace {

const int kW = 650, kH = 830;

class BenchPlug : public IFxStandalone {
public:
  static const int kParams = 100;
  BenchPlug()
      : IFxStandalone(IFxInstanceInfo(), kParams, "2-2", 1, "Bench", "Bench", "Bench", 0x010000, 1,
                      1, 0, false, false, false, 0) {
    for (int i = 0; i < kParams; ++i) GetParam(i)->InitDouble("Param", 0.5, 0.0, 1.0, 0.001);
  }
};

// Pixels with some variety, opaque, with transparent corners on request.
PIX_MemBitmap* Image(int w, int h, bool corners, unsigned seed) {
  PIX_MemBitmap* b = new PIX_MemBitmap(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int fx = x % w, fy = y % (w ? w : 1);
      const bool clear = corners && (fx + fy < 6 || (w - 1 - fx) + fy < 6);
      b->getBits()[size_t(b->getRowSpan()) * size_t(y) + size_t(x)] =
          clear ? 0u : (0xFF000000u | (seed >> 8));
    }
  return b;
}

struct Editor {
  BenchPlug plug;
  IGraphicsDesktop* g;
  IKnobMultiControl* knob = nullptr;
  std::vector<std::unique_ptr<PIX_MemBitmap>> images;

  Editor() {
    g = new IGraphicsDesktop(&plug, kW, kH);
    IBitmap bg = Keep(Image(kW, kH, false, 1), 1);
    IBitmap knobStrip = Keep(Image(48, 48 * 128, true, 2), 128);
    IBitmap sw = Keep(Image(30, 40, true, 3), 2);
    IBitmap radio = Keep(Image(14, 28, true, 4), 2);
    IBitmap handle = Keep(Image(24, 12, false, 5), 1);
    g->AttachControl(new IBitmapControl(&plug, 0, 0, &bg, IChannelBlend::kBlendCopy));
    const IColor panel(255, 30, 30, 40);
    for (int i = 0; i < 4; ++i)
      g->AttachControl(new IPanelControl(&plug, IRECT(20 + 155 * i, 20, 160 + 155 * i, 200), &panel));
    int param = 0;
    for (int row = 0; row < 8; ++row)
      for (int col = 0; col < 6; ++col) {
        IKnobMultiControl* k = new IKnobMultiControl(&plug, 30 + 100 * col, 220 + 70 * row,
                                                     param++, &knobStrip);
        g->AttachControl(k);
        if (!knob) knob = k;
      }
    for (int i = 0; i < 24; ++i)
      g->AttachControl(new ISwitchControl(&plug, 20 + 26 * i, 790, param++, &sw,
                                          IChannelBlend::kBlendCopy));
    for (int i = 0; i < 4; ++i)
      g->AttachControl(new IRadioButtonsControl(&plug, IRECT(30 + 155 * i, 30, 44 + 155 * i, 190),
                                                param++, 5, &radio));
    for (int i = 0; i < 4; ++i)
      g->AttachControl(new IFaderControl(&plug, 100 + 155 * i, 30, 160, param++, &handle));
    IText label(11, &COLOR_WHITE, "Helvetica");
    for (int i = 0; i < 24; ++i)
      g->AttachControl(new ITextControl(&plug, IRECT(30 + 100 * (i % 6), 270 + 140 * (i / 6),
                                                     100 + 100 * (i % 6), 284 + 140 * (i / 6)),
                                        &label, "Label 123"));
    plug.AttachGraphics(g);
    IRECT all;
    g->IsDirty(&all);
    g->Draw(&all);
  }
  IBitmap Keep(PIX_MemBitmap* b, int frames) {
    images.emplace_back(b);
    return IBitmap(b, b->getWidth(), b->getHeight(), frames);
  }
};

typedef std::chrono::steady_clock Clock;

void Report(benchmark::State& state, Clock::time_point start) {
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  state.counters["us_per_op"] = us / double(state.iterations());
}

void BM_FullRedraw(benchmark::State& state) {
  Editor e;
  const auto start = Clock::now();
  for (auto _ : state) {
    e.g->SetAllControlsDirty();
    IRECT r;
    e.g->IsDirty(&r);
    e.g->Draw(&r);
  }
  Report(state, start);
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

void BM_OneKnobRedraw(benchmark::State& state) {
  Editor e;
  double v = 0.0;
  const auto start = Clock::now();
  for (auto _ : state) {
    v = v > 0.9 ? 0.0 : v + 0.01;
    e.knob->SetValueFromPlug(v);
    IRECT r;
    e.g->IsDirty(&r);
    e.g->Draw(&r);
  }
  Report(state, start);
}
BENCHMARK(BM_OneKnobRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
