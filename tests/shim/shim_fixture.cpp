#include "shim_fixture.h"

#include "platform/presenter.h"

HostLog g_host;
std::vector<Seen> g_seen;

INT_PTR SHIMAppMain(int msg, INT_PTR p1, INT_PTR) {
  g_host.msgs.push_back(msg);
  switch (msg) {
    case SHIMAPPMSG_SHOULD_TERMINATE: return g_host.answer4;
    case SHIMAPPMSG_KEY_EVENT:
      g_host.keys.push_back(*reinterpret_cast<MSG*>(p1));
      return g_host.answerKey;
    case SHIMAPPMSG_SYS_MENU_COMMAND: g_host.menuCommands.push_back(p1); return 0;
    case SHIMAPPMSG_OPEN_FILE:
      g_host.openedFile = reinterpret_cast<const char*>(p1);
      g_host.openedFiles.push_back(g_host.openedFile);
      return g_host.answerOpen;
    case SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE: return g_host.answerShouldUntitled;
    case SHIMAPPMSG_ACTIVE_CHANGED: return g_host.answerActive;
    default: return 0;
  }
}

LRESULT RecordingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  g_seen.push_back({h, msg, wp, lp});
  return DefWindowProc(h, msg, wp, lp);
}

std::vector<UINT> SeenMessages(HWND h) {
  std::vector<UINT> out;
  for (const Seen& s : g_seen)
    if (s.hwnd == h) out.push_back(s.msg);
  return out;
}

bool SawMessage(HWND h, UINT msg) {
  for (const Seen& s : g_seen)
    if (s.hwnd == h && s.msg == msg) return true;
  return false;
}

void ShimTest::SetUp() {
  SHIM_ShutdownForTests();
  g_host = HostLog();
  g_seen.clear();
  plat::app().useVirtualClock(true);
  SHIM_StartApplication();
}

void ShimTest::TearDown() { SHIM_ShutdownForTests(); }

void ShimOffscreenTest::SetUp() {
  ShimTest::SetUp();
  plat::app().useVirtualClock(false);
  std::string error;
  plat::Presenter* p = plat::createSdlPresenter("offscreen", &error);
  ASSERT_NE(p, nullptr) << error;
  plat::app().setPresenter(p);
}
