#pragma once

// A whole effect behind a plain C interface, built as a loadable module so
// that one benchmark process can hold two builds of the effect (today's and
// an older one) side by side. Every symbol but these stays inside the module.
extern "C" {

struct HbBenchEffect;

// A prepared effect: sample rate, largest block and Reset done.
HbBenchEffect* hbBenchCreate(double sampleRate, int blockFrames);
// Loads factory program `program` and starts the stream; with `everyStage`
// the stages it leaves off are switched on too, and oversampling with them.
// Call once, before the first block.
void hbBenchProgram(HbBenchEffect* e, int program, int everyStage);
// Sets one parameter as the editor would (normalised value).
void hbBenchParameter(HbBenchEffect* e, int tag, double value);
void hbBenchProcess(HbBenchEffect* e, double** in, double** out, int frames);
void hbBenchDestroy(HbBenchEffect* e);
int hbBenchProgramCount();

}  // extern "C"
