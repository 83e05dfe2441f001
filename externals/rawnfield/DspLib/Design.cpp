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
  }
  return ParamInfo();  // throws
}

}  // namespace Dsp
