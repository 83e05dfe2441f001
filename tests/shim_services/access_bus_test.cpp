// The accessibility bridge end to end: the services demo runs on an X
// server of the test's own with a private accessibility bus and registry,
// and the test questions its windows through libatspi, as a screen reader
// would.

#include <atspi/atspi.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "private_bus.h"
#include "temp_dir.h"

namespace {

const char* const kAppName = "Harshbloom services check";

bool WaitUntil(const std::function<bool()>& pred, double seconds) {
  auto start = std::chrono::steady_clock::now();
  while (!pred()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string Name(AtspiAccessible* a) {
  atspi_accessible_clear_cache(a);
  gchar* n = atspi_accessible_get_name(a, nullptr);
  std::string s = n ? n : "";
  g_free(n);
  return s;
}

AtspiRole Role(AtspiAccessible* a) { return atspi_accessible_get_role(a, nullptr); }

std::vector<AtspiAccessible*> Children(AtspiAccessible* a) {
  std::vector<AtspiAccessible*> out;
  atspi_accessible_clear_cache(a);
  int n = atspi_accessible_get_child_count(a, nullptr);
  for (int i = 0; i < n; ++i)
    if (AtspiAccessible* c = atspi_accessible_get_child_at_index(a, i, nullptr)) out.push_back(c);
  return out;
}

bool HasState(AtspiAccessible* a, AtspiStateType s) {
  atspi_accessible_clear_cache(a);
  AtspiStateSet* set = atspi_accessible_get_state_set(a);
  bool yes = set && atspi_state_set_contains(set, s);
  if (set) g_object_unref(set);
  return yes;
}

// One accessibility bus with its registry for all cases (libatspi keeps
// its connection for the process); a fresh program for each case.
class AccessBus : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    busDir = new TempDir();
    bus = new PrivateBus();
    std::string folder = busDir->path("x");
    folder.resize(folder.size() - 2);
    std::string error;
    if (!bus->start(folder, "accessibility", &error)) {
      busError = error;
      return;
    }
    registry = spawnProgram({HB_REGISTRYD}, Env(), busDir->path("registry.log"));
    setenv("AT_SPI_BUS_ADDRESS", bus->address().c_str(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    atspiUp = atspi_init() >= 0;
  }
  static void TearDownTestSuite() {
    stopProgram(registry);
    delete bus;
    delete busDir;
  }
  static std::vector<std::string> Env() {
    return {"AT_SPI_BUS_ADDRESS=" + bus->address(), "DBUS_SESSION_BUS_ADDRESS=", "NO_AT_BRIDGE="};
  }

  void SetUp() override {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "runs under xvfb_run.sh";
    ASSERT_TRUE(busError.empty()) << busError;
    ASSERT_GT(registry, 0);
    ASSERT_TRUE(atspiUp);
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    fcntl(in[1], F_SETFD, FD_CLOEXEC);
    demo = spawnProgram({HB_SERVICES_DEMO}, Env(), dir.path("demo.log"), in[0]);
    close(in[0]);
    commands = in[1];
    ASSERT_GT(demo, 0);
    ASSERT_TRUE(WaitUntil([&] { return Log().find("ready") != std::string::npos; }, 60)) << Log();
    ASSERT_NE(Log().find("ready shown accessibility on"), std::string::npos) << Log();
    // The program joins the desktop's list of applications.
    ASSERT_TRUE(WaitUntil([&] { return (app = FindApp()) != nullptr; }, 60)) << Log();
  }
  void TearDown() override {
    if (commands >= 0) close(commands);
    stopProgram(demo);
    if (app) g_object_unref(app);
  }
  std::string Log() { return readText(dir.path("demo.log")); }
  void Send(const std::string& line) {
    std::string l = line + "\n";
    ASSERT_EQ(write(commands, l.data(), l.size()), ssize_t(l.size()));
    ASSERT_TRUE(WaitUntil([&] { return Log().find("did " + line) != std::string::npos; }, 30)) << Log();
  }
  AtspiAccessible* FindApp() {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    AtspiAccessible* found = nullptr;
    for (AtspiAccessible* a : Children(desktop)) {
      if (!found && Name(a) == kAppName)
        found = a;
      else
        g_object_unref(a);
    }
    g_object_unref(desktop);
    return found;
  }
  AtspiAccessible* Find(AtspiAccessible* in, const std::string& name) {
    for (AtspiAccessible* c : Children(in)) {
      if (Name(c) == name) return c;
      AtspiAccessible* deeper = Find(c, name);
      g_object_unref(c);
      if (deeper) return deeper;
    }
    return nullptr;
  }

  static TempDir* busDir;
  static PrivateBus* bus;
  static std::string busError;
  static pid_t registry;
  static bool atspiUp;
  TempDir dir;
  pid_t demo = -1;
  int commands = -1;
  AtspiAccessible* app = nullptr;
};

TempDir* AccessBus::busDir = nullptr;
PrivateBus* AccessBus::bus = nullptr;
std::string AccessBus::busError;
pid_t AccessBus::registry = -1;
bool AccessBus::atspiUp = false;

TEST_F(AccessBus, WindowsControlsAndProcedureObjectsAreOnTheBus) {
  std::vector<AtspiAccessible*> windows = Children(app);
  ASSERT_EQ(windows.size(), 1u);
  AtspiAccessible* frame = windows[0];
  EXPECT_EQ(Name(frame), "Services check");
  EXPECT_EQ(Role(frame), ATSPI_ROLE_FRAME);

  // The content view stands for nothing of its own; the meter view gives
  // way to the object its procedure provides.
  struct Want {
    AtspiRole role;
    const char* name;
  } want[] = {{ATSPI_ROLE_LABEL, "Gain"},        {ATSPI_ROLE_ENTRY, "0 dB"},
              {ATSPI_ROLE_CHECK_BOX, "Loud"},    {ATSPI_ROLE_PUSH_BUTTON, "OK"},
              {ATSPI_ROLE_PANEL, ""},            {ATSPI_ROLE_CANVAS, "Level meter"}};
  std::vector<AtspiAccessible*> kids = Children(frame);
  ASSERT_EQ(kids.size(), sizeof want / sizeof want[0]);
  for (size_t i = 0; i < kids.size(); ++i) {
    EXPECT_EQ(Role(kids[i]), want[i].role) << i;
    EXPECT_EQ(Name(kids[i]), want[i].name) << i;
  }
  EXPECT_TRUE(HasState(kids[3], ATSPI_STATE_ENABLED));
  EXPECT_TRUE(HasState(kids[1], ATSPI_STATE_EDITABLE));
  std::vector<AtspiAccessible*> channels = Children(kids[5]);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(Name(channels[0]), "Left channel");
  EXPECT_EQ(Name(channels[1]), "Right channel");
  EXPECT_EQ(Role(channels[1]), ATSPI_ROLE_LEVEL_BAR);
  AtspiAccessible* parent = atspi_accessible_get_parent(channels[1], nullptr);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(Name(parent), "Level meter");
  g_object_unref(parent);

  // Where the right channel is, and what lies there: the meter view sits
  // at (20, 150), 180 x 60, the right channel in its lower half.
  AtspiComponent* comp = atspi_accessible_get_component_iface(channels[1]);
  ASSERT_NE(comp, nullptr);
  AtspiRect* r = atspi_component_get_extents(comp, ATSPI_COORD_TYPE_WINDOW, nullptr);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 20);
  EXPECT_EQ(r->y, 180);
  EXPECT_EQ(r->width, 180);
  EXPECT_EQ(r->height, 30);
  g_free(r);
  g_object_unref(comp);
  AtspiComponent* fc = atspi_accessible_get_component_iface(frame);
  ASSERT_NE(fc, nullptr);
  AtspiAccessible* hit = atspi_component_get_accessible_at_point(fc, 100, 195, ATSPI_COORD_TYPE_WINDOW, nullptr);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(Name(hit), "Right channel");
  g_object_unref(hit);
  hit = atspi_component_get_accessible_at_point(fc, 60, 100, ATSPI_COORD_TYPE_WINDOW, nullptr);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(Name(hit), "OK");
  g_object_unref(hit);
  g_object_unref(fc);

  for (AtspiAccessible* a : channels) g_object_unref(a);
  for (AtspiAccessible* a : kids) g_object_unref(a);
  for (AtspiAccessible* a : windows) g_object_unref(a);
}

TEST_F(AccessBus, TheFocusFollowsTheFirstResponderAndTheObjectsAnswer) {
  AtspiAccessible* entry = Find(app, "0 dB");
  AtspiAccessible* right = Find(app, "Right channel");
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(right, nullptr);
  Send("focus edit");
  EXPECT_TRUE(WaitUntil([&] { return HasState(entry, ATSPI_STATE_FOCUSED); }, 10));
  EXPECT_FALSE(HasState(right, ATSPI_STATE_FOCUSED));
  // The meter view takes the focus; its object says the right channel has it.
  Send("focus meter");
  EXPECT_TRUE(WaitUntil([&] { return HasState(right, ATSPI_STATE_FOCUSED); }, 10));
  EXPECT_FALSE(HasState(entry, ATSPI_STATE_FOCUSED));
  g_object_unref(entry);
  g_object_unref(right);

  // Quitting takes the program off the bus.
  Send("quit");
  int status = -1;
  EXPECT_TRUE(WaitUntil([&] { return waitpid(demo, &status, WNOHANG) == demo; }, 30)) << Log();
  demo = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n" << Log();
}

}  // namespace
