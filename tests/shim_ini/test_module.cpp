// A loadable module that records its entry-point calls in the environment
// variable HB_MODULE_LOG, which outlives the module. MODULE_REFUSE 1 makes
// the first entry point refuse the load, 2 the second.

#include <stdlib.h>

#include <string>

#ifndef MODULE_REFUSE
#define MODULE_REFUSE 0
#endif

static void Log(const char* what) {
  const char* old = getenv("HB_MODULE_LOG");
  std::string s = old ? old : "";
  s += what;
  setenv("HB_MODULE_LOG", s.c_str(), 1);
}

extern "C" __attribute__((visibility("default"))) int SHIM_dllMain(void*, unsigned reason, void*) {
  Log(reason ? "S1 " : "S0 ");
  return !(MODULE_REFUSE == 1 && reason == 1);
}

extern "C" __attribute__((visibility("default"))) int DllMain(void*, unsigned reason, void*) {
  Log(reason ? "D1 " : "D0 ");
  return !(MODULE_REFUSE == 2 && reason == 1);
}

extern "C" __attribute__((visibility("default"))) int ModuleAnswer() { return 42; }
