// The code of a tiny bundle: records its entry-point calls in the
// environment variable HB_BUNDLE_LOG, which outlives it.

#include <stdlib.h>

#include <string>

static void Log(const char* what) {
  const char* old = getenv("HB_BUNDLE_LOG");
  std::string s = old ? old : "";
  s += what;
  setenv("HB_BUNDLE_LOG", s.c_str(), 1);
}

extern "C" __attribute__((visibility("default"))) int SHIM_dllMain(void*, unsigned reason, void*) {
  Log(reason ? "S1 " : "S0 ");
  return 1;
}

extern "C" __attribute__((visibility("default"))) int DllMain(void*, unsigned reason, void*) {
  Log(reason ? "D1 " : "D0 ");
  return 1;
}

extern "C" __attribute__((visibility("default"))) int TinyAnswer() { return 7; }
