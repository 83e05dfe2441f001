#pragma once

// Mesa's GL drivers keep some memory until the process ends, and are
// unloaded before it does: kept loaded, the leak checker can still name
// them (tests/lsan.supp) instead of reporting an unknown module.

#include <dlfcn.h>
#include <glob.h>

inline void keepGLDriversLoaded() {
  glob_t g;
  if (glob("/usr/lib/*/dri/swrast_dri.so", 0, nullptr, &g) == 0) {
    for (size_t i = 0; i < g.gl_pathc; ++i) dlopen(g.gl_pathv[i], RTLD_NOW | RTLD_NODELETE);
    globfree(&g);
  }
  for (const char* lib : {"libGLX_mesa.so.0", "libEGL_mesa.so.0"}) dlopen(lib, RTLD_NOW | RTLD_NODELETE);
}
