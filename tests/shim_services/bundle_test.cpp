// Modules loaded from bundle folders: NAME.bundle/Contents/<machine>-linux/
// NAME.so with its resources in Contents/Resources/.

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/bundle.h"
#include "shim-kernel.h"
#include "temp_dir.h"

namespace {

// The module records its entry-point calls here.
std::string Log() {
  const char* s = getenv("HB_MODULE_LOG");
  return s ? s : "";
}

std::string ReadFile(const std::string& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Real(const std::string& p) {
  char buf[PATH_MAX];
  return realpath(p.c_str(), buf) ? buf : "";
}

TEST(Bundles, LoadingABundleLoadsItsCodeAndFindsItsResources) {
  unsetenv("HB_MODULE_LOG");
  HINSTANCE a = LoadLibrary(HB_TINY_BUNDLE);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Log(), "S1 D1 ");
  auto answer = reinterpret_cast<int (*)()>(GetProcAddress(a, "ModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(a, "NoSuchSymbol"), nullptr);

  auto* bundle = static_cast<plat::Bundle*>(SHIM_GetBundle(a));
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(bundle->path(), Real(HB_TINY_BUNDLE));
  EXPECT_EQ(bundle->name(), "Tiny");
  EXPECT_EQ(ReadFile(bundle->pathForResource("greeting.txt")), "hello from Tiny\n");
  EXPECT_EQ(ReadFile(bundle->pathForResource("sub/level.txt")), "3\n");
  EXPECT_EQ(bundle->pathForResource("missing.txt"), "");
  EXPECT_EQ(bundle->pathForResource("sub"), "");  // a folder is no resource
  EXPECT_EQ(bundle->pathForResource("../Resources/greeting.txt"), "");
  EXPECT_EQ(bundle->pathForResource("/etc/passwd"), "");

  char name[PATH_MAX];
  EXPECT_EQ(GetModuleFileName(a, name, sizeof name), int(bundle->path().size()));
  EXPECT_EQ(name, bundle->path());

  // The same folder, named another way, is the same module.
  HINSTANCE b = LoadLibraryGlobals(HB_TINY_BUNDLE "/", true);
  EXPECT_EQ(b, a);
  EXPECT_EQ(Log(), "S1 D1 ");
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(Log(), "S1 D1 ");
  EXPECT_TRUE(plat::Object::isLive(bundle));
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(Log(), "S1 D1 S0 D0 ");
  EXPECT_FALSE(plat::Object::isLive(bundle));

  // Loaded afresh after the last free.
  HINSTANCE c = LoadLibrary(HB_TINY_BUNDLE);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(Log(), "S1 D1 S0 D0 S1 D1 ");
  FreeLibrary(c);
}

TEST(Bundles, FoldersWithoutCodeForThisMachineGiveNull) {
  TempDir dir;
  const std::string empty = dir.path("Empty.bundle");
  const std::string noCode = dir.path("NoCode.bundle");
  mkdir(empty.c_str(), 0755);
  mkdir(noCode.c_str(), 0755);
  mkdir((noCode + "/Contents").c_str(), 0755);
  mkdir((noCode + "/Contents/Resources").c_str(), 0755);
  EXPECT_EQ(LoadLibrary(empty.c_str()), nullptr);
  EXPECT_EQ(LoadLibrary(noCode.c_str()), nullptr);
  EXPECT_EQ(LoadLibrary(dir.path("Missing.bundle").c_str()), nullptr);
  // The folder object itself still answers for its resources.
  plat::Bundle* b = plat::Bundle::create(noCode);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->executablePath(),
            Real(noCode) + "/Contents/" + plat::Bundle::machineFolder() + "/NoCode.so");
  std::string why;
  EXPECT_FALSE(b->loadExecutable(false, &why));
  EXPECT_NE(why.find("NoCode.so"), std::string::npos) << why;
  b->release();
}

}  // namespace
