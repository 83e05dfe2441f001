#pragma once

// Most per-frame work of the units hangs on a smoother. Its step is a
// function of its state alone (for a fixed target), so once a step leaves
// the state unchanged it never moves again: the rest of the block can run
// with a constant and without the frame-by-frame dependency.

#include <cstring>

#include "UnitMath.h"

namespace Rawnfield {
namespace Settling {

inline bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Steps the smoother towards target for frames from, from + 1, ... and
// hands each smoothed value to frame(i, value), until a step leaves the
// state unchanged or the block ends. Returns the first frame not handled.
template <class Frame>
int stepWhileMoving(Smoother& smoother, double target, int from, int n, Frame&& frame) {
  int i = from;
  while (i < n) {
    const double last = smoother.state;
    const double value = smoother.next(target);
    frame(i, value);
    ++i;
    if (sameBits(value, last)) break;
  }
  return i;
}

}  // namespace Settling
}  // namespace Rawnfield
