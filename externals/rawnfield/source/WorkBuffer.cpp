#include "WorkBuffer.h"

#include <cstring>

namespace Rawnfield {

WorkBuffer::WorkBuffer(int n) {
  grow(n);
}

WorkBuffer::~WorkBuffer() {
  delete[] data;
}

void WorkBuffer::grow(int n) {
  if (n <= capacity) return;
  double* fresh = new double[n]();
  delete[] data;
  data = fresh;
  capacity = length = n;
}

void WorkBuffer::clear() {
  if (capacity > 0) std::memset(data, 0, sizeof(double) * capacity);
}

}  // namespace Rawnfield
