#include "Dsp.h"

namespace Dsp {

#define DSP_DEFINE_SMOOTHED(D, S) template class SmoothedFilterDesign<D, 2, S>;
DSP_SMOOTHED_DESIGNS(DSP_DEFINE_SMOOTHED)
#undef DSP_DEFINE_SMOOTHED

}  // namespace Dsp
