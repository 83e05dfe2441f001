#include "effect_module.h"

#include <utility>

#include "Harshbloom.h"

namespace Tags = Rawnfield::Harshbloom;

struct HbBenchEffect {
  Harshbloom* plug;
};

namespace {

void switchOnEveryStage(Harshbloom* plug) {
  // What program 37 leaves off (it has distortion, bit crusher, filter,
  // equaliser, sub-band processor, output saturation and limiter).
  const std::pair<int, double> on[] = {
      {Tags::kOversampling, 1.0}, {Tags::kDynShaper, 0.5},        {Tags::kSampleRate, 0.8},
      {Tags::kGate, 0.1},         {Tags::kFilterInputDrive, 0.4}, {Tags::kSubBandSaturation, 0.3},
      {Tags::kDumpExpand, 0.3},
  };
  for (const auto& p : on) plug->SetParameterFromGUI(p.first, p.second);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HbBenchEffect* hbBenchCreate(double sampleRate,
                                                                    int blockFrames) {
  Harshbloom* plug = MakePlug(nullptr, nullptr);
  plug->SetSampleRate(sampleRate);
  plug->SetBlockSize(blockFrames);
  plug->Reset();
  return new HbBenchEffect{plug};
}

__attribute__((visibility("default"))) void hbBenchProgram(HbBenchEffect* e, int program,
                                                           int stages) {
  // Loaded before the stream starts, as a host does on opening: a preset
  // change while blocks run would first settle the chain on silence.
  e->plug->RestorePreset(program);
  if (stages == kHbEveryStage) switchOnEveryStage(e->plug);
  if (stages == kHbOversampled) e->plug->SetParameterFromGUI(Tags::kOversampling, 1.0);
  e->plug->OnActivate(true);
}

__attribute__((visibility("default"))) void hbBenchParameter(HbBenchEffect* e, int tag,
                                                             double value) {
  e->plug->SetParameterFromGUI(tag, value);
}

__attribute__((visibility("default"))) void hbBenchProcess(HbBenchEffect* e, double** in,
                                                           double** out, int frames) {
  e->plug->ProcessDoubleReplacing(in, out, frames);
}

__attribute__((visibility("default"))) void hbBenchDestroy(HbBenchEffect* e) {
  delete e->plug;
  delete e;
}

__attribute__((visibility("default"))) int hbBenchProgramCount() {
  HbBenchEffect* e = hbBenchCreate(48000.0, 64);
  const int n = e->plug->NPresets();
  hbBenchDestroy(e);
  return n;
}

}  // extern "C"
