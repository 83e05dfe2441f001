// Pixels of stock controls compared with reference pictures composed by
// make_test_images.py, after a full redraw and after a one-knob redraw.

#include <memory>
#include <string>

#include "editor_fixture.h"
#include "platform/window.h"

namespace {

class Pixels : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    g = MakeEditor(120, 80);
    g->AttachBackground(700, "resources/img/bg.png");
    IBitmap knobImg = g->LoadIBitmap(701, "resources/img/knob.png", 4);
    IBitmap switchImg = g->LoadIBitmap(702, "resources/img/switch.png", 2);
    IBitmap radioImg = g->LoadIBitmap(703, "resources/img/radio.png", 2);
    IBitmap handleImg = g->LoadIBitmap(704, "resources/img/handle.png", 1);
    knob = new IKnobMultiControl(plug.get(), 10, 10, EditorPlug::kGain, &knobImg);
    g->AttachControl(knob);
    g->AttachControl(new ISwitchControl(plug.get(), 40, 10, EditorPlug::kSwitch, &switchImg,
                                        IChannelBlend::kBlendCopy));
    g->AttachControl(new IRadioButtonsControl(plug.get(), IRECT(60, 10, 72, 70),
                                              EditorPlug::kMode, 3, &radioImg));
    g->AttachControl(new IFaderControl(plug.get(), 90, 10, 60, EditorPlug::kAmount, &handleImg));
    const IColor panel(255, 200, 30, 60);
    g->AttachControl(new IPanelControl(plug.get(), IRECT(5, 70, 115, 78), &panel));
    // Gain 4 dB (2/3 of -12..12), switch on, mode 1 of 0..2, amount 25 %.
    plug->GetParam(EditorPlug::kGain)->Set(4.0);
    plug->GetParam(EditorPlug::kSwitch)->Set(1.0);
    plug->GetParam(EditorPlug::kMode)->Set(1.0);
    plug->GetParam(EditorPlug::kAmount)->Set(25.0);
    Attach(g);
  }

  // Mismatching pixels against a reference picture (-1 when it cannot be read).
  int Differences(const char* name, PIX_IBitmap* got) {
    const std::string path = std::string(HB_TEST_DATA_DIR "/ref/") + name;
    std::unique_ptr<PIX_IBitmap> ref(PIX_LoadPNG(path.c_str(), nullptr));
    if (!ref || ref->getWidth() != got->getWidth() || ref->getHeight() != got->getHeight())
      return -1;
    int diff = 0;
    for (int y = 0; y < ref->getHeight(); ++y)
      for (int x = 0; x < ref->getWidth(); ++x)
        if (PixelAt(ref.get(), x, y) != PixelAt(got, x, y)) {
          if (!diff) ADD_FAILURE() << name << ": first difference at " << x << "," << y;
          ++diff;
        }
    return diff;
  }

  TestEditor* g = nullptr;
  IKnobMultiControl* knob = nullptr;
};

TEST_F(Pixels, FullRedrawMatchesTheReference) {
  IRECT dirty;
  ASSERT_TRUE(g->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(0, 0, 120, 80));
  g->Draw(&dirty);
  EXPECT_EQ(Differences("editor.png", g->GetDrawBitmap()), 0);
}

TEST_F(Pixels, OneKnobRedrawChangesOnlyTheKnob) {
  IRECT all;
  ASSERT_TRUE(g->IsDirty(&all));
  g->Draw(&all);
  PIX_MemBitmap before;
  PIX_Copy(&before, g->GetDrawBitmap());

  g->SetParameterFromPlug(EditorPlug::kGain, -4.0, false);  // 1/3: frame 2
  IRECT dirty;
  ASSERT_TRUE(g->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(10, 10, 26, 26));
  g->Draw(&dirty);
  EXPECT_EQ(Differences("editor_knob.png", g->GetDrawBitmap()), 0);
  // Outside the knob nothing was touched.
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x)
      if (!dirty.Contains(x, y)) {
        ASSERT_EQ(PixelAt(&before, x, y), PixelAt(g->GetDrawBitmap(), x, y)) << x << "," << y;
      }
}

TEST_F(Pixels, TheWindowShowsTheSamePicture) {
  plat::Window* win = new plat::Window({0, 0, 120, 80}, plat::kStyleTitled);
  g->OpenWindow(win);
  win->orderFront();
  plat::app().runFor(0.05);
  EXPECT_EQ(Differences("editor.png", g->GetDrawBitmap()), 0);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x)
      ASSERT_EQ(win->backing().pixel(x, y), PixelAt(g->GetDrawBitmap(), x, y)) << x << "," << y;
}

}  // namespace
