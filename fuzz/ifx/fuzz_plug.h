#pragma once

// The plug-in the state fuzz target loads into: one parameter of each type,
// two filled presets and one empty, preset 1 current.

#include <string>

#include "IFxStandalone.h"

class FuzzPlug : public IFxStandalone {
public:
  static const int kID = 0x467a5a31;  // "FzZ1"

  explicit FuzzPlug(bool chunks)
      : IFxStandalone(IFxInstanceInfo(), 4, "2-2", 3, "Fuzz", "", "Maker", 0x10000, kID, 1, 0,
                      false, chunks, false, 0) {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitEnum("Kind", 1, 4);
    GetParam(2)->InitInt("Count", 3, -5, 5);
    GetParam(3)->InitBool("On", true);
    MakeDefaultPreset("one", 1);
    GetParam(0)->Set(0.25);
    GetParam(2)->Set(-2.0);
    MakeDefaultPreset("two", 1);
    RestorePreset(1);
  }

  // The running state, every preset and the current index, as bytes.
  std::string Snapshot() {
    ByteChunk c;
    SerializeState(&c);
    SerializePresets(&c);
    const int current = GetCurrentPresetIdx();
    c.Put(&current);
    return std::string(reinterpret_cast<const char*>(c.GetBytes()), static_cast<size_t>(c.Size()));
  }
};
