#pragma once

// Several filters over one two-channel block, one after the other; two filters over blocks of
// their own, side by side.

#include "Filter.h"

namespace Dsp {

// Exactly what calling process(numSamples, channels) on each filter in turn gives (null
// filters are skipped). When every filter is steady and made of direct form I sections (at
// most eight in all) and the channels are separate buffers, the block goes through all of
// them in one pass, both channels side by side, so that the filters' recurrences overlap
// instead of waiting for each other.
void processSeries(Filter* const* filters, int count, int numSamples, double* const* channels);

// Exactly what processSeries of the first filters on their channels, then of the second ones
// on theirs gives. When both lists form one chain of the same number of sections (four to
// six) and AVX-512 is there, the two chains run as one wavefront, each filling the other's
// waits.
void processSeriesPair(Filter* const* first, int firstCount, double* const* firstChannels,
                       Filter* const* second, int secondCount, double* const* secondChannels,
                       int numSamples);

// Exactly what a->process(numSamples, ioA) then b->process(numSamples, ioB) gives (a null
// filter is skipped). When both are steady, made of direct form II sections, and the four
// channels are separate buffers, one loop runs sample i of a and then sample i of b, both
// channels of each side by side, so that the two filters' recurrences overlap.
void processSideBySide(Filter* a, double* const* ioA, Filter* b, double* const* ioB,
                       int numSamples);

}  // namespace Dsp
