// Key translation, key state, the hidden-pointer mode and cursors.

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "controls_fixture.h"
#include "platform/keys.h"
#include "temp_dir.h"

namespace {

using Keyboard = ShimTest;

plat::Event keyEvent(uint16_t code, const std::string& chars, uint32_t mods = 0) {
  plat::Event e;
  e.type = plat::EventType::KeyDown;
  e.keyCode = code;
  e.characters = e.charactersIgnoringModifiers = chars;
  e.modifierFlags = mods;
  return e;
}

TEST_F(Keyboard, KeysTranslateToVirtualKeysAndFlags) {
  namespace k = plat::key;
  struct Case {
    uint16_t code;
    const char* chars;
    uint32_t mods;
    int vk, flags;
  } cases[] = {
      {k::A, "a", 0, 'A', FVIRTKEY},
      {k::A, "A", plat::kModShift, 'A', FVIRTKEY | FSHIFT},
      {k::Comma, ",", 0, ',', 0},
      {k::Comma, "<", plat::kModShift, '<', 0},  // Shift goes with the character
      {k::Tab, "\x19", plat::kModShift, 9, FVIRTKEY | FSHIFT},
      {k::Return, "\r", 0, 13, FVIRTKEY},
      {k::KeypadEnter, "\x03", 0, 0x800D, FVIRTKEY},
      {k::Delete, "\x7f", 0, 0x08, FVIRTKEY},
      {k::ForwardDelete, "\xef\x9c\xa8", 0, 0x2E, FVIRTKEY},
      {k::LeftArrow, "\xef\x9c\x82", 0, 0x25, FVIRTKEY},
      {k::UpArrow, "\xef\x9c\x80", plat::kModCommand, 0x26, FVIRTKEY | FCONTROL},
      {k::F1, "\xef\x9c\x84", 0, 0x70, FVIRTKEY},
      {k::F16, "", 0, 0x7F, FVIRTKEY},
      {k::Keypad5, "5", 0, 0x65, FVIRTKEY},
      {k::KeypadClear, "", 0, 0x90, FVIRTKEY},
      {k::Escape, "\x1b", plat::kModOption, 27, FVIRTKEY | FALT},
      {k::S, "s", plat::kModCommand | plat::kModShift, 'S', FVIRTKEY | FCONTROL | FSHIFT},
      {k::S, "s", plat::kModControl, 'S', FVIRTKEY | SHIM_FLWIN},
      {0x7F, "", 0, 0x7F + 1024, FVIRTKEY},  // no table entry, no text
      {k::Space, " ", 0, 32, FVIRTKEY},
  };
  for (const Case& c : cases) {
    plat::Event e = keyEvent(c.code, c.chars, c.mods);
    int flags = -1;
    EXPECT_EQ(SHIM_MacKeyToWindowsKey(&e, &flags), c.vk) << c.code << " " << c.chars;
    EXPECT_EQ(flags, c.flags) << c.code << " " << c.chars;
  }
  // Function keys F1 .. F24 by their characters.
  plat::Event f13 = keyEvent(0x40, "\xef\x9c\x90");
  EXPECT_EQ(SHIM_MacKeyToWindowsKey(&f13, nullptr), 0x7C);
  EXPECT_EQ(SHIM_MacKeyToWindowsKey(nullptr, nullptr), 0);
  // Mode 1 asks the layout for keys without text.
  plat::Event bare = keyEvent(k::Q, "");
  int flags = 0;
  EXPECT_EQ(SHIM_MacKeyToWindowsKeyEx(&bare, &flags, 1), 'q');
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(SHIM_MacKeyToWindowsKeyEx(&bare, &flags, 0), k::Q + 1024);
  // The Control key is the right-click modifier while that is on.
  SHIM_EnableRightClickEmulate(true);
  plat::Event ctl = keyEvent(k::S, "s", plat::kModControl);
  SHIM_MacKeyToWindowsKey(&ctl, &flags);
  EXPECT_EQ(flags, FVIRTKEY);
  SHIM_EnableRightClickEmulate(false);
}

TEST_F(Keyboard, ShiftedDigitsAndKeyState) {
  int f = 99;
  EXPECT_EQ(SHIM_KeyToASCII('2', FVIRTKEY | FSHIFT, &f), 0x40);
  EXPECT_EQ(f, 0);
  f = 99;
  EXPECT_EQ(SHIM_KeyToASCII('2', FSHIFT, &f), 0);
  EXPECT_EQ(f, 99);
  const char want[] = ")!@#$%^&*(";
  for (int d = 0; d < 10; ++d) EXPECT_EQ(SHIM_KeyToASCII('0' + d, 5, &f), want[d]);
  plat::app().setModifierFlags(plat::kModCommand);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0x8000);  // Command, not Control
  EXPECT_EQ(GetAsyncKeyState(VK_LWIN), 0);
  plat::app().setModifierFlags(plat::kModControl);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LWIN), 0x8000);
  plat::app().setMouseButtonDown(1, true);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0x8000);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
}

TEST_F(Keyboard, HiddenPointerMovesOnlyItsVirtualPosition) {
  plat::app().setMouseLocation({100.4, 200.2});
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 201);  // x down, y up
  EXPECT_EQ(GetMessagePos(), DWORD((201 << 16) | 100));
  EXPECT_EQ(SHIM_ShowCursor(false), -1);
  EXPECT_EQ(SHIM_ShowCursor(false), -2);
  EXPECT_TRUE(plat::app().relativeMouseMode());
  EXPECT_EQ(SHIM_SetCursorPos(300, 400), 1);
  plat::app().setMouseLocation({5, 5});
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 400);
  // Motion moves the virtual point: right and up the screen.
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  plat::Event mv;
  mv.type = plat::EventType::MouseMoved;
  mv.deltaX = 7;
  mv.deltaY = 3;
  shimProcessMouseEvent(WM_MOUSEMOVE, SHIM_View(d), mv);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 307);
  EXPECT_EQ(p.y, 397);
  EXPECT_EQ(SHIM_ShowCursor(true), -1);
  EXPECT_FALSE(SHIM_IsCursorVisible());
  EXPECT_EQ(SHIM_ShowCursor(true), 0);
  EXPECT_TRUE(SHIM_IsCursorVisible());
  EXPECT_FALSE(plat::app().relativeMouseMode());
  EXPECT_EQ(plat::app().mouseLocation().x, 307);  // the real pointer lands there
}

TEST_F(Keyboard, StockAndBuiltInCursors) {
  HCURSOR arrow = SHIM_LoadCursor(IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow, SHIM_LoadCursor(IDC_ARROW));
  SHIM_SetCursor(SHIM_LoadCursor(IDC_IBEAM));
  EXPECT_EQ(plat::app().cursor(), plat::Cursor::IBeam);
  EXPECT_EQ(SHIM_GetCursor(), SHIM_LoadCursor(IDC_IBEAM));
  plat::Bitmap nwse, nesw, all;
  POINT hot;
  ASSERT_TRUE(SHIM_Internal_CursorInfo(SHIM_LoadCursor(IDC_SIZENWSE), &nwse, &hot));
  ASSERT_TRUE(SHIM_Internal_CursorInfo(SHIM_LoadCursor(IDC_SIZENESW), &nesw, nullptr));
  ASSERT_TRUE(SHIM_Internal_CursorInfo(SHIM_LoadCursor(IDC_SIZEALL), &all, nullptr));
  EXPECT_EQ(hot.x, 8);
  EXPECT_EQ(hot.y, 8);
  // Byte 0xF8: white at about half opacity; 0x0F: opaque black; 0x00 clear.
  EXPECT_EQ(nwse.pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(nwse.pixel(2, 2), 0xFF000000u);
  EXPECT_EQ(nwse.pixel(1, 1), 0x88FFFFFFu);
  EXPECT_EQ(nwse.pixel(15, 0), 0u);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(nesw.pixel(x, y), nwse.pixel(15 - x, y));
  EXPECT_EQ(all.pixel(7, 7), 0xFF000000u);
  SHIM_SetCursor(SHIM_LoadCursor(IDC_NO));
  EXPECT_EQ(plat::app().cursor(), plat::Cursor::Custom);
  EXPECT_EQ(SHIM_GetLastSetCursor(), SHIM_LoadCursor(IDC_NO));
  SHIM_SetCursor(nullptr);
  EXPECT_EQ(plat::app().cursor(), plat::Cursor::Arrow);
  EXPECT_EQ(SHIM_LoadCursor((const char*)(INT_PTR)777), nullptr);
}

// A one-image cursor file: 2 x 2 pixels, 32 bits, hot spot (1, 0).
std::string cursorFileBytes(int hx, int hy) {
  std::string b;
  auto u16 = [&](int v) { b += char(v & 255), b += char((v >> 8) & 255); };
  auto u32 = [&](uint32_t v) { u16(int(v & 0xFFFF)), u16(int(v >> 16)); };
  u16(0), u16(2), u16(1);
  b += char(2), b += char(2), b += char(0), b += char(0);
  u16(hx), u16(hy);
  u32(40 + 16 + 8), u32(22);
  u32(40), u32(2), u32(4), u16(1), u16(32), u32(0), u32(16), u32(0), u32(0), u32(0), u32(0);
  // Rows bottom first: blue, green / red, white (straight alpha, opaque).
  u32(0xFF0000FF), u32(0xFF00FF00), u32(0xFFFF0000), u32(0xFFFFFFFF);
  u32(0), u32(0);  // mask rows
  return b;
}

std::vector<std::string> g_tempSeen;
void observeTemp(const char* path) {
  struct stat st;
  ASSERT_EQ(lstat(path, &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_uid, getuid());
  g_tempSeen.push_back(path);
}

TEST_F(Keyboard, CursorFilesConvertThroughAPrivateFile) {
  TempDir dir;
  setenv("TMPDIR", dir.path("").c_str(), 1);
  std::string file = dir.path("pointer.cur");
  writeText(file, cursorFileBytes(1, 0));
  // A trap at the name a predictable scheme would pick must stay untouched.
  std::string victim = dir.path("victim");
  writeText(victim, "keep");
  char trap[64];
  snprintf(trap, sizeof trap, "shimcur%x%x.ico", 0u, unsigned(getpid()));
  symlink(victim.c_str(), dir.path(trap).c_str());
  g_tempSeen.clear();
  SHIM_Internal_SetCursorTempObserver(observeTemp);
  HCURSOR c1 = SHIM_LoadCursorFromFile(file.c_str());
  HCURSOR c2 = SHIM_LoadCursorFromFile(file.c_str());
  SHIM_Internal_SetCursorTempObserver(nullptr);
  unsetenv("TMPDIR");
  ASSERT_NE(c1, nullptr);
  ASSERT_EQ(g_tempSeen.size(), 2u);
  EXPECT_NE(g_tempSeen[0], g_tempSeen[1]);  // a fresh name each time
  for (const std::string& p : g_tempSeen) EXPECT_NE(access(p.c_str(), F_OK), 0);  // removed
  EXPECT_EQ(readText(victim), "keep");
  plat::Bitmap img;
  POINT hot;
  ASSERT_TRUE(SHIM_Internal_CursorInfo(c1, &img, &hot));
  EXPECT_EQ(hot.x, 1);
  EXPECT_EQ(hot.y, 0);
  EXPECT_EQ(img.pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(img.pixel(1, 1), 0xFF00FF00u);
  reinterpret_cast<plat::Object*>(c1)->release();
  reinterpret_cast<plat::Object*>(c2)->release();
  // Not a cursor file: nothing; registered resources, newest first.
  writeText(dir.path("bad.cur"), "not a cursor");
  EXPECT_EQ(SHIM_LoadCursorFromFile(dir.path("bad.cur").c_str()), nullptr);
  std::string other = dir.path("other.cur");
  writeText(other, cursorFileBytes(0, 1));
  const char* id = (const char*)(INT_PTR)5000;
  SHIM_Register_Cursor_Resource(id, file.c_str(), 0, 0);
  SHIM_Register_Cursor_Resource(id, other.c_str(), 0, 0);
  HCURSOR r = SHIM_LoadCursor(id);
  ASSERT_TRUE(SHIM_Internal_CursorInfo(r, nullptr, &hot));
  EXPECT_EQ(hot.y, 1);
  EXPECT_EQ(SHIM_LoadCursor(id), r);  // cached
}

}  // namespace
