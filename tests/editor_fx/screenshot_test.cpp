// Each page as drawn without a screen, against a committed picture.
// HB_UPDATE_EDITOR_REFERENCE=1 writes the pictures instead (see
// update_reference.sh); a failing run leaves what it drew in the test's
// temporary folder.

#include <cmath>
#include <cstdlib>
#include <string>

#include "editor_fx_fixture.h"
#include "platform/bitmap.h"

namespace {

plat::Bitmap Copy(PIX_IBitmap* b) {
  plat::Bitmap out(b->getWidth(), b->getHeight());
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) out.row(y)[x] = PIX_GetPixel(b, x, y) | 0xFF000000u;
  return out;
}

class Screenshot : public EditorFx {
protected:
  // Blocks of two slow sines, left louder than right, as the host would
  // run them.
  void RunSines(int blocks) {
    constexpr int kN = 512;
    double l[kN], r[kN], outL[kN], outR[kN];
    double* in[2] = {l, r};
    double* out[2] = {outL, outR};
    for (int b = 0; b < blocks; ++b) {
      for (int i = 0; i < kN; ++i) {
        const double t = (b * kN + i) / 44100.0;
        l[i] = 0.8 * std::sin(2.0 * M_PI * 15.0 * t);
        r[i] = 0.3 * std::sin(2.0 * M_PI * 40.0 * t);
      }
      plug->LockMutexAndProcessDoubleReplacing(in, out, kN);
    }
  }

  void ExpectPicture(const std::string& name) {
    const std::string reference = std::string(HB_TEST_DATA_DIR "/") + name;
    DrawAll();
    plat::Bitmap got = Copy(g->GetDrawBitmap());
    if (getenv("HB_UPDATE_EDITOR_REFERENCE")) {
      ASSERT_TRUE(got.savePNG(reference));
      return;
    }
    PIX_IBitmap* want = PIX_LoadPNG(reference.c_str(), nullptr);
    ASSERT_NE(want, nullptr) << "missing reference " << reference;
    ASSERT_EQ(want->getWidth(), got.width());
    ASSERT_EQ(want->getHeight(), got.height());
    // Text rendering may differ by a shade between font library versions:
    // a channel may be off by a little, and a few pixels by more.
    int bad = 0;
    for (int y = 0; y < got.height(); ++y)
      for (int x = 0; x < got.width(); ++x) {
        const uint32_t a = got.pixel(x, y), b = PIX_GetPixel(want, x, y);
        for (int sh = 0; sh < 24; sh += 8) {
          const int d = int((a >> sh) & 255) - int((b >> sh) & 255);
          if (d > 8 || d < -8) {
            ++bad;
            break;
          }
        }
      }
    delete want;
    if (bad > 200) got.savePNG(::testing::TempDir() + "/" + name);
    EXPECT_LE(bad, 200) << "pixels that differ from " << reference;
  }
};

TEST_F(Screenshot, PlugInPageMatchesTheReferencePicture) { ExpectPicture("plugin_page.png"); }

// The scope, zoomed in fully, after enough blocks of two sines to fill it:
// both traces of both channels.
TEST_F(Screenshot, ScopePageMatchesTheReferencePicture) {
  plug->onScopeTab();
  plug->zoomScope(true, 40.0);
  RunSines(20);
  ExpectPicture("scope_page.png");
}

// The about page with the eyes lit by the level of each channel.
TEST_F(Screenshot, AboutPageMatchesTheReferencePicture) {
  plug->onAboutTab();
  RunSines(12);
  ExpectPicture("about_page.png");
}

}  // namespace
