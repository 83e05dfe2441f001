#pragma once

// Several filters over one two-channel block, one after the other.

#include "Filter.h"

namespace Dsp {

// Exactly what calling process(numSamples, channels) on each filter in turn gives (null
// filters are skipped). When every filter is steady and made of direct form I sections (at
// most eight in all) and the channels are separate buffers, the block goes through all of
// them in one pass, both channels side by side, so that the filters' recurrences overlap
// instead of waiting for each other.
void processSeries(Filter* const* filters, int count, int numSamples, double* const* channels);

}  // namespace Dsp
