#pragma once

#include <vector>

namespace SpeedScenarios {

constexpr int kFactoryRunBlock = 64;
constexpr int kFactoryRunBlocks = 8;

// Every factory program in turn through one effect at 48 kHz in blocks of
// 64 frames (a reset between programs): eight blocks of the test signal
// each, the output frames as interleaved left/right values, program after
// program.
std::vector<double> factoryRuns();

}  // namespace SpeedScenarios
