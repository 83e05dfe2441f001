#include "factory_runs.h"

#include <memory>

#include "Harshbloom.h"
#include "scenarios.h"

namespace SpeedScenarios {

std::vector<double> factoryRuns() {
  std::unique_ptr<Harshbloom> plug(MakePlug(nullptr, nullptr));
  plug->SetSampleRate(48000.0);
  plug->SetBlockSize(kFactoryRunBlock);
  constexpr int n = kFactoryRunBlock * kFactoryRunBlocks;
  std::vector<double> values;
  for (int p = 0; p < plug->NPresets(); ++p) {
    plug->RestorePreset(p);
    plug->Reset();
    std::vector<double> left = signal(n, p, 1.0), right = signal(n, p + 100, 0.8);
    std::vector<double> outL(n), outR(n);
    for (int b = 0; b < kFactoryRunBlocks; ++b) {
      double* in[2] = {left.data() + b * kFactoryRunBlock, right.data() + b * kFactoryRunBlock};
      double* out[2] = {outL.data() + b * kFactoryRunBlock, outR.data() + b * kFactoryRunBlock};
      plug->LockMutexAndProcessDoubleReplacing(in, out, kFactoryRunBlock);
    }
    for (int i = 0; i < n; ++i) {
      values.push_back(outL[i]);
      values.push_back(outR[i]);
    }
  }
  return values;
}

}  // namespace SpeedScenarios
