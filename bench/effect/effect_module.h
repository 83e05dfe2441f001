#pragma once

// A whole effect behind a plain C interface, built as a loadable module so
// that one benchmark process can hold two builds of the effect (today's and
// an older one) side by side. Every symbol but these stays inside the module.
extern "C" {

struct HbBenchEffect;

// A prepared effect: sample rate, largest block and Reset done.
HbBenchEffect* hbBenchCreate(double sampleRate, int blockFrames);
// What hbBenchProgram switches on beside the program as stored.
enum HbBenchStages {
  kHbAsStored = 0,
  // The stages the program leaves off, and oversampling with them.
  kHbEveryStage = 1,
  // Only oversampling.
  kHbOversampled = 2,
};
// Loads factory program `program` with `stages` (an HbBenchStages) and
// starts the stream. Call once, before the first block.
void hbBenchProgram(HbBenchEffect* e, int program, int stages);
// Sets one parameter as the editor would (normalised value).
void hbBenchParameter(HbBenchEffect* e, int tag, double value);
void hbBenchProcess(HbBenchEffect* e, double** in, double** out, int frames);
void hbBenchDestroy(HbBenchEffect* e);
int hbBenchProgramCount();

}  // extern "C"
