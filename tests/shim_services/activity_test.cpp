// SHIM_DisableAppNap: while its count is above zero the screen saver (SDL's
// switch) and the desktop's idle inhibitors on the session bus are held.
// The session bus and its inhibit services are the test's own.

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/activity.h"
#include "private_bus.h"
#include "shim-misc.h"
#include "shim_fixture.h"
#include "temp_dir.h"

namespace {

using Calls = std::vector<std::string>;

class AppNap : public ShimOffscreenTest {
protected:
  void SetUp() override {
    ShimOffscreenTest::SetUp();
    const char* old = getenv("DBUS_SESSION_BUS_ADDRESS");
    hadBus = old != nullptr;
    if (old) oldBus = old;
    std::string error;
    ASSERT_TRUE(bus.start(FolderOf(), "session", &error)) << error;
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
  }
  void TearDown() override {
    SHIM_DisableAppNap(-100);
    ShimOffscreenTest::TearDown();
    inhibitors.stop();
    bus.stop();
    if (hadBus)
      setenv("DBUS_SESSION_BUS_ADDRESS", oldBus.c_str(), 1);
    else
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  std::string FolderOf() {
    std::string p = dir.path("x");
    return p.substr(0, p.size() - 2);
  }
  std::string Inhibit(const std::string& who, int cookie) {
    return who + ".Inhibit " + program_invocation_short_name + " SHIM_DisableAppNap -> " +
           std::to_string(cookie);
  }

  TempDir dir;
  PrivateBus bus;
  FakeInhibitors inhibitors;
  bool hadBus = false;
  std::string oldBus;
};

TEST_F(AppNap, TheDesktopIsKeptAwakeWhileTheCountIsAboveZero) {
  std::string error;
  ASSERT_TRUE(inhibitors.start(bus.address(), &error)) << error;
  ASSERT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE) << "the presenter leaves the screen saver alone";

  SHIM_DisableAppNap(1);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
  EXPECT_EQ(inhibitors.calls(), (Calls{Inhibit("ScreenSaver", 1), Inhibit("PowerManagement", 2)}));
  SHIM_DisableAppNap(1);
  SHIM_DisableAppNap(-1);
  EXPECT_EQ(inhibitors.calls().size(), 2u) << "one inhibition for the whole count";
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);

  SHIM_DisableAppNap(-1);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
  EXPECT_EQ(inhibitors.calls(),
            (Calls{Inhibit("ScreenSaver", 1), Inhibit("PowerManagement", 2),
                   "ScreenSaver.UnInhibit 1", "PowerManagement.UnInhibit 2"}));
  EXPECT_EQ(SHIM_Internal_GetActivity(), nullptr);

  // Below zero nothing is held, and it takes as many steps back up.
  SHIM_DisableAppNap(-1);
  SHIM_DisableAppNap(1);
  EXPECT_EQ(SHIM_Internal_GetActivity(), nullptr);
  SHIM_DisableAppNap(1);
  ASSERT_NE(SHIM_Internal_GetActivity(), nullptr);
  EXPECT_EQ(SHIM_Internal_GetActivity()->desktopServices(),
            (Calls{"org.freedesktop.ScreenSaver", "org.freedesktop.PowerManagement"}));
  SHIM_DisableAppNap(-1);
  EXPECT_EQ(inhibitors.calls().size(), 8u);
}

TEST_F(AppNap, ADesktopWithoutInhibitServicesStillKeepsTheScreenOn) {
  // The bus runs, nobody answers on it.
  auto start = std::chrono::steady_clock::now();
  SHIM_DisableAppNap(1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  ASSERT_NE(SHIM_Internal_GetActivity(), nullptr);
  EXPECT_TRUE(SHIM_Internal_GetActivity()->holdsScreenSaver());
  EXPECT_TRUE(SHIM_Internal_GetActivity()->desktopServices().empty());
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
  SHIM_DisableAppNap(-1);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);

  // No session bus at all.
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  SHIM_DisableAppNap(1);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
  SHIM_DisableAppNap(-1);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
}

TEST_F(AppNap, NothingIsTakenOnceTheProgramQuits) {
  std::string error;
  ASSERT_TRUE(inhibitors.start(bus.address(), &error)) << error;
  SHIM_PostQuitMessage(nullptr);
  SHIM_DisableAppNap(1);
  EXPECT_EQ(SHIM_Internal_GetActivity(), nullptr);
  EXPECT_TRUE(inhibitors.calls().empty());
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
}

}  // namespace
