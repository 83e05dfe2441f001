// Keyboard translation, mouse position and cursors.

#include "shim-kb.h"

#include <ctype.h>
#include <fcntl.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <vector>

#include "platform/app.h"
#include "platform/image_file.h"
#include "platform/text.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "shim-dlg.h"
#include "shim-kernel.h"
#include "shim-misc.h"
#include "shim-wnd.h"

SHIM_KeyTranslateFunc g_SHIM_keyTranslate = SHIM_Internal_KeyTranslate;

// --- keys

namespace {

// Virtual keys of the hardware key codes 51 .. 126; 0: not in the table.
const uint16_t kKeyTable[76] = {
    0x08, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0x6E, 0,    0x6A, 0,    0x6B, 0,    0x90, 0,    0,    0,    0x6F, 0x800D, 0, 0x6D,
    0,    0,    0x6C, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0,    0x68, 0x69,
    0,    0,    0,    0x74, 0x75, 0x76, 0x72, 0x77, 0x78, 0,    0x7A, 0,    0x7C, 0x7F,
    0x7D, 0,    0x79, 0,    0x7B, 0,    0x7E, 0x2D, 0x24, 0x21, 0x2E, 0x73, 0x23, 0x71,
    0x22, 0x70, 0x25, 0x27, 0x28, 0x26,
};

const int kShiftedDigits[10] = {0x29, 0x21, 0x40, 0x23, 0x24, 0x25, 0x5E, 0x26, 0x2A, 0x28};

int modifierFlags(uint32_t mods) {
  int f = 0;
  if (mods & plat::kModShift) f |= FSHIFT;
  if (mods & plat::kModCommand) f |= FCONTROL;
  if (mods & plat::kModOption) f |= FALT;
  if ((mods & plat::kModControl) && !IsRightClickEmulateEnabled()) f |= SHIM_FLWIN;
  return f;
}

// First UTF-16 unit of a string (characters above the basic plane give
// their high surrogate).
uint32_t firstUnit(const std::string& s) {
  std::vector<plat::CodePoint> c = plat::decodeUtf8(s);
  if (c.empty()) return 0;
  uint32_t cp = c[0].cp;
  return cp > 0xFFFF ? 0xD800 + ((cp - 0x10000) >> 10) : cp;
}

}  // namespace

int charFromVcode(int keycode) {
  if (keycode < 0 || keycode > 0xFFFF) return 0;
  return int(plat::app().characterForKeyCode(uint16_t(keycode)));
}

int SHIM_MacKeyToWindowsKeyEx(void* event, int* flags, int mode) {
  const plat::Event* e = event ? static_cast<const plat::Event*>(event) : plat::app().currentEvent();
  if (!e) {
    if (flags) *flags = 0;
    return 0;
  }
  int f = modifierFlags(e->modifierFlags);
  int code = e->keyCode;
  if (code >= 51 && code <= 126 && kKeyTable[code - 51]) {
    if (flags) *flags = f | FVIRTKEY;
    return kKeyTable[code - 51];
  }
  std::string s = e->charactersIgnoringModifiers;
  if (mode == 1 && !e->characters.empty()) s = e->characters;
  if (!s.empty()) {
    uint32_t c = firstUnit(s);
    if (c >= 0xF704 && c <= 0xF71B) {
      if (flags) *flags = f | FVIRTKEY;
      return int(c - 0xF694);
    }
    if (c >= 'a' && c <= 'z') c -= 32;
    if ((f & FSHIFT) && c == 25) c = 9;
    bool alnum = c < 128 ? isalnum(int(c)) != 0 : iswalnum(wint_t(c)) != 0;
    if (alnum || c == 9 || c == 10 || c == 13 || c == 27 || c == 32) {
      if (flags) *flags = f | FVIRTKEY;
      return int(c);
    }
    if (flags) *flags = f & ~FSHIFT;
    return int(c);
  }
  if (mode == 1) {
    int c = charFromVcode(code);
    if (c) {
      if (flags) *flags = f & ~FSHIFT;
      return c;
    }
  }
  if (flags) *flags = f | FVIRTKEY;
  return code + 1024;
}

int SHIM_MacKeyToWindowsKey(void* event, int* flags) {
  if (!event) return 0;
  return SHIM_MacKeyToWindowsKeyEx(event, flags, 0);
}

int SHIM_Internal_KeyTranslate(const plat::Event& e, int* flags) {
  return SHIM_MacKeyToWindowsKey(const_cast<plat::Event*>(&e), flags);
}

int SHIM_KeyToASCII(int wParam, int lParam, int* newflags) {
  if (wParam >= '0' && wParam <= '9' && lParam == (FVIRTKEY | FSHIFT)) {
    if (newflags) *newflags = 0;
    return kShiftedDigits[wParam - '0'];
  }
  return 0;
}

WORD GetAsyncKeyState(int vk) {
  plat::Application& a = plat::app();
  bool down = false;
  uint32_t m = a.modifierFlags();
  switch (vk) {
    case VK_LBUTTON: down = a.isMouseButtonDown(0); break;
    case VK_RBUTTON: down = a.isMouseButtonDown(1); break;
    case VK_MBUTTON: down = a.isMouseButtonDown(2); break;
    case VK_SHIFT: down = (m & plat::kModShift) != 0; break;
    case VK_CONTROL: down = (m & plat::kModCommand) != 0; break;
    case VK_MENU: down = (m & plat::kModOption) != 0; break;
    case VK_LWIN: down = (m & plat::kModControl) && !IsRightClickEmulateEnabled(); break;
    default: break;
  }
  return down ? 0x8000 : 0;
}

// --- mouse position

namespace {
bool g_relmode = false;
POINT g_relpos = {0, 0};
int g_curvis = 0;

POINT mouseNow() {
  plat::Point p = plat::app().mouseLocation();
  return POINT{int(floor(p.x)), int(ceil(p.y))};
}
}  // namespace

void GetCursorPos(POINT* p) {
  if (!p) return;
  *p = g_relmode ? g_relpos : mouseNow();
}

DWORD GetMessagePos() {
  POINT p;
  GetCursorPos(&p);
  return (DWORD(WORD(p.y)) << 16) | WORD(p.x);
}

plat::Point shimProcessMouseEvent(int msg, plat::View* view, const plat::Event& e) {
  if (!view) return {};
  if (g_relmode) {
    if (msg == WM_MOUSEMOVE) {
      g_relpos.x += int(e.deltaX);
      g_relpos.y -= int(e.deltaY);
    }
    POINT p = g_relpos;
    ScreenToClient(SHIM_H(view), &p);
    return {double(p.x), double(p.y)};
  }
  return view->convertFromWindow(e.location);
}

int SHIM_SetCursorPos(int x, int y) {
  if (g_relmode) {
    g_relpos = POINT{x, y};
    return 1;
  }
  return plat::app().warpMouse({double(x), double(y)}) ? 1 : 0;
}

int SHIM_ShowCursor(bool show) {
  g_curvis += show ? 1 : -1;
  if (!show && g_curvis == -1) {
    if (!g_relmode) g_relpos = mouseNow();
    plat::app().setRelativeMouseMode(true);
    g_relmode = true;
  } else if (show && g_curvis == 0) {
    plat::app().setRelativeMouseMode(false);
    g_relmode = false;
    plat::app().warpMouse({double(g_relpos.x), double(g_relpos.y)});
  }
  return g_curvis;
}

bool SHIM_IsCursorVisible() { return g_curvis >= 0; }

// --- cursors

// An HCURSOR: a stock cursor of the desktop or an image with a hot spot.
class Shim_vHarshbloom_cursor : public plat::Object {
public:
  explicit Shim_vHarshbloom_cursor(plat::Cursor stock) : m_stock(stock) {}
  Shim_vHarshbloom_cursor(const plat::Bitmap& image, const plat::Point& hot)
      : m_stock(plat::Cursor::Custom), m_image(plat::Ref<plat::CursorImage>::adopt(new plat::CursorImage(image, hot))) {}
  plat::Cursor stock() const { return m_stock; }
  plat::CursorImage* image() const { return m_image.get(); }

private:
  plat::Cursor m_stock;
  plat::Ref<plat::CursorImage> m_image;
};

namespace {

struct CursorResource {
  const char* idc;
  std::string resname;
  POINT hotspot;
  Shim_vHarshbloom_cursor* cached;
  CursorResource* next;
};

CursorResource* g_resources = nullptr;
Shim_vHarshbloom_cursor* g_lastSet = nullptr;
void (*g_tempObserver)(const char*) = nullptr;

Shim_vHarshbloom_cursor* asCursor(HCURSOR c) {
  plat::Object* o = plat::Object::isLive(c) ? reinterpret_cast<plat::Object*>(c) : nullptr;
  return dynamic_cast<Shim_vHarshbloom_cursor*>(o);
}
HCURSOR handleOf(Shim_vHarshbloom_cursor* c) { return reinterpret_cast<HCURSOR>(static_cast<plat::Object*>(c)); }

// Stock cursors live for the process.
Shim_vHarshbloom_cursor* stock(plat::Cursor c) {
  static Shim_vHarshbloom_cursor* cache[int(plat::Cursor::Custom) + 1] = {};
  Shim_vHarshbloom_cursor*& slot = cache[int(c)];
  if (!slot) slot = new Shim_vHarshbloom_cursor(c);
  return slot;
}

// Built-in images: a byte per pixel, grey level in the high nibble and
// opacity in the low one.
const char* const kSizeAll =
    "000000000000F8FFFFF8000000000000" "0000000000F8FF0F0FFFF80000000000"
    "0000000000FF0F0F0F0FFF0000000000" "00000000F80F0F0F0F0F0FF800000000"
    "000000F80000FF0F0FFF0000F8000000" "00F8FF0F0000FF0F0FFF00000FFFF800"
    "F8FF0F0FFFFFFF0F0FFFFFFF0F0FFFF8" "FF0F0F0F0F0F0F0F0F0F0F0F0F0F0FFF"
    "FF0F0F0F0F0F0F0F0F0F0F0F0F0F0FFF" "F8FF0F0FFFFFFF0F0FFFFFFF0F0FFFF8"
    "00F8FF0F0000FF0F0FFF00000FFFF800" "000000F80000FF0F0FFF0000F8000000"
    "00000000F80F0F0F0F0F0FF800000000" "0000000000FF0F0F0F0FFF0000000000"
    "0000000000F8FF0F0FFFF80000000000" "000000000000F8FFFFF8000000000000";
const char* const kSizeNWSE =
    "FFFFFFFFFFFF00000000000000000000" "FFF8F8F8FFF800000000000000000000"
    "FFF80FFFF80000000000000000000000" "FFF8FF0FFFF800000000000000000000"
    "FFFFF8FF0FFFF8000000000000000000" "FFF800F8FF0FFFF80000000000000000"
    "00000000F8FF0FFFF800000000000000" "0000000000F8FF0FFFF8000000000000"
    "000000000000F8FF0FFFF80000000000" "00000000000000F8FF0FFFF800000000"
    "0000000000000000F8FF0FFFF800F8FF" "000000000000000000F8FF0FFFF8FFFF"
    "00000000000000000000F8FF0FFFF8FF" "0000000000000000000000F8FF0FF8FF"
    "00000000000000000000F8FFF8F8F8FF" "00000000000000000000FFFFFFFFFFFF";
const char* const kNo =
    "00000000F8FFFFFFFFFFFFF800000000" "0000F8FFFF0F0F0F0F0F0FFFFFF80000"
    "00F8FF0F0F0FFFFFFFFF0F0F0FFFF800" "00FF0F0FFFFFF80000F8FFF80F0FFF00"
    "F8FF0FFFF800000000F8FF0FF80FFFF8" "FF0F0FFF00000000F8FF0FFFFF0F0FFF"
    "FF0FFFF8000000F8FF0FFFF8F8FF0FFF" "FF0FFF000000F8FF0FFFF80000FF0FFF"
    "FF0FFF0000F8FF0FFFF8000000FF0FFF" "FF0FFFF8F8FF0FFFF8000000F8FF0FFF"
    "FF0F0FFFFF0FFFF800000000FF0F0FFF" "F8FF0FF80FFFF800000000F8FF0FFFF8"
    "00FF0F0FF8FFF80000F8FFFF0F0FFF00" "00F8FF0F0F0FFFFFFFFF0F0F0FFFF800"
    "0000F8FFFF0F0F0F0F0F0FFFFFF80000" "00000000F8FFFFFFFFFFFFF800000000";

plat::Bitmap imageFromNibbles(const char* hex, bool mirror) {
  plat::Bitmap bm(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const char* p = hex + (y * 16 + x) * 2;
      unsigned b = unsigned(strtoul(std::string(p, 2).c_str(), nullptr, 16));
      uint32_t grey = (b & 0xF0) | (b >> 4), alpha = ((b << 4) | (b & 0x0F)) & 0xFF;
      bm.row(y)[mirror ? 15 - x : x] = alpha << 24 | grey << 16 | grey << 8 | grey;
    }
  return bm;
}

Shim_vHarshbloom_cursor* builtIn(int id) {
  static Shim_vHarshbloom_cursor* slots[4] = {};
  int slot = id == 32646 ? 0 : id == 32642 ? 1 : id == 32643 ? 2 : 3;
  if (!slots[slot]) {
    const char* hex = slot == 0 ? kSizeAll : slot == 3 ? kNo : kSizeNWSE;
    slots[slot] = new Shim_vHarshbloom_cursor(imageFromNibbles(hex, slot == 2), {8, 8});
  }
  return slots[slot];
}

std::string tempFolder() {
  char buf[4096];
  GetTempPath(int(sizeof buf), buf);
  return buf;
}

bool endsWithCur(const std::string& s) {
  return s.size() >= 5 && strcasecmp(s.c_str() + s.size() - 4, ".cur") == 0;
}

// The image for a cursor name: a cursor resource installed with the program,
// a cursor file, or any image file.
bool imageFromCursorString(const char* name, plat::Bitmap* image, POINT* hotspot) {
  std::string n = name ? name : "";
  if (n.empty()) return false;
  FILE* f = nullptr;
  bool isPath;
  if (n.find('/') == std::string::npos && n.size() < 1024) {
    f = fopen((plat::executableDirectory() + "/resources/" + n + ".cur").c_str(), "rb");
    isPath = false;
  } else if (endsWithCur(n)) {
    f = fopen(n.c_str(), "rb");
    isPath = true;
  } else {
    return plat::loadImageFile(n, image);
  }
  if (f) {
    bool ok = SHIM_Internal_CursorFileImage(f, image, hotspot);
    fclose(f);
    if (ok) return true;
  }
  if (!isPath) return plat::loadImageFile(plat::executableDirectory() + "/resources/" + n + ".png", image);
  return plat::loadImageFile(n, image);
}

}  // namespace

void SHIM_Internal_SetCursorTempObserver(void (*observer)(const char*)) { g_tempObserver = observer; }

bool SHIM_Internal_CursorFileImage(FILE* src, plat::Bitmap* image, POINT* hotspot) {
  if (!src || !image) return false;
  uint8_t head[6];
  if (fread(head, 1, 6, src) != 6) return false;
  if (head[0] | head[1] || head[2] != 2 || head[3] || head[4] != 1 || head[5]) return false;
  // A private file: made here, only by us, and readable only by us; no name
  // that someone could have prepared beforehand.
  std::string path = tempFolder() + "shimcurXXXXXX.ico";
  std::vector<char> tmpl(path.begin(), path.end());
  tmpl.push_back(0);
  int fd = mkstemps(tmpl.data(), 4);
  if (fd < 0) return false;
  path = tmpl.data();
  fchmod(fd, 0600);
  FILE* out = fdopen(fd, "wb");
  if (!out) {
    close(fd);
    unlink(path.c_str());
    return false;
  }
  bool ok = true;
  head[2] = 1;  // an icon file
  uint8_t entry[16];
  ok = fwrite(head, 1, 6, out) == 6 && fread(entry, 1, 16, src) == 16;
  int hx = 0, hy = 0;
  if (ok) {
    hx = entry[4] | entry[5] << 8;
    hy = entry[6] | entry[7] << 8;
    entry[4] = 1;
    entry[5] = 0;
    entry[6] = 0;
    entry[7] = 0;
    ok = entry[3] == 0 && fwrite(entry, 1, 16, out) == 16;
  }
  if (ok) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, src)) > 0)
      if (fwrite(buf, 1, n, out) != n) {
        ok = false;
        break;
      }
  }
  ok = (fclose(out) == 0) && ok;
  if (ok && g_tempObserver) g_tempObserver(path.c_str());
  plat::Bitmap bm;
  ok = ok && plat::loadImageFile(path, &bm);
  unlink(path.c_str());
  if (!ok) return false;
  *image = std::move(bm);
  if (hotspot) *hotspot = POINT{hx, hy};
  return true;
}

HCURSOR SHIM_LoadCursor(const char* idc) {
  intptr_t id = (intptr_t)idc;
  switch (id) {
    case 32512: return handleOf(stock(plat::Cursor::Arrow));
    case 32513: return handleOf(stock(plat::Cursor::IBeam));
    case 32516: return handleOf(stock(plat::Cursor::ResizeUpDown));
    case 32644: return handleOf(stock(plat::Cursor::ResizeLeftRight));
    case 32645: return handleOf(stock(plat::Cursor::ResizeUpDown));
    case 32649: return handleOf(stock(plat::Cursor::OpenHand));
    case 32642:
    case 32643:
    case 32646:
    case 32648: return handleOf(builtIn(int(id)));
    default: break;
  }
  for (CursorResource* r = g_resources; r; r = r->next) {
    if (r->idc != idc) continue;
    if (r->cached) return handleOf(r->cached);
    plat::Bitmap bm;
    POINT hot = r->hotspot;
    if (!imageFromCursorString(r->resname.c_str(), &bm, &hot)) continue;
    r->hotspot = hot;
    r->cached = new Shim_vHarshbloom_cursor(bm, {double(hot.x), double(hot.y)});
    return handleOf(r->cached);
  }
  return nullptr;
}

void SHIM_Register_Cursor_Resource(const char* idc, const char* resname, int hx, int hy) {
  g_resources = new CursorResource{idc, resname ? resname : "", POINT{hx, hy}, nullptr, g_resources};
}

HCURSOR SHIM_LoadCursorFromFile(const char* path) {
  plat::Bitmap bm;
  POINT hot{0, 0};
  if (!imageFromCursorString(path, &bm, &hot)) return nullptr;
  return handleOf(new Shim_vHarshbloom_cursor(bm, {double(hot.x), double(hot.y)}));
}

void SHIM_SetCursor(HCURSOR c) {
  Shim_vHarshbloom_cursor* cur = asCursor(c);
  if (g_lastSet) g_lastSet->release();
  g_lastSet = cur;
  if (!cur) {
    plat::app().setCursor(plat::Cursor::Arrow);
    return;
  }
  cur->retain();
  if (cur->image())
    plat::app().setCursorImage(cur->image());
  else
    plat::app().setCursor(cur->stock());
}

HCURSOR SHIM_GetCursor() {
  plat::Cursor c = plat::app().cursor();
  if (c == plat::Cursor::Custom) {
    if (g_lastSet && g_lastSet->image() == plat::app().cursorImage()) return handleOf(g_lastSet);
    return nullptr;
  }
  return handleOf(stock(c));
}

HCURSOR SHIM_GetLastSetCursor() { return g_lastSet ? handleOf(g_lastSet) : nullptr; }

bool SHIM_Internal_CursorInfo(HCURSOR c, plat::Bitmap* image, POINT* hotspot) {
  Shim_vHarshbloom_cursor* cur = asCursor(c);
  if (!cur || !cur->image()) return false;
  if (image) *image = cur->image()->image();
  if (hotspot) *hotspot = POINT{int(cur->image()->hotSpot().x), int(cur->image()->hotSpot().y)};
  return true;
}

void SHIM_Internal_ResetCursors() {
  while (CursorResource* r = g_resources) {
    g_resources = r->next;
    if (r->cached) r->cached->release();
    delete r;
  }
  if (g_lastSet) g_lastSet->release();
  g_lastSet = nullptr;
  g_relmode = false;
  g_relpos = POINT{0, 0};
  g_curvis = 0;
}
