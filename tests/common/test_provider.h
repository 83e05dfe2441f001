#pragma once

#include "DistortionDataProvider.h"

// The curve provider the tests share: it is read-only once built, so one
// instance serves the whole program.
Rawnfield::DistortionDataProvider& testProvider();
