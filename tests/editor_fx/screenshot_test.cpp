// The plug-in page as drawn without a screen, against a committed picture.
// HB_UPDATE_EDITOR_REFERENCE=1 writes the picture instead (see
// update_reference.sh); a failing run leaves what it drew in the test's
// temporary folder.

#include <cstdlib>
#include <string>

#include "editor_fx_fixture.h"
#include "platform/bitmap.h"

namespace {

const char kReference[] = HB_TEST_DATA_DIR "/plugin_page.png";

plat::Bitmap Copy(PIX_IBitmap* b) {
  plat::Bitmap out(b->getWidth(), b->getHeight());
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) out.row(y)[x] = PIX_GetPixel(b, x, y) | 0xFF000000u;
  return out;
}

TEST_F(EditorFx, PlugInPageMatchesTheReferencePicture) {
  DrawAll();
  plat::Bitmap got = Copy(g->GetDrawBitmap());
  if (getenv("HB_UPDATE_EDITOR_REFERENCE")) {
    ASSERT_TRUE(got.savePNG(kReference));
    return;
  }
  PIX_IBitmap* want = PIX_LoadPNG(kReference, nullptr);
  ASSERT_NE(want, nullptr) << "missing reference " << kReference;
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
  if (bad > 200) got.savePNG(::testing::TempDir() + "/plugin_page.png");
  EXPECT_LE(bad, 200) << "pixels that differ from " << kReference;
}

}  // namespace
