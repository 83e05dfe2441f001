// Views and windows: coordinates, hit testing, the display pass into the
// backing bitmap, event routing, first responder.

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/controls.h"
#include "platform/view.h"
#include "platform/window.h"

using namespace plat;

namespace {

class Views : public ::testing::Test {
protected:
  void SetUp() override {
    app().resetForTests();
    app().useVirtualClock(true);
    win = new Window({100, 200, 200, 100}, kStyleTitled);
  }
  void TearDown() override { app().resetForTests(); }
  Window* win = nullptr;
};

// A view that paints itself in one colour and records what it saw.
struct Solid : View {
  uint32_t color;
  bool flip;
  int draws = 0;
  Rect lastDirty;
  std::vector<std::string>* log = nullptr;
  std::string name;
  Solid(const Rect& f, uint32_t c, bool flipped = false) : View(f), color(c), flip(flipped) {}
  bool isFlipped() const override { return flip; }
  void draw(DrawContext& ctx, const Rect& dirty) override {
    ++draws;
    lastDirty = dirty;
    ctx.fillRect(bounds(), color);
  }
  void mouseDown(const Event&) override {
    if (log) log->push_back(name + " down");
  }
  void mouseDragged(const Event&) override {
    if (log) log->push_back(name + " drag");
  }
  void mouseUp(const Event&) override {
    if (log) log->push_back(name + " up");
  }
  bool acceptsFirstResponder() const override { return true; }
  bool acceptsFirstMouse(const Event&) override { return true; }
};

template <class T>
T* add(View* parent, T* v) {
  parent->addSubview(v);
  v->release();
  return v;
}

TEST_F(Views, FramesMapToWindowPixelsForFlippedAndUnflippedParents) {
  // Content view: not flipped, 200 x 100; y up from the bottom.
  Solid* up = add(win->contentView(), new Solid({10, 20, 50, 30}, 0xFFFF0000));
  EXPECT_EQ(up->pixelRectInWindow(), (Rect{10, 50, 50, 30}));  // 100 - 20 - 30
  Solid* flipped = add(win->contentView(), new Solid({100, 0, 80, 60}, 0xFF00FF00, true));
  Solid* inFlipped = add(flipped, new Solid({5, 7, 10, 10}, 0xFF0000FF));
  EXPECT_EQ(flipped->pixelRectInWindow(), (Rect{100, 40, 80, 60}));
  EXPECT_EQ(inFlipped->pixelRectInWindow(), (Rect{105, 47, 10, 10}));
  // Window base coordinates are bottom-up; a point round-trips.
  Point p = inFlipped->convertToWindow({0, 0});  // its bottom-left corner
  EXPECT_DOUBLE_EQ(p.x, 105);
  EXPECT_DOUBLE_EQ(p.y, 100 - 57);
  Point back = inFlipped->convertFromWindow(p);
  EXPECT_DOUBLE_EQ(back.x, 0);
  EXPECT_DOUBLE_EQ(back.y, 0);
  Point q = up->convertPoint({3, 4}, inFlipped);
  Point q2 = inFlipped->convertPoint(q, up);
  EXPECT_DOUBLE_EQ(q2.x, 3);
  EXPECT_DOUBLE_EQ(q2.y, 4);
  // Screen coordinates add the window origin.
  Point s = win->convertToScreen(p);
  EXPECT_DOUBLE_EQ(s.x, 205);
  EXPECT_DOUBLE_EQ(s.y, 243);
}

TEST_F(Views, HitTestFindsTheTopmostDeepestVisibleView) {
  Solid* a = add(win->contentView(), new Solid({0, 0, 100, 100}, 0xFFFF0000));
  Solid* b = add(win->contentView(), new Solid({50, 0, 100, 100}, 0xFF00FF00));
  Solid* inner = add(b, new Solid({0, 0, 20, 20}, 0xFF0000FF));
  EXPECT_EQ(win->contentView()->hitTest({60, 5}), inner);
  EXPECT_EQ(win->contentView()->hitTest({60, 50}), b);
  EXPECT_EQ(win->contentView()->hitTest({10, 50}), a);
  b->setHidden(true);
  EXPECT_EQ(win->contentView()->hitTest({60, 5}), a);
  EXPECT_EQ(win->contentView()->hitTest({190, 50}), win->contentView());
}

TEST_F(Views, DisplayPaintsBackToFrontClippedToParents) {
  win->setBackgroundColor(0xFF202020);
  Solid* parent = add(win->contentView(), new Solid({10, 10, 40, 40}, 0xFFFF0000, true));
  add(parent, new Solid({30, 30, 40, 40}, 0xFF0000FF, true));  // sticks out of the parent
  win->display();
  const Bitmap& b = win->backing();
  ASSERT_EQ(b.width(), 200);
  ASSERT_EQ(b.height(), 100);
  // parent covers pixels x 10..49, y (100-50)..(100-10) = 50..89
  EXPECT_EQ(b.pixel(10, 50), 0xFFFF0000u);
  EXPECT_EQ(b.pixel(45, 85), 0xFF0000FFu);  // child, inside the parent
  EXPECT_EQ(b.pixel(55, 85), 0xFF202020u);  // child beyond the parent is clipped
  EXPECT_EQ(b.pixel(9, 50), 0xFF202020u);
  EXPECT_EQ(b.pixel(0, 0), 0xFF202020u);
}

TEST_F(Views, OnlyTheDirtyAreaIsRepainted) {
  Solid* left = add(win->contentView(), new Solid({0, 0, 50, 100}, 0xFFFF0000, true));
  Solid* right = add(win->contentView(), new Solid({100, 0, 50, 100}, 0xFF00FF00, true));
  win->orderFront();
  app().runOnce(0);
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 1);
  right->setNeedsDisplayInRect({5, 6, 10, 20});
  EXPECT_TRUE(win->viewsNeedDisplay());
  app().runOnce(0);
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 2);
  EXPECT_EQ(right->lastDirty, (Rect{5, 6, 10, 20}));
  // A hidden window is not drawn by the loop.
  win->orderOut();
  right->setNeedsDisplay(true);
  app().runOnce(0);
  EXPECT_EQ(right->draws, 2);
  win->displayIfNeeded();
  EXPECT_EQ(right->draws, 3);
  EXPECT_EQ(right->lastDirty, (Rect{0, 0, 50, 100}));
  EXPECT_FALSE(right->needsDisplay());
}

TEST_F(Views, BackingBitmapSavesAsPng) {
  add(win->contentView(), new Solid({0, 0, 200, 100}, 0xFF336699));
  win->display();
  char path[] = "/tmp/hb_platform_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(win->backing().savePNG(path));
  FILE* f = fopen(path, "rb");
  ASSERT_NE(f, nullptr);
  unsigned char head[24];
  ASSERT_EQ(fread(head, 1, sizeof head, f), sizeof head);
  fclose(f);
  remove(path);
  const unsigned char sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(memcmp(head, sig, 8), 0);
  EXPECT_EQ((head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19], 200);  // width
  EXPECT_EQ((head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23], 100);  // height
  EXPECT_FALSE(win->backing().savePNG("/nonexistent-dir/x.png"));
}

TEST_F(Views, MouseDownViewGetsTheDragsAndTheUp) {
  std::vector<std::string> log;
  Solid* a = add(win->contentView(), new Solid({0, 0, 50, 100}, 0xFFFF0000));
  Solid* b = add(win->contentView(), new Solid({100, 0, 50, 100}, 0xFF00FF00));
  a->log = b->log = &log;
  a->name = "a";
  b->name = "b";
  Event e;
  e.window = win;
  e.clickCount = 1;
  e.type = EventType::LeftMouseDown;
  e.location = {10, 10};
  app().sendEvent(e);
  e.type = EventType::LeftMouseDragged;
  e.location = {120, 10};  // over b now
  app().sendEvent(e);
  e.type = EventType::LeftMouseUp;
  app().sendEvent(e);
  e.type = EventType::LeftMouseDown;
  app().sendEvent(e);
  EXPECT_EQ(log, (std::vector<std::string>{"a down", "a drag", "a up", "b down"}));
  EXPECT_TRUE(win->isKeyWindow());
}

TEST_F(Views, KeysGoToTheFirstResponderAndUnhandledOnesBubbleUp) {
  struct Keys : View {
    std::vector<std::string>* log;
    std::string name;
    bool handle;
    Keys(const Rect& f, std::vector<std::string>* l, const char* n, bool h)
        : View(f), log(l), name(n), handle(h) {}
    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const Event& e) override {
      log->push_back(name + ":" + e.characters);
      if (!handle) View::keyDown(e);
    }
  };
  std::vector<std::string> log;
  Keys* outer = add(win->contentView(), new Keys({0, 0, 100, 100}, &log, "outer", true));
  Keys* inner = add(outer, new Keys({0, 0, 10, 10}, &log, "inner", false));
  EXPECT_TRUE(win->makeFirstResponder(inner));
  Event k;
  k.type = EventType::KeyDown;
  k.window = win;
  k.characters = "x";
  app().sendEvent(k);
  EXPECT_EQ(log, (std::vector<std::string>{"inner:x", "outer:x"}));
  // A responder that leaves the window stops being the responder.
  inner->removeFromSuperview();
  EXPECT_EQ(win->firstResponder(), nullptr);
  View* plain = add(win->contentView(), new View({0, 0, 5, 5}));
  EXPECT_FALSE(win->makeFirstResponder(plain));  // does not accept
}

TEST_F(Views, ResizingTheWindowResizesContentAndBacking) {
  win->setFrame({0, 0, 320, 240}, false);
  EXPECT_EQ(win->backing().width(), 320);
  EXPECT_EQ(win->backing().height(), 240);
  EXPECT_EQ(win->contentView()->frame(), (Rect{0, 0, 320, 240}));
}

TEST(DrawContextTest, TransformStackAndClip) {
  Bitmap bm(10, 10, 0xFF000000);
  DrawContext ctx(&bm);
  ctx.save();
  ctx.translate(2, 3);
  ctx.clipTo({0, 0, 4, 4});  // pixels 2..5, 3..6
  ctx.fillRect({-10, -10, 100, 100}, 0xFFFFFFFF);
  ctx.restore();
  ctx.fillRect({9, 9, 5, 5}, 0x80FF0000);  // half red over black, clipped to the bitmap
  EXPECT_EQ(bm.pixel(2, 3), 0xFFFFFFFFu);
  EXPECT_EQ(bm.pixel(5, 6), 0xFFFFFFFFu);
  EXPECT_EQ(bm.pixel(6, 6), 0xFF000000u);
  EXPECT_EQ(bm.pixel(1, 3), 0xFF000000u);
  // The raster library's weighted copy: 255 - 255 * 129 / 256, alpha kept.
  EXPECT_EQ(bm.pixel(9, 9), 0xFF7F0000u);
  // y pointing up: the rectangle at y 0..2 lands on the bottom rows.
  Bitmap up(4, 4, 0);
  DrawContext uc(&up);
  uc.setTransform({0, 4, -1});
  uc.fillRect({0, 0, 4, 2}, 0xFF00FF00);
  EXPECT_EQ(up.pixel(0, 3), 0xFF00FF00u);
  EXPECT_EQ(up.pixel(0, 2), 0xFF00FF00u);
  EXPECT_EQ(up.pixel(0, 1), 0u);
}

TEST(Controls, ComboAndPopUpKeepTheirSelectionAcrossEdits) {
  app().resetForTests();
  PopUpButton* p = new PopUpButton();
  p->insertItem("a", 0);
  p->insertItem("b", 1);
  EXPECT_EQ(p->indexOfSelectedItem(), -1);
  p->selectItemAt(1);
  p->insertItem("first", 0);
  EXPECT_EQ(p->indexOfSelectedItem(), 2);
  p->removeItemAt(2);
  EXPECT_EQ(p->indexOfSelectedItem(), 1);
  p->release();
  Slider* s = new Slider();
  s->setMinValue(0);
  s->setMaxValue(10);
  s->setValue(12);
  EXPECT_EQ(s->value(), 10);
  s->release();
}

}  // namespace
