#include "Design.h"

namespace Dsp {

ParamInfo describeParam(ParamSlot slot, int maxOrder) {
  switch (slot) {
    case slotSampleRate:
      return ParamInfo::defaultSampleRateParam();
    case slotOrder:
      return ParamInfo::orderParam(maxOrder);
    case slotCutoff:
      return ParamInfo::defaultCutoffFrequencyParam();
    case slotCenter:
      return ParamInfo::defaultCenterFrequencyParam();
    case slotBandwidthHz:
      return ParamInfo::defaultBandwidthHzParam();
    case slotBandwidthOctaves:
      return ParamInfo::defaultBandwidthParam();
    case slotGain:
      return ParamInfo::defaultGainParam();
    case slotRippleDb:
      return ParamInfo::defaultRippleDbParam();
    case slotQ:
      return ParamInfo::defaultQParam();
    case slotStopDb:
      return ParamInfo::defaultStopDbParam();
    case slotRolloff:
      return ParamInfo::defaultRolloffParam();
    case slotPoleRho:
      return ParamInfo::defaultPoleRhoParam();
    case slotPoleTheta:
      return ParamInfo::defaultPoleThetaParam();
    case slotZeroRho:
      return ParamInfo::defaultZeroRhoParam();
    case slotZeroTheta:
      return ParamInfo::defaultZeroThetaParam();
    case slotPoleReal:
      return ParamInfo::defaultPoleRealParam();
    case slotZeroReal:
      return ParamInfo::defaultZeroRealParam();
  }
  return ParamInfo();  // throws
}

}  // namespace Dsp
