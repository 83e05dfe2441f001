#pragma once

namespace Rawnfield {

// Frames of the stored kick-drum hit.
constexpr int kBassdrumLength = 21485;

// The kick: one mono hit of kBassdrumLength values in about [-1, 1], made on
// the first call (keep that call out of the audio path).
const double* g909Bassdrum();

}  // namespace Rawnfield
