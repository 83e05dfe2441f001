#include "test_provider.h"

Rawnfield::DistortionDataProvider& testProvider() {
  static Rawnfield::DistortionDataProvider provider;
  return provider;
}
