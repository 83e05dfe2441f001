#pragma once

#include <cstdint>

#include "BitCrasher.h"
#include "DistoTypes.h"
#include "Distortion.h"
#include "DistortionDataProvider.h"
#include "DynShaper.h"
#include "NoiseGate.h"
#include "SmpRateConverter.h"

namespace Rawnfield {

// One complete distortion chain: bit crusher, sample-rate reducer, noise
// gate, distortion and dynamic shaper, run in that order on a stereo block
// in place. The members are used directly by the owner.
class DistortionFx {
public:
  // Only stores the provider reference; the provider may be built later.
  explicit DistortionFx(DistortionDataProvider& provider);

  // Loads the distortion's curves (after the provider is built).
  void init() { distortion.init(); }
  // distMod and shaperMod are optional per-frame factors on the distortion
  // amount and the shaper amount (null: none).
  void process(double** io, double* distMod, double* shaperMod, int n);
  void setSampleRate(double rate);
  // The largest block the chain will see.
  void setBlockSize(int n);
  // Switches the chain out (true) or in. The noise gate has no bypass and
  // keeps running; the shaper ramps, the rest switch at once.
  void setBypass(bool on);

  BitCrasher bitCrasher;
  NoiseGate noiseGate;
  Distortion distortion;
  DynShaper dynShaper;
  SmpRateConverter smpRateConverter;
};

// The three distortion chains and the one curve provider they all read.
// Chain 0 is the master copy of the curve (editor, display, saving), chain 1
// processes the audio, and chain 2's distortion serves the sub-band path,
// which holds it without processing through it.
//
// The setters below fan one plug-in setting out to the chains it reaches;
// the plug-in calls them from its parameter dispatch, between blocks.
class DistoFxUnit {
public:
  enum eChain : int { kMasterChain = 0, kAudioChain = 1, kSubBandChain = 2, kNumChains = 3 };

  // Builds the chains, then the provider (which computes every curve).
  DistoFxUnit();

  // Every chain loads its own copy of the curves, chains 0, 1, 2 in turn.
  void init();
  void setSampleRate(double rate);
  void setBlockSize(int n);
  void setBypass(bool on);
  // One block through the audio chain, without modulation.
  void process(double** io, int n);

  // Settings, each for chains 0, 1 and 2 unless said otherwise.
  void setQuantization(double v);
  void setSampleRateConversion(double v);
  void setGateThreshold(double v);
  // The distortion on/off switch: 0 switches every chain out.
  void setDistortionOn(double v) { setBypass(v == 0.0); }
  // Chains 0 and 1 only: the sub-band chain's distortion keeps amount 0.
  void setDistortionAmount(double v);
  void setDistortionType(double v);
  void setDistoMode(double v);
  void setInterpolation(double v);
  void setPolarity(double v);
  void setShaperAmount(double v);
  void setShaperInvert(double v);
  void setShaperType(double v);
  void setShaperMode(double v);
  void setShaperApplyMode(double v);

  // Curve edits, applied to chains 0, 1 and 2 in that order.
  void dataAction(Types::eDistoCurveAction action);
  void setLutValue(unsigned short i, double v);
  // A saved user curve: every point through setUserLutValue, then
  // applyUserData, on each chain. Nothing for null values.
  void restoreUserCurve(const double* values, int n);
  // After an import into chain 0: chains 1 and 2 take a copy of its curve.
  void copyMasterCurve();

  // Editor pictures from chain 0 (counts taken as 16-bit numbers).
  void updateDistoGuiData(double* curve, int nCurve, double* wave, int nWave);
  void updateDynShaperGuiData(double* curve, int nCurve, double* wave, int nWave);

  DistortionFx& master() { return chains[kMasterChain]; }
  DistortionFx& audio() { return chains[kAudioChain]; }
  DistortionFx& subBand() { return chains[kSubBandChain]; }

  DistortionFx chains[kNumChains];
  // Declared last: the chains receive its reference before it is built.
  DistortionDataProvider provider;

private:
  template <class F>
  void forEachChain(F&& f) {
    for (DistortionFx& c : chains) f(c);
  }
};

}  // namespace Rawnfield
