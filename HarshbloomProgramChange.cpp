// Preset changes while blocks run. A preset moves every unit at once: a
// distortion curve whose output for silence is not 0 steps the DC level that
// the sub-band crossover and the output sweep's high-pass then turn into a
// thump and a ring of half a second, and the new settings cut into the
// running sound. So the blocks after a change first run the chain on silence
// until what the old settings left in it has died away, fading their held
// last output out meanwhile, and then fade the new program in.

#include <cmath>

#include "Harshbloom.h"

namespace {

// The settling chain's output is checked over windows of this length once
// the glides and smoothers of the change have ended; it has settled when it
// moves less than kSettledRange within one (a ring at 10 Hz moves it within
// any window of half its period).
constexpr double kShortestSettleSeconds = 0.05;
constexpr double kSettleWindowSeconds = 0.05;
constexpr double kSettledRange = 1e-6;

// Raised cosine from 0 (frame 0) towards 1 (frame `frames`).
double rise(int frame, int frames) {
  return 0.5 - 0.5 * std::cos(3.141592653589793 * frame / frames);
}

long framesFor(double seconds, double rate) {
  const double frames = std::ceil(seconds * rate);
  return frames >= 1.0 && frames < 1e9 ? static_cast<long>(frames) : 1;
}

}  // namespace

// Each sample is taken as the mean of it and the one before: the filters'
// denormal guards leave a tiny signal that alternates every sample, which is
// no ring.
void Harshbloom::SettleRange::add(double x) {
  const double m = (x + last) * 0.5;
  last = x;
  if (count++ == 0) {
    lo = hi = m;
  } else {
    lo = m < lo ? m : lo;
    hi = m > hi ? m : hi;
  }
}

void Harshbloom::beginProgramChange() {
  KIT_MutexLock lock(GetMutex());
  // The filters start from silence: what the running sound left in them
  // would otherwise ring on long after it stopped.
  mFilter.reset();
  mDistoBandEq.reset();
  mSubBand.reset();
  mDumpExpand.reset();
  mOversamplers[kSaturatorOversampler].reset();
  mOversamplers[kClipperOversampler].reset();
  mSettling = mWorkFrames > 0;
  mSettledFrames = 0;
  for (SettleRange& r : mSettleRange) r = SettleRange();
  ++mProgramGeneration;
}

bool Harshbloom::settleProgramChange(long frames) {
  const double rate = GetSampleRate();
  const long shortest = framesFor(kShortestSettleSeconds, rate);
  const long window = framesFor(kSettleWindowSeconds, rate);
  const long longest = framesFor(kProgramSettleSeconds, rate);
  const double* silence = mSilence.data;
  while (frames > 0 && mSettledFrames < longest) {
    const long left = frames < longest - mSettledFrames ? frames : longest - mSettledFrames;
    const int n = left < mWorkFrames ? static_cast<int>(left) : mWorkFrames;
    processPiece(silence, silence, mSettleOut[0].data, mSettleOut[1].data, n, false);
    frames -= n;
    for (int i = 0; i < n; ++i, ++mSettledFrames) {
      if (mSettledFrames < shortest) continue;
      for (int c = 0; c < 2; ++c) mSettleRange[c].add(mSettleOut[c].data[i]);
      if (mSettleRange[0].count < window) continue;
      bool settled = true;
      for (SettleRange& r : mSettleRange) {
        settled = settled && r.hi - r.lo <= kSettledRange;
        r = SettleRange();
      }
      if (settled) return false;
    }
  }
  return mSettledFrames < longest;
}

void Harshbloom::fadeProgramChange(double** out, int n, bool chainRan) {
  if (mProgramGeneration != mSeenGeneration) {
    mSeenGeneration = mProgramGeneration;
    mHeldOut[0] = mLastOut[0];
    mHeldOut[1] = mLastOut[1];
    mHoldFrame = 0;
    mFadeInFrame = 0;
  }
  if (chainRan && mHoldFrame < 0 && mFadeInFrame < 0) return;  // steady: untouched

  const int frames = static_cast<int>(framesFor(kProgramFadeSeconds, GetSampleRate()));
  for (int i = 0; i < n; ++i) {
    double held = 0.0;
    if (mHoldFrame >= 0) {
      held = 1.0 - rise(mHoldFrame, frames);
      if (++mHoldFrame >= frames) mHoldFrame = -1;
    }
    // The new program is run on the input unheard for one fade length, so
    // that the attack of what it starts from silence (a filter's transient,
    // an envelope catching up) is not heard, and then faded in.
    double wet = 0.0;
    if (chainRan) {
      wet = 1.0;
      if (mFadeInFrame >= 0) {
        wet = mFadeInFrame < frames ? 0.0 : rise(mFadeInFrame - frames, frames);
        if (++mFadeInFrame >= 2 * frames) mFadeInFrame = -1;
      }
    }
    for (int c = 0; c < 2; ++c) out[c][i] = held * mHeldOut[c] + (chainRan ? wet * out[c][i] : 0.0);
  }
}
