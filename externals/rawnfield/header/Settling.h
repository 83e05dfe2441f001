#pragma once

// Most per-frame work of the units hangs on a smoother. Its step is a
// function of its state alone (for a fixed target), so once a step leaves
// the state unchanged it never moves again: the rest of the block can run
// with a constant and without the frame-by-frame dependency, with results
// identical to stepping every frame. Smoothers with a = 0.9777 settle
// within about 1500 frames of a target change, a = 0.999 within about
// 30000. The owner's own smoothed gains can use the same helpers.

#include <cstring>
#include <initializer_list>

#include "../DspLib/Lanes.h"
#include "UnitMath.h"

namespace Rawnfield {
namespace Settling {

inline bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Steps the smoother towards target for frames from, from + 1, ... and
// hands each smoothed value to frame(i, value), until a step leaves the
// state unchanged or the block ends. Returns the first frame not handled:
// the frame whose step left the state unchanged is not handed over, it
// takes the settled value (smoother.state) with the rest of the block, so
// a settled smoother leaves the whole block to the caller's wide loop.
template <class Frame>
int stepWhileMoving(Smoother& smoother, double target, int from, int n, Frame&& frame) {
  int i = from;
  for (; i < n; ++i) {
    const double last = smoother.state;
    const double value = smoother.next(target);
    if (sameBits(value, last)) break;
    frame(i, value);
  }
  return i;
}

// The two forms of a smoothed value applied to both channels of a block,
// frame by frame until the smoother settles and then with the settled
// value: channel[i] *= value and channel[i] += value. With both channels
// in one buffer every sample takes the value twice, as frame by frame.
inline void scaleBoth(Smoother& smoother, double target, double* left, double* right, int n) {
  const int from = stepWhileMoving(smoother, target, 0, n, [&](int i, double g) {
    left[i] *= g;
    right[i] *= g;
  });
  const Dsp::Lanes g = Dsp::splat(smoother.state);
  for (double* x : {left, right}) {
    int i = from;
    for (; i + 2 <= n; i += 2) Dsp::storeLanes(x + i, Dsp::loadLanes(x + i) * g);
    if (i < n) x[i] *= smoother.state;
  }
}

inline void offsetBoth(Smoother& smoother, double target, double* left, double* right, int n) {
  const int from = stepWhileMoving(smoother, target, 0, n, [&](int i, double o) {
    left[i] += o;
    right[i] += o;
  });
  const Dsp::Lanes o = Dsp::splat(smoother.state);
  for (double* x : {left, right}) {
    int i = from;
    for (; i + 2 <= n; i += 2) Dsp::storeLanes(x + i, Dsp::loadLanes(x + i) + o);
    if (i < n) x[i] += smoother.state;
  }
}

}  // namespace Settling
}  // namespace Rawnfield
