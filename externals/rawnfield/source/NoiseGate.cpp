#include "NoiseGate.h"

#include <cmath>

#include "Settling.h"
#include "UnitLanes.h"

namespace Rawnfield {

void NoiseGate::setThreshold(double v) {
  setting = v;
  threshold = std::isfinite(v) ? v * v * v * v : 0.0;
  if (!std::isfinite(threshold)) threshold = 0.0;
}

namespace {

using namespace UnitLanes;

// The threshold and the knee in every lane of V.
template <class V>
struct Levels {
  RN_INLINE Levels(double threshold, double kneeTop, double kneeWidth) {
    UnitLanes::splat(t, threshold);
    UnitLanes::splat(top, kneeTop);
    UnitLanes::splat(width, kneeWidth);
    UnitLanes::splat(zero, 0.0);
    UnitLanes::splat(plus, 1.0);
    UnitLanes::splat(minus, -1.0);
  }
  V t, top, width, zero, plus, minus;
};

// x through the gate, lane by lane: 0 below the threshold, lifted in the
// knee just above it, kept from the knee's top on (NaN passes). The
// division runs only when a lane is in the knee; its width is positive
// there, as a non-empty knee above a positive threshold needs s > 0.
template <class V>
RN_INLINE void gate(V& x, const Levels<V>& g) {
  V a, sign;
  Mask<V> negative, below, underTop, knee;
  magnitude(a, x);
  lessThan(negative, x, g.zero);
  select(sign, negative, g.minus, g.plus);
  lessThan(below, a, g.t);
  lessThan(underTop, a, g.top);
  notAnd(knee, below, underTop);
  V y = sign * a;
  if (anyLane(knee)) {
    const V lifted = sign * (g.top * (a - g.t) / g.width + a);
    select(y, knee, lifted, y);
  }
  select(x, below, g.zero, y);
}

// Frames from..n of both channels, kCount<V> samples at a time; returns
// where it stopped.
template <class V>
RN_INLINE int gateFrames(const double* const* in, double* const* out, int from, int n,
                         const Levels<V>& g) {
  constexpr int N = kCount<V>;
  const int count = n - from >= N ? (n - from) / N : 0;
  for (int c = 0; c < 2; ++c) {
    const double* x = in[c] + from;
    double* y = out[c] + from;
    for (int k = 0; k < count; ++k, x += N, y += N) {
      V v;
      load(v, x);
      gate(v, g);
      store(y, v);
    }
  }
  return from + count * N;
}

#if defined(DSP_WIDE_LANES)
// Each leaves the wide registers itself, an inlined instruction.
DSP_WIDE int gateWide(const double* const* in, double* const* out, int from, int n, double t,
                      double top, double width) {
  const int i = gateFrames(in, out, from, n, Levels<Four>(t, top, width));
  Dsp::leaveWideLanes();
  return i;
}
DSP_WIDEST int gateWidest(const double* const* in, double* const* out, int from, int n, double t,
                          double top, double width) {
  const int i = gateFrames(in, out, from, n, Levels<Eight>(t, top, width));
  Dsp::leaveWideLanes();
  return i;
}
#endif

}  // namespace

void NoiseGate::process(double** in, double** out, int n) {
  if (threshold == 0.0) return;
  if (!UnitMath::isBlock(in, n) || !UnitMath::isBlock(out, n)) return;
  const double t = threshold;
  const auto knee = [this](double s) {
    kneeWidth = s < 0.01 ? s : 0.01;
    kneeTop = s + kneeWidth;
  };
  const int from = Settling::stepWhileMoving(thresholdSmoother, t, 0, n, [&](int i, double s) {
    knee(s);
    const Levels<double> g(t, kneeTop, kneeWidth);
    for (int c = 0; c < 2; ++c) {
      double x = in[c][i];
      gate(x, g);
      out[c][i] = x;
    }
  });
  // The settled frame is not handed over: its knee comes from the state.
  knee(thresholdSmoother.state);
  int i = from;
#if defined(DSP_WIDE_LANES)
  const Dsp::LaneWidth lanes = Dsp::laneWidth();
  if (lanes >= Dsp::kWidestLanes)
    i = gateWidest(in, out, i, n, t, kneeTop, kneeWidth);
  else if (lanes >= Dsp::kWideLanes)
    i = gateWide(in, out, i, n, t, kneeTop, kneeWidth);
  if (i == n) return;
#endif
  i = gateFrames(in, out, i, n, Levels<Dsp::Lanes>(t, kneeTop, kneeWidth));
  gateFrames(in, out, i, n, Levels<double>(t, kneeTop, kneeWidth));
}

}  // namespace Rawnfield
