#pragma once

// A small plug-in with an editor of stock controls, and what the editor tests
// share: a surface that counts its image loads and screen copies, a control
// that records what reaches it, and a fixture on the virtual clock with the
// test images as the program's resources.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "IControl.h"
#include "IControls.h"
#include "IFxStandalone.h"
#include "IGraphicsDesktop.h"
#include "IPopupMenu.h"
#include "pix.h"
#include "platform/app.h"

class EditorPlug : public IFxStandalone {
public:
  enum { kGain, kMode, kSteps, kSwitch, kFlag, kAmount, kNumParams };

  EditorPlug()
      : IFxStandalone(Info(), kNumParams, "2-2", 1, "Editor Test", "Editor Test", "Test Maker",
                      0x010000, 0x45647431, 0x4D6B7231, 0, false, false, false, 0) {
    GetParam(kGain)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Hard");
    GetParam(kMode)->SetDisplayText(2, "Fold");
    GetParam(kSteps)->InitInt("Steps", 5, 0, 10, "st");
    GetParam(kSwitch)->InitBool("Switch", false);
    GetParam(kSwitch)->SetDisplayText(0, "Off");
    GetParam(kSwitch)->SetDisplayText(1, "On");
    GetParam(kFlag)->InitBool("Flag", false);
    GetParam(kAmount)->InitDouble("Amount", 50.0, 0.0, 100.0, 0.01, "%");
  }

  // Every value the editor sends, normalised, in order.
  void SetParameterFromGUI(int paramIdx, double value) override {
    fromGUI.push_back({paramIdx, value});
    IFxStandalone::SetParameterFromGUI(paramIdx, value);
  }
  void BeginInformHostOfParamChange(int idx) override { informs.push_back("begin " + std::to_string(idx)); }
  void EndInformHostOfParamChange(int idx) override { informs.push_back("end " + std::to_string(idx)); }
  void ResizeGraphics(int w, int h) override { resized.push_back({w, h}); }

  std::vector<std::pair<int, double>> fromGUI;
  std::vector<std::string> informs;
  std::vector<std::pair<int, int>> resized;

private:
  static IFxInstanceInfo Info() {
    IFxInstanceInfo info;
    info.mBundleID.Set("com.test.editor");
    return info;
  }
};

// Counts what the platform half is asked for.
class TestEditor : public IGraphicsDesktop {
public:
  TestEditor(IFxBase* plug, int w, int h, int fps = 0) : IGraphicsDesktop(plug, w, h, fps) {}
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override {
    ++loads[name ? name : ""];
    return IGraphicsDesktop::OSLoadBitmap(id, name);
  }
  void DrawScreen(IRECT* r) override {
    ++screens;
    IGraphicsDesktop::DrawScreen(r);
  }
  using IGraphics::CacheFont;
  std::map<std::string, int> loads;
  int screens = 0;
};

// Records what reaches it; draws a solid rectangle when it has a colour.
class ProbeControl : public IControl {
public:
  ProbeControl(IFxBase* plug, IRECT r, int paramIdx = -1, std::vector<std::string>* log = nullptr,
               std::string name = "")
      : IControl(plug, r, paramIdx), mLog(log), mName(std::move(name)) {}
  void Draw(IGraphics* g) override {
    ++draws;
    if (color.A) g->FillIRect(&color, &mRECT);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    Note("down", x, y);
    lastMod = *mod;
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Note("up", x, y); }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override {
    Note("drag", x, y);
    drags.push_back({dX, dY});
  }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { Note("dbl", x, y); }
  void OnMouseWheel(int x, int y, IMouseMod*, int d) override {
    Note("wheel", x, y);
    wheel += d;
  }
  bool OnKeyDown(int, int, int key) override {
    keys.push_back(key);
    return takesKeys;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Note("over", x, y); }
  void OnMouseOut() override { Note("out", 0, 0); }
  void TextFromTextEntry(const char* text) override { entered.push_back(text); }

  int draws = 0;
  int wheel = 0;
  IColor color = COLOR_TRANSPARENT;
  IMouseMod lastMod;
  bool takesKeys = true;
  std::vector<int> keys;
  std::vector<std::pair<int, int>> drags;
  std::vector<std::string> entered;

private:
  void Note(const char* what, int x, int y) {
    if (mLog)
      mLog->push_back(mName + " " + what + (x || y ? " " + std::to_string(x) + "," + std::to_string(y) : ""));
  }
  std::vector<std::string>* mLog;
  std::string mName;
};

class EditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    plat::app().resetForTests();
    plat::app().useVirtualClock(true);
    PIX_SetResourceDir(HB_TEST_DATA_DIR "/img");
    plug = std::make_unique<EditorPlug>();
  }
  void TearDown() override {
    plug.reset();
    plat::app().resetForTests();
    PIX_SetResourceDir(nullptr);
  }
  // A surface for the plug-in, not yet attached.
  TestEditor* MakeEditor(int w = 120, int h = 80) { return new TestEditor(plug.get(), w, h); }
  // Attaches the editor (the plug-in owns it from here on).
  TestEditor* Attach(TestEditor* g) {
    plug->AttachGraphics(g);
    return g;
  }

  std::unique_ptr<EditorPlug> plug;
};

// The pixel at (x, y) of a raster bitmap.
inline unsigned int PixelAt(PIX_IBitmap* b, int x, int y) {
  return b->getBits()[size_t(b->getRowSpan()) * size_t(y) + size_t(x)];
}
