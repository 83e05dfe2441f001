#pragma once

// What the editor's section layouts share: positions follow the loaded
// images' sizes (w: the width, h: the height of one frame), halves truncated.

#include "IGraphicsStructs.h"

namespace HarshbloomLayout {

constexpr int kKnobFrames = 128;

inline int w(const IBitmap& b) { return b.FrameWidth(); }
inline int h(const IBitmap& b) { return b.FrameHeight(); }

}  // namespace HarshbloomLayout
