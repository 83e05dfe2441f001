#pragma once

#include <vector>

#include "DistortionFx.h"
#include "DumpExpand.h"
#include "Eq4Band.h"
#include "FilterUnit.h"
#include "InputProcessor.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SoftClipper.h"
#include "SubBandProcessor.h"

namespace SpeedScenarios {

// The units of one effect in the order of its block, every stage active,
// eightfold oversampling around the output saturator and the limiter, set
// up for 512-frame blocks at 44100 Hz as on a stream start.
struct WholeChain {
  WholeChain();
  // Every setting of every stage; variant 1 moves most of them.
  void settings(int variant);
  // raw: the block as it came in (the sub-band path's input); out: the
  // main path, processed in place.
  void process(double** raw, double** out, int n);

  Rawnfield::DistoFxUnit chains;
  Rawnfield::InputProcessor input;
  Rawnfield::FilterUnit filter;
  Rawnfield::Eq4Band eq;
  Rawnfield::SubBandProcessor subBand;
  Rawnfield::Saturator outputSaturator{Rawnfield::kOutputSaturation};
  Rawnfield::DumpExpand sweep;
  Rawnfield::SoftClipper limiter;
  Rawnfield::Oversampler saturatorOver, limiterOver;
  std::vector<double> fx[2] = {std::vector<double>(512), std::vector<double>(512)};
};

}  // namespace SpeedScenarios
