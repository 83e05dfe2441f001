#include "heapbuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>

KIT_HeapBuf::~KIT_HeapBuf() {
  free(buffer);
}

void* KIT_HeapBuf::Resize(int newsize, bool resizedown) {
  if (newsize < 0) newsize = 0;
  if (newsize == size) return size ? buffer : nullptr;

  int threshold = 0;
  if (resizedown && newsize < size) {
    // Only give memory back once the block is large against the granularity.
    long long half = allocated / 2;
    long long lessGranules = static_cast<long long>(allocated) - 4LL * granularity;
    long long t = half < lessGranules ? half : lessGranules;
    threshold = t < 1 ? 1 : static_cast<int>(t);
  }

  if (newsize > allocated || newsize < threshold) {
    long long newalloc = 0;
    if (newsize > 0) {
      long long g = newsize / 2;
      if (g < granularity) g = granularity;
      if (granularity < 4096) {
        newalloc = newsize + g;
      } else {
        g &= ~4095LL;
        if (g < 4096) g = 4096;
        if (g > 4194304) g = 4194304;
        newalloc = ((newsize + g + 96) & ~4095LL) - 96;
      }
    }
    if (newalloc != allocated) {
      if (newalloc < 1) {
        free(buffer);
        buffer = nullptr;
        allocated = 0;
        size = 0;
        return nullptr;
      }
      // Sizes are ints: a block beyond INT_MAX cannot be held.
      if (newalloc > INT_MAX) return size ? buffer : nullptr;
      char* p = static_cast<char*>(realloc(buffer, static_cast<size_t>(newalloc)));
      if (!p) {
        p = static_cast<char*>(malloc(static_cast<size_t>(newalloc)));
        if (!p) return size ? buffer : nullptr;
        int keep = newsize < size ? newsize : size;
        if (keep > 0) memcpy(p, buffer, static_cast<size_t>(keep));
        free(buffer);
      }
      buffer = p;
      allocated = static_cast<int>(newalloc);
    }
  }
  size = newsize;
  return size ? buffer : nullptr;
}
