// The scope page: known signals captured by the effect's blocks and drawn
// by the scope, column by column, at each zoom, running and frozen, in each
// draw mode; and its buttons, switches, zoom text and mouse wheel.

#include <algorithm>
#include <cmath>
#include <vector>

#include "DistoFxControls.h"
#include "UiControls.h"
#include "editor_fx_fixture.h"

namespace {

using Rawnfield::IRnDrawModeButton;
using Rawnfield::IRnScopeWaveSwitch;
using Rawnfield::IRnWaveDrawer;
using Rawnfield::Types::VisSample;

constexpr int kScope = 183;  // the scope page's first control
constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

uint32_t Rgb(const IColor& c) { return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B); }

class Scope : public EditorFx {
protected:
  void SetUp() override {
    EditorFx::SetUp();
    Show();
  }
  // The scope page at a zoom, input trace only, connected lines.
  void Show(double zoom = 100.0) {
    plug->onScopeTab();
    plug->zoomScope(false, 100.0);
    plug->zoomScope(true, (zoom - 10.0) / 10.0);
    ASSERT_EQ(plug->getConfig().scopeZoom, zoom);
    plug->setDrawMode(Rawnfield::kScopeDrawLine);
    plug->setDrawInputSignal(1.0);
    plug->setDrawOutputSignal(0.0);
    drawer = plug->getEditorLinks().waveDrawer;
    ASSERT_NE(drawer, nullptr);
  }
  // A fresh effect and editor: the capture starts at the first sample.
  void Remake(double zoom) {
    plug.reset(MakePlug(nullptr, nullptr));
    g = static_cast<IGraphicsDesktop*>(plug->GetGUI());
    Show(zoom);
  }

  // Runs `samples` samples of the signal (from sample `start` on) through
  // blocks and returns what the scope must have captured: one entry every
  // `step` samples, each sample averaged with the next within its block.
  template <class Signal>
  std::vector<VisSample> Run(long start, long samples, int step, Signal signal) {
    std::vector<VisSample> captured;
    std::vector<double> l(kBlock), r(kBlock), outL(kBlock), outR(kBlock);
    double* in[2] = {l.data(), r.data()};
    double* out[2] = {outL.data(), outR.data()};
    for (long b = start; b < start + samples; b += kBlock) {
      for (int i = 0; i < kBlock; ++i) signal(b + i, &l[i], &r[i]);
      plug->LockMutexAndProcessDoubleReplacing(in, out, kBlock);
      for (int i = 0; i < kBlock; ++i) {
        if ((b + i) % step != 0) continue;
        VisSample s;
        s.dryLeft = i + 1 < kBlock ? (l[i] + l[i + 1]) * 0.5 : l[i];
        s.dryRight = i + 1 < kBlock ? (r[i] + r[i + 1]) * 0.5 : r[i];
        captured.push_back(s);
      }
    }
    return captured;
  }

  uint32_t Pixel(int x, int y) { return PIX_GetPixel(g->GetDrawBitmap(), x, y) & 0xFFFFFF; }
  int Centre(int channel) {
    return drawer->GetScopeRECT().T + int(drawer->GetAmplitude()) * (channel ? 3 : 1);
  }
  int Level(int channel, double v) {
    const double q = drawer->GetAmplitude();
    return Centre(channel) - int(std::trunc(std::max(-1.0, std::min(1.0, v)) * q));
  }
  // Rows of column x drawn in the colour.
  std::vector<int> Rows(int x, uint32_t colour) {
    std::vector<int> rows;
    const IRECT& r = drawer->GetScopeRECT();
    for (int y = r.T; y < r.B; ++y)
      if (Pixel(x, y) == colour) rows.push_back(y);
    return rows;
  }
  // Every column shows the newest 601 of `entries` as a connected trace in
  // the input colour: from the previous entry's level to its own, and no
  // further.
  void ExpectTrace(const std::vector<VisSample>& entries) {
    const int n = plug->getScopeRing().capacity();
    ASSERT_GE(int(entries.size()), n);
    const uint32_t grey = Rgb(COLOR_RN_GRAY);
    const int left = drawer->GetScopeRECT().L;
    int previous[2] = {Centre(0), Centre(1)};
    int tallest = 0;
    for (int i = 1; i < n; ++i) {
      const VisSample& e = entries[entries.size() - n + i];
      const double v[2] = {e.dryLeft, e.dryRight};
      for (int c = 0; c < 2; ++c) {
        const int level = Level(c, v[c]);
        const int lo = std::min(previous[c], level), hi = std::max(previous[c], level);
        ASSERT_EQ(Pixel(left + i, level), grey) << "column " << i << ", channel " << c;
        ASSERT_NE(Pixel(left + i, lo - 1), grey) << "column " << i << ", channel " << c;
        ASSERT_NE(Pixel(left + i, hi + 1), grey) << "column " << i << ", channel " << c;
        tallest = std::max(tallest, std::abs(level - Centre(c)));
        previous[c] = level;
      }
    }
    // The sine fills most of the left channel's height.
    EXPECT_GT(tallest, drawer->GetAmplitude() * 0.8);
  }

  IRnWaveDrawer* drawer = nullptr;
};

// Two sines, a few periods across the scope at any zoom.
struct Sines {
  double frequency;
  double gain;
  void operator()(long k, double* l, double* r) const {
    const double t = k / kRate;
    *l = gain * 0.9 * std::sin(2.0 * M_PI * frequency * t);
    *r = gain * 0.45 * std::sin(2.0 * M_PI * 2.0 * frequency * t + 1.0);
  }
};

// At 44100 Hz the scope takes every 733rd sample at 10 %, every 73rd at
// 100 % and every 14th at 500 %; frozen, it keeps what it showed while the
// blocks run on with another signal.
TEST_F(Scope, ShowsASineAtEachZoomRunningAndFrozen) {
  const struct {
    double zoom;
    int step;
  } zooms[] = {{10.0, 733}, {100.0, 73}, {500.0, 14}};
  for (const auto& z : zooms)
    for (const bool frozen : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "zoom " << z.zoom << (frozen ? ", frozen" : ""));
      Remake(z.zoom);
      ASSERT_EQ(plug->GetSampleRate(), kRate);
      const Sines sines{2.5 * kRate / (601.0 * z.step), 1.0};
      const long samples = 601L * z.step + 3 * kBlock;
      const std::vector<VisSample> shown = Run(0, samples, z.step, sines);
      if (frozen) {
        Press(plug->getEditorLinks().freezeButton->GetRECT()->L + 2,
              plug->getEditorLinks().freezeButton->GetRECT()->T + 2);
        ASSERT_TRUE(plug->isScopeFrozen());
        const long next = (samples + kBlock - 1) / kBlock * kBlock;
        Run(next, 4L * z.step * 601 / 3, z.step,
            Sines{sines.frequency * 3.0, 0.5});
      }
      DrawAll();
      ExpectTrace(shown);
    }
}

// Each mode's column for a constant signal: a point, a bar from the centre,
// a bar mirrored about it; 1.5 reaches full scale and no further. The
// output trace is drawn over the input, and with both off only the centre
// lines remain.
TEST_F(Scope, DrawModesFullScaleAndTraces) {
  Remake(500.0);
  Run(0, 601L * 14 + kBlock, 14, [](long, double* l, double* r) {
    *l = 1.5;
    *r = -0.25;
  });
  const int q = int(drawer->GetAmplitude());
  const int x = drawer->GetScopeRECT().L + 300;
  const int top[2] = {Centre(0) - q, Centre(1) + q / 4};
  auto range = [](int from, int to) {
    std::vector<int> rows;
    for (int y = std::min(from, to); y <= std::max(from, to); ++y) rows.push_back(y);
    return rows;
  };
  const struct {
    Rawnfield::eRnScopeDrawMode mode;
    IColor colour;
  } modes[] = {{Rawnfield::kScopeDrawLine, COLOR_RN_GRAY},
               {Rawnfield::kScopeDrawFilled, COLOR_RN_DARK_GRAY},
               {Rawnfield::kScopeDrawMirrored, COLOR_RN_GRAY}};
  for (const auto& m : modes) {
    SCOPED_TRACE(m.mode);
    plug->setDrawMode(m.mode);
    DrawAll();
    std::vector<int> want;
    for (int c = 0; c < 2; ++c) {
      const int y = Centre(c), a = y - top[c];
      const std::vector<int> rows = m.mode == Rawnfield::kScopeDrawLine ? range(top[c], top[c])
                                    : m.mode == Rawnfield::kScopeDrawFilled
                                        ? range(y, top[c])
                                        : range(y + a, top[c]);
      want.insert(want.end(), rows.begin(), rows.end());
    }
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Rows(x, Rgb(m.colour)), want);
  }

  // The output over the input, where the ring has it.
  plug->setDrawMode(Rawnfield::kScopeDrawLine);
  plug->setDrawOutputSignal(1.0);
  DrawAll();
  const auto& ring = plug->getScopeRing();
  const VisSample e = ring.read((ring.writeCounter() + 300) % ring.capacity());
  EXPECT_EQ(Pixel(x, Level(0, e.outLeft)), Rgb(COLOR_RN_WHITE));
  EXPECT_EQ(Pixel(x, Level(1, e.outRight)), Rgb(COLOR_RN_WHITE));

  plug->setDrawInputSignal(0.0);
  plug->setDrawOutputSignal(0.0);
  DrawAll();
  for (const IColor& c : {COLOR_RN_GRAY, COLOR_RN_DARK_GRAY, COLOR_RN_WHITE})
    EXPECT_TRUE(Rows(x, Rgb(c)).empty());
  // The centre lines are there, lighter than the display around them.
  EXPECT_GT(Pixel(x, Centre(0)) & 0xFF, Pixel(x, Centre(0) + 3) & 0xFF);
}

// Records what the scope's controls ask for.
class ScopeStandIn : public Rawnfield::IScopeController {
public:
  void setFreeze(bool f) override { freezes.push_back(f); }
  void zoomScope(bool in, double steps) override { zooms.push_back((in ? 1 : -1) * steps); }
  Rawnfield::eRnScopeDrawMode getDrawMode() const override { return mode; }
  void setDrawMode(Rawnfield::eRnScopeDrawMode m) override { mode = m; }
  bool doDrawInputSignal() const override { return input == 1.0; }
  bool doDrawOutputSignal() const override { return output == 1.0; }
  void setDrawInputSignal(double v) override { input = v; }
  void setDrawOutputSignal(double v) override { output = v; }

  Rawnfield::eRnScopeDrawMode mode = Rawnfield::kScopeDrawFilled;
  double input = 1.0, output = 0.0;
  std::vector<bool> freezes;
  std::vector<double> zooms;
};

TEST_F(Scope, DrawModeButtonAndTraceSwitches) {
  ScopeStandIn scope;
  IBitmap modes =
      g->LoadIBitmap(1007, "resources/img/buttons/hollow_half_filled_scope_button.png", 3);
  IBitmap onOff = g->LoadIBitmap(1009, "resources/img/buttons/input_on_off.png", 2);
  IRnDrawModeButton* button = new IRnDrawModeButton(plug.get(), &scope, 0, 0, -1, &modes);
  IRnScopeWaveSwitch* input = new IRnScopeWaveSwitch(plug.get(), &scope, 100, 0, -1, &onOff,
                                                     Rawnfield::kScopeInputWave);
  IRnScopeWaveSwitch* output = new IRnScopeWaveSwitch(plug.get(), &scope, 200, 0, -1, &onOff,
                                                      Rawnfield::kScopeOutputWave);
  g->AttachControl(button);
  g->AttachControl(input);
  g->AttachControl(output);
  EXPECT_EQ(button->GetValue(), 0.5);
  EXPECT_EQ(input->GetValue(), 1.0);
  EXPECT_EQ(output->GetValue(), 0.0);

  // Three presses come back to the start; an unknown mode goes to 0.
  const double values[] = {1.0, 0.0, 0.5};
  for (double v : values) {
    Press(2, 2);
    EXPECT_EQ(button->GetValue(), v);
    EXPECT_EQ(scope.mode * 0.5, v);
  }
  scope.mode = static_cast<Rawnfield::eRnScopeDrawMode>(5);
  Press(2, 2);
  EXPECT_EQ(scope.mode, Rawnfield::kScopeDrawLine);

  Press(102, 2);
  Press(202, 2);
  EXPECT_EQ(scope.input, 0.0);
  EXPECT_EQ(scope.output, 1.0);
  EXPECT_EQ(input->GetValue(), 0.0);
  // The stored settings come back with UpdateData.
  scope.mode = Rawnfield::kScopeDrawMirrored;
  scope.input = 1.0;
  button->UpdateData();
  input->UpdateData();
  EXPECT_EQ(button->GetValue(), 1.0);
  EXPECT_EQ(input->GetValue(), 1.0);
}

TEST_F(Scope, WheelFreezeAndZoomButtons) {
  ScopeStandIn scope;
  IBitmap display = g->LoadIBitmap(2010, "resources/img/displays/wave_display.png", 1);
  IRnWaveDrawer* wheel =
      new IRnWaveDrawer(plug.get(), &scope, plug->getScopeRing(), 0, 0, &display);
  IMouseMod none;
  wheel->OnMouseWheel(10, 10, &none, -2);
  wheel->OnMouseWheel(10, 10, &none, 3);
  EXPECT_EQ(scope.zooms, (std::vector<double>{-2.0, 3.0}));
  delete wheel;

  // The effect's own: each press of the freeze button flips it.
  IRnFreezeButton* freeze = plug->getEditorLinks().freezeButton;
  const auto& ring = plug->getScopeRing();
  const int at = ring.writeCounter();
  freeze->OnMouseDown(0, 0, &none);
  EXPECT_TRUE(plug->isScopeFrozen());
  EXPECT_EQ(freeze->GetValue(), 1.0);
  freeze->OnMouseDown(0, 0, &none);
  EXPECT_FALSE(plug->isScopeFrozen());
  EXPECT_EQ(freeze->GetValue(), 0.0);
  EXPECT_EQ((ring.writeCounter() - at + ring.capacity()) % ring.capacity(), 20);

  // Zoom buttons: one step, four with the right button; the text follows.
  Tick();
  ITextControl* text = ControlAt<ITextControl>(kScope + 5);
  IRnZoomSwitch* out = ControlAt<IRnZoomSwitch>(kScope + 3);
  IRnZoomSwitch* in = ControlAt<IRnZoomSwitch>(kScope + 4);
  EXPECT_STREQ(text->GetTextForPlug(), "100 %");
  IMouseMod right(false, true), left(true, false);
  out->OnMouseDown(0, 0, &right);
  EXPECT_EQ(out->GetValue(), 1.0);
  out->OnMouseUp(0, 0, &right);
  EXPECT_EQ(out->GetValue(), 0.0);
  EXPECT_EQ(plug->getConfig().scopeZoom, 60.0);
  in->OnMouseDown(0, 0, &left);
  EXPECT_EQ(plug->getConfig().scopeZoom, 70.0);
  EXPECT_STREQ(text->GetTextForPlug(), " 70 %");
  text->OnMouseWheel(0, 0, &left, -7);
  EXPECT_EQ(plug->getConfig().scopeZoom, 10.0);
  drawer->OnMouseWheel(0, 0, &left, 2);
  EXPECT_EQ(plug->getConfig().scopeZoom, 30.0);
  EXPECT_STREQ(text->GetTextForPlug(), " 30 %");
}

// A configuration applied again (a loaded state) reaches the scope's
// switches.
TEST_F(Scope, SwitchesFollowTheConfiguration) {
  const Harshbloom::EditorLinks& links = plug->getEditorLinks();
  plug->setDrawMode(Rawnfield::kScopeDrawMirrored);
  plug->setDrawInputSignal(0.0);
  plug->setDrawOutputSignal(1.0);
  EXPECT_NE(links.drawModeButton->GetValue(), 1.0);
  plug->OnGUIOpen();
  Tick();
  EXPECT_EQ(links.drawModeButton->GetValue(), 1.0);
  EXPECT_EQ(links.inputWaveSwitch->GetValue(), 0.0);
  EXPECT_EQ(links.outputWaveSwitch->GetValue(), 1.0);
}

}  // namespace
