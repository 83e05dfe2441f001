// The audio block and the preparation of the units for it.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Harshbloom.h"
#include "Settling.h"
#include "UnitFilters.h"

namespace {

void copyFrames(double* dest, const double* src, int n) {
  std::memcpy(dest, src, sizeof(double) * static_cast<size_t>(n));
}

// A smoothed value applied frame by frame while the smoother moves; once a
// step leaves it unchanged, rest(from, value) takes the remaining frames
// with the settled value, with the same arithmetic per sample.
template <class Frame, class Rest>
void smoothed(Rawnfield::Smoother& smoother, double target, int n, Frame&& frame, Rest&& rest) {
  const int from = Rawnfield::Settling::stepWhileMoving(smoother, target, 0, n, frame);
  if (from < n) rest(from, smoother.state);
}

// out = g * out + (1 - g) * other, for one channel from frame `from`.
void blend(double* out, const double* other, double g, int from, int n) {
  const double h = 1.0 - g;
  for (int i = from; i < n; ++i) out[i] = g * out[i] + h * other[i];
}

}  // namespace

void Harshbloom::Reset() {
  KIT_MutexLock lock(GetMutex());
  const double rate = GetSampleRate();
  const int frames = GetBlockSize() > 0 ? GetBlockSize() : 0;

  for (Rawnfield::Oversampler& o : mOversamplers) {
    o.sampleRate = rate;
    o.setBlockSize(frames);
    o.reset();
  }
  for (Rawnfield::WorkBuffer* b : {&mDry[0], &mDry[1], &mFx[0], &mFx[1], &mRaw[0], &mRaw[1],
                                   &mSilence, &mSpare[0], &mSpare[1]})
    b->growCleared(frames);
  for (Rawnfield::WorkBuffer& b : mSettleOut) b.growCleared(frames);
  mWorkFrames = frames;

  // The stages that may run oversampled get room for the oversampled block.
  const int oversampled = frames * mOversamplers[2].factor;
  mInput.setBlockSize(oversampled);
  mDistoFx.setSampleRate(rate);
  mDistoFx.setBlockSize(oversampled);

  mFilter.setSampleRate(rate);
  mFilter.setBlockSize(frames);
  mFilter.reset();
  mDistoBandEq.setSampleRate(rate);
  mDistoBandEq.setBlockSize(frames);
  mDistoBandEq.reset();
  mDumpExpand.setSampleRate(rate);
  mDumpExpand.setBlockSize(frames);
  mDumpExpand.reset();
  // The sweep's filters would otherwise glide from their designs' default
  // settings over the first blocks, a burst of up to +18 dB: a reset starts
  // them where they are set. Later changes glide as before.
  for (Dsp::Filter* f : {mDumpExpand.lowPass, mDumpExpand.highPass}) {
    f->doSetTransitionSamples(0);
    f->doSetTransitionSamples(Rawnfield::UnitFilters::kTransitionSamples);
  }

  mLevelFollower.setSampleRate(rate);

  mSubBand.setSampleRate(rate);  // its equaliser and band split too
  mSubBand.setBlockSize(frames);
  mSubBand.reset();

  mOutputSaturator.setBlockSize(oversampled);
  markDirty(kHostInfoText);
  updateSampleRateTexts();
}

void Harshbloom::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;

  // One connected input feeds both channels; missing ones read silence.
  const double* silence = mSilence.data;
  const double* inL = silence;
  const double* inR = silence;
  if (inputs && NInChannels() >= 1 && inputs[0]) inL = inR = inputs[0];
  if (inputs && NInChannels() >= 2 && inputs[1]) {
    inR = inputs[1];
    if (!inputs[0]) inL = inputs[1];
  }
  double* outL = outputs && NOutChannels() >= 1 ? outputs[0] : nullptr;
  double* outR = outputs && NOutChannels() >= 2 ? outputs[1] : nullptr;
  // One buffer for both outputs would be processed twice per frame.
  if (outR == outL) outR = nullptr;

  if (mWorkFrames < 1) {
    for (double* out : {outL, outR})
      if (out) std::memset(out, 0, sizeof(double) * static_cast<size_t>(nFrames));
    return;
  }

  // A block longer than the prepared size runs in pieces.
  for (int done = 0; done < nFrames;) {
    const int n = nFrames - done < mWorkFrames ? nFrames - done : mWorkFrames;
    processPiece(inL == silence ? silence : inL + done, inR == silence ? silence : inR + done,
                 outL ? outL + done : mSpare[0].data, outR ? outR + done : mSpare[1].data, n);
    done += n;
  }

  const double tempo = GetTempo();
  if (tempo != mLastTempo) {  // a NaN tempo counts as a change every time
    mLastTempo = tempo;
    markDirty(kHostInfoText);
  }
}

void Harshbloom::processPiece(const double* inL, const double* inR, double* outL, double* outR,
                              int n, bool live) {
  const Rawnfield::RNFxProgram& rec = mLiveProgram.getProgram();
  double* raw[2] = {mRaw[0].data, mRaw[1].data};
  double* dry[2] = {mDry[0].data, mDry[1].data};
  double* fx[2] = {mFx[0].data, mFx[1].data};
  double* out[2] = {outL, outR};
  // After a preset change the chain settles first, in the work buffers.
  if (live && mSettling)
    mSettling = settleProgramChange(static_cast<long>(n) * kProgramSettleSpeed);

  // The input is taken first, so outputs that share the input's memory and
  // a single input feeding both channels are read once. Non-finite and
  // vanishing samples enter as 0 and cannot poison the filters.
  // The outputs take their copy in the same pass where each is the input's
  // own memory (every frame is read before it is written) or apart from it.
  const auto apart = [n](const double* a, const double* b) {
    const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    const uintptr_t bytes = sizeof(double) * static_cast<size_t>(n);
    return x == y || x + bytes <= y || y + bytes <= x;
  };
  const bool onePass = apart(outL, inL) && apart(outL, inR) && apart(outR, inL) && apart(outR, inR);
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    using namespace Dsp;
    const Lanes l = Rawnfield::UnitMath::flushTinyLanes(loadLanes(inL + i));
    const Lanes r = Rawnfield::UnitMath::flushTinyLanes(loadLanes(inR + i));
    storeLanes(raw[0] + i, l);
    storeLanes(dry[0] + i, l);
    storeLanes(raw[1] + i, r);
    storeLanes(dry[1] + i, r);
    if (onePass) {
      storeLanes(outL + i, l);
      storeLanes(outR + i, r);
    }
  }
  for (; i < n; ++i) {
    const double l = Rawnfield::UnitMath::flushTiny(inL[i]);
    const double r = Rawnfield::UnitMath::flushTiny(inR[i]);
    raw[0][i] = dry[0][i] = l;
    raw[1][i] = dry[1][i] = r;
    if (onePass) {
      outL[i] = l;
      outR[i] = r;
    }
  }
  if (!onePass)
    for (int c = 0; c < 2; ++c) copyFrames(out[c], raw[c], n);

  if (live && mSettling) {
    fadeProgramChange(out, n, false);
    finishPiece(dry, out, n);
    return;
  }

  const int action = live ? mPendingCurveAction.exchange(Rawnfield::Types::kNoCurveAction)
                          : static_cast<int>(Rawnfield::Types::kNoCurveAction);
  if (action != Rawnfield::Types::kNoCurveAction)
    applyCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(action));

  const bool oversampling = rec.oversampling.value > 0.5;
  if (!oversampling) mInput.process(out, n);

  const bool effectUnits = mBypassGain < kEffectUnitsOffGain;
  if (effectUnits) {
    for (int c = 0; c < 2; ++c) copyFrames(fx[c], out[c], n);
    runEffectUnits(fx, n, live);
  } else {
    for (double* f : fx) std::memset(f, 0, sizeof(double) * static_cast<size_t>(n));
  }

  // The sub-band processor works on its own copy of the input, which is all
  // its path up to its equaliser takes: that equaliser runs beside the
  // distorted band's (which stops at once with the bypass switch; the
  // crossfade runs on).
  const bool distoBandEq = effectUnits && rec.bypassFX < 0.5;
  const bool subBand = mSubBand.begin(raw, fx, n);
  if (distoBandEq && subBand)
    Rawnfield::ShelfEqualizer::processBoth(mDistoBandEq, fx, mSubBand.eq, raw, n);
  else if (distoBandEq)
    mDistoBandEq.process(fx, n);
  else if (subBand)
    mSubBand.eq.process(raw, n);
  if (subBand) mSubBand.end(raw, fx, n);

  smoothed(
      mBypassSmoother, rec.bypassFX, n,
      [&](int i, double b) {
        for (int c = 0; c < 2; ++c) out[c][i] = b * out[c][i] + (1.0 - b) * fx[c][i];
      },
      [&](int from, double b) {
        for (int c = 0; c < 2; ++c) blend(out[c], fx[c], b, from, n);
      });
  mBypassGain = mBypassSmoother.state;

  if (oversampling)
    mOversamplers[kSaturatorOversampler].run(
        out, n, [this](double** up, int m) { mOutputSaturator.process(up, m); });
  else
    mOutputSaturator.process(out, n);

  mDumpExpand.process(out, n);

  // Pan attenuates one side at a time; the centre leaves both at unity.
  const auto pan = [&](int i, double p) {
    if (p < 0.5)
      outR[i] *= 2.0 * p;
    else
      outL[i] *= 1.0 - 2.0 * (p - 0.5);
  };
  smoothed(mPanSmoother, rec.pan, n, pan, [&](int from, double p) {
    double* side = p < 0.5 ? outR : outL;
    const double g = p < 0.5 ? 2.0 * p : 1.0 - 2.0 * (p - 0.5);
    for (int i = from; i < n; ++i) side[i] *= g;
  });

  smoothed(
      mDryWetSmoother, rec.dryWet, n,
      [&](int i, double w) {
        for (int c = 0; c < 2; ++c) out[c][i] = w * out[c][i] + (1.0 - w) * dry[c][i];
      },
      [&](int from, double w) {
        for (int c = 0; c < 2; ++c) blend(out[c], dry[c], w, from, n);
      });

  if (rec.limiterMode.value > 0.0) {
    if (oversampling)
      mOversamplers[kClipperOversampler].run(
          out, n, [this](double** up, int m) { mSoftClipper.process(up, up, m); });
    else
      mSoftClipper.process(out, out, n);
  }

  Rawnfield::Settling::scaleBoth(mVolumeSmoother, rec.volume.value, outL, outR, n);

  if (!live) return;
  fadeProgramChange(out, n, true);
  finishPiece(dry, out, n);
}

void Harshbloom::finishPiece(double** dry, double** out, int n) {
  limitAndDetectMaxLevels(out, n);
  updateDisplays(dry, out, n);
  for (int c = 0; c < 2; ++c) mLastOut[c] = out[c][n - 1];
}

void Harshbloom::runEffectUnits(double** fx, int n, bool live) {
  // Drawn curve values reach the curves here, between the units' blocks.
  if (live && mCurveEditor && mCurveEditor->takeChanged()) copyDrawnCurve();
  mFilter.process(fx, n);
  mDistoFx.process(fx, n);
}

// Non-finite samples become +0, the rest is clamped to the output range,
// two samples at a time; the peak moves only where a sample's magnitude
// exceeds it (a NaN peak stays), as sample by sample.
void Harshbloom::limitAndDetectMaxLevels(double** out, int n) {
  using namespace Dsp;
  const double top = kMaxOutputLevel;
  const Lanes hi = splat(top), lo = splat(-top), largest = splat(DBL_MAX);
  bool changed = false;
  for (int c = 0; c < 2; ++c) {
    double* x = out[c];
    const double start = mMaxLevel[c].load(std::memory_order_relaxed);
    Lanes peaks = splat(start);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
      Lanes s = loadLanes(x + i);
      s = keepWhere(lessEqual(absLanes(s), largest), s);
      s = minLanes(hi, maxLanes(lo, s));
      storeLanes(x + i, s);
      peaks = maxLanes(absLanes(s), peaks);
    }
    double peak = lane1(peaks) > lane0(peaks) ? lane1(peaks) : lane0(peaks);
    for (; i < n; ++i) {
      double s = x[i];
      if (!std::isfinite(s)) s = 0.0;
      s = s > top ? top : (s < -top ? -top : s);
      x[i] = s;
      if (std::fabs(s) > peak) peak = std::fabs(s);
    }
    if (peak > start) changed = true;
    mMaxLevel[c].store(peak, std::memory_order_relaxed);
  }
  if (mMaxLevelResetRequest.exchange(false)) {
    for (auto& level : mMaxLevel) level.store(0.0, std::memory_order_relaxed);
    changed = true;
  }
  if (changed) markDirty(kMaxLevelText);
}

void Harshbloom::updateDisplays(double** dry, double** out, int n) {
  switch (IFxTruncToInt(mConfig.visibleTab)) {
    case 2: {  // about page: the level meters
      const double* io[2] = {out[0], out[1]};
      mLevelFollower.process(io, n);
      for (int c = 0; c < 2; ++c)
        mLevel[c].store(mLevelFollower.envelope[c], std::memory_order_relaxed);
      markDirty(kLevelDisplays);
      break;
    }
    case 1: {  // scope page: one entry every `step` samples
      uint32_t step = 1;
      const double rate = GetSampleRate();
      if (std::isfinite(rate) && rate > 0.0) {
        const double x = rate * (1.0 / (mConfig.scopeZoom / 100.0)) / kScopeSize;
        if (std::isfinite(x) && x >= 1.0)
          step = x > 4294967295.0 ? 4294967295u : static_cast<uint32_t>(x);
      }
      const bool frozen = mFreeze.load(std::memory_order_relaxed);
      // Samples since the last capture, kept below the step: a wrapping
      // sample counter taken modulo the step would shorten one period at
      // each wrap.
      if (mCapturePhase >= step) mCapturePhase = 0;
      for (int i = 0; i < n; ++i) {
        const bool capture = mCapturePhase == 0;
        if (++mCapturePhase >= step) mCapturePhase = 0;
        if (!capture || frozen) continue;
        const auto at = [i, n](const double* v) {
          return i + 1 < n ? (v[i] + v[i + 1]) * 0.5 : v[i];
        };
        Rawnfield::Types::VisSample s;
        s.dryLeft = at(dry[0]);
        s.dryRight = at(dry[1]);
        s.outLeft = at(out[0]);
        s.outRight = at(out[1]);
        mScope.write(s);
      }
      markDirty(kScopeDisplay);
      break;
    }
    default:
      break;
  }
}
