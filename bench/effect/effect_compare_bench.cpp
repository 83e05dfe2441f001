// The whole effect's speed, as the real-time factor (seconds of audio per
// second of CPU time, the "rt_factor" counter), for one or two builds of it
// in the same process: today's (`new`, the effect_module built beside this
// program) and, when HB_BENCH_REFERENCE names another build's effect_module
// (see reference/build_reference.sh), that one as `old`; HB_BENCH_MODULE
// names another module to take as `new`. Each case runs
// old then new, so both see the same machine; add
// --benchmark_enable_random_interleaving=true --benchmark_repetitions=N
// to interleave the repetitions as well.
//
// Cases, at 48 kHz on a stereo signal of two tones:
//   EveryStage/<frames>    program 37 with every stage it leaves off on,
//                          oversampled, at blocks of 16, 64 and 512 frames;
//   Program/<p>            each factory program as stored, blocks of 64;
//   ProgramOversampled/<p> the same with oversampling switched on.
//
// With --check (and a reference) it runs no benchmark but both builds over
// every program (as stored and oversampled), the every-stage case, and
// settings that change mid-run, and prints the largest difference between
// them (relative above 1).
// With --blocks=N it runs N blocks of 64 frames of the every-stage case on
// each build and nothing else, for counting instructions:
//   valgrind --tool=callgrind --toggle-collect=hbBenchProcess
//            build-release/bench/effect/effect_compare_bench --blocks=2000
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effect_module.h"
#include "programs/ParameterTags.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kSignalFrames = 48000;

struct Build {
  std::string name;
  decltype(&hbBenchCreate) create;
  decltype(&hbBenchProgram) program;
  decltype(&hbBenchParameter) parameter;
  decltype(&hbBenchProcess) process;
  decltype(&hbBenchDestroy) destroy;
  decltype(&hbBenchProgramCount) programCount;
};

bool load(const char* path, const char* name, Build& b) {
  // Local and deep binding: each module keeps to its own copy of the effect.
  void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
  if (!h) {
    std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
    return false;
  }
  b.name = name;
  b.create = reinterpret_cast<decltype(b.create)>(dlsym(h, "hbBenchCreate"));
  b.program = reinterpret_cast<decltype(b.program)>(dlsym(h, "hbBenchProgram"));
  b.parameter = reinterpret_cast<decltype(b.parameter)>(dlsym(h, "hbBenchParameter"));
  b.process = reinterpret_cast<decltype(b.process)>(dlsym(h, "hbBenchProcess"));
  b.destroy = reinterpret_cast<decltype(b.destroy)>(dlsym(h, "hbBenchDestroy"));
  b.programCount = reinterpret_cast<decltype(b.programCount)>(dlsym(h, "hbBenchProgramCount"));
  if (!b.create || !b.program || !b.parameter || !b.process || !b.destroy || !b.programCount) {
    std::fprintf(stderr, "%s lacks the benchmark interface\n", path);
    return false;
  }
  return true;
}

// Two tones, as the older effect benchmark plays them.
struct Signal {
  Signal() : left(kSignalFrames), right(kSignalFrames) {
    for (int i = 0; i < kSignalFrames; ++i) {
      const double t = i / kRate;
      left[i] = 0.7 * std::sin(2.0 * 3.141592653589793 * 110.0 * t);
      right[i] = 0.5 * std::sin(2.0 * 3.141592653589793 * 165.0 * t);
    }
  }
  std::vector<double> left, right;
};

const Signal& signal() {
  static const Signal s;
  return s;
}

void run(benchmark::State& state, const Build* b, int program, int stages, int frames) {
  HbBenchEffect* e = b->create(kRate, frames);
  b->program(e, program, stages);
  const Signal& sig = signal();
  std::vector<double> outL(frames), outR(frames);
  double* out[2] = {outL.data(), outR.data()};
  int at = 0;
  for (auto _ : state) {
    if (at + frames > kSignalFrames) at = 0;
    double* in[2] = {const_cast<double*>(sig.left.data()) + at,
                     const_cast<double*>(sig.right.data()) + at};
    b->process(e, in, out, frames);
    benchmark::ClobberMemory();
    at += frames;
  }
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * frames / kRate, benchmark::Counter::kIsRate);
  b->destroy(e);
}

// Largest difference between the two builds' outputs, relative above 1;
// non-finite values must sit in the same places.
struct Difference {
  void add(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
      if (std::memcmp(&a, &b, sizeof a) != 0) worst = INFINITY;
      return;
    }
    const double scale = std::max(1.0, std::fabs(a));
    worst = std::max(worst, std::fabs(a - b) / scale);
  }
  double worst = 0.0;
};

// One run of both builds: `change` may set parameters before block k.
template <class Change>
double compare(const Build& a, const Build& b, int program, int stages, int frames, int blocks,
               Change change) {
  HbBenchEffect* ea = a.create(kRate, frames);
  HbBenchEffect* eb = b.create(kRate, frames);
  a.program(ea, program, stages);
  b.program(eb, program, stages);
  const Signal& sig = signal();
  std::vector<double> la(frames), ra(frames), lb(frames), rb(frames);
  double* oa[2] = {la.data(), ra.data()};
  double* ob[2] = {lb.data(), rb.data()};
  Difference d;
  int at = 0;
  for (int k = 0; k < blocks; ++k) {
    change(k, [&](int tag, double v) {
      a.parameter(ea, tag, v);
      b.parameter(eb, tag, v);
    });
    if (at + frames > kSignalFrames) at = 0;
    // Louder stretches too, so that the stages clip.
    std::vector<double> il(frames), ir(frames);
    const double level = 1.0 + 3.0 * ((k / 50) % 2);
    for (int i = 0; i < frames; ++i) {
      il[i] = level * sig.left[at + i];
      ir[i] = level * sig.right[at + i];
    }
    double* in[2] = {il.data(), ir.data()};
    a.process(ea, in, oa, frames);
    b.process(eb, in, ob, frames);
    for (int i = 0; i < frames; ++i) {
      d.add(la[i], lb[i]);
      d.add(ra[i], rb[i]);
    }
    at += frames;
  }
  a.destroy(ea);
  b.destroy(eb);
  return d.worst;
}

void runBlocks(const Build& b, int blocks) {
  HbBenchEffect* e = b.create(kRate, 64);
  b.program(e, 37, kHbEveryStage);
  const Signal& sig = signal();
  std::vector<double> outL(64), outR(64);
  double* out[2] = {outL.data(), outR.data()};
  for (int k = 0, at = 0; k<blocks; ++k, at = at + 128> kSignalFrames ? 0 : at + 64) {
    double* in[2] = {const_cast<double*>(sig.left.data()) + at,
                     const_cast<double*>(sig.right.data()) + at};
    b.process(e, in, out, 64);
  }
  b.destroy(e);
}

int check(const Build& a, const Build& b) {
  namespace Tags = Rawnfield::Harshbloom;
  const auto none = [](int, auto) {};
  double worst = 0.0;
  const int programs = a.programCount();
  for (int p = 0; p < programs; ++p) {
    const double d = compare(a, b, p, kHbAsStored, 64, 400, none);
    const double o = compare(a, b, p, kHbOversampled, 64, 400, none);
    worst = std::max(worst, std::max(d, o));
    std::printf("program %2d: %.3g, oversampled: %.3g\n", p, d, o);
  }
  for (int frames : {16, 64, 512}) {
    const double d = compare(a, b, 37, kHbEveryStage, frames, 25600 / frames, none);
    worst = std::max(worst, d);
    std::printf("every stage, %d frames: %.3g\n", frames, d);
  }
  // Settings of the oversampled stages moving between blocks, and
  // oversampling switched.
  for (int p : {0, 37, 74}) {
    const double d = compare(a, b, p, kHbAsStored, 64, 600, [](int k, auto set) {
      if (k % 40 == 10) set(Tags::kSaturation, (k / 40) % 3 == 0 ? 0.0 : 0.1 * (k % 7));
      if (k % 90 == 45) set(Tags::kLimiterMode, (k / 90) % 2 ? 0.0 : 1.0);
      if (k % 150 == 149) set(Tags::kOversampling, (k / 150) % 2 ? 1.0 : 0.0);
      if (k % 70 == 20) set(Tags::kSaturationMode, 0.25 * ((k / 70) % 5));
    });
    worst = std::max(worst, d);
    std::printf("program %d, settings moving: %.3g\n", p, d);
  }
  std::printf("largest difference: %.3g\n", worst);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Build> builds;
  Build b;
  if (const char* ref = std::getenv("HB_BENCH_REFERENCE")) {
    if (!load(ref, "old", b)) return 1;
    builds.push_back(b);
  }
  const char* own = std::getenv("HB_BENCH_MODULE");
  if (!load(own ? own : HB_EFFECT_MODULE, "new", b)) return 1;
  builds.push_back(b);

  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      if (builds.size() < 2) {
        std::fprintf(stderr, "--check needs HB_BENCH_REFERENCE\n");
        return 1;
      }
      return check(builds[0], builds[1]);
    }
    if (std::strncmp(argv[i], "--blocks=", 9) == 0) {
      for (const Build& build : builds) runBlocks(build, std::atoi(argv[i] + 9));
      return 0;
    }
  }

  for (int frames : {16, 64, 512})
    for (const Build& build : builds)
      benchmark::RegisterBenchmark(
          ("EveryStage/" + std::to_string(frames) + "/" + build.name).c_str(),
          [&build, frames](benchmark::State& s) { run(s, &build, 37, kHbEveryStage, frames); });
  const int programs = builds.back().programCount();
  for (int p = 0; p < programs; ++p)
    for (const Build& build : builds)
      benchmark::RegisterBenchmark(
          ("Program/" + std::to_string(p) + "/" + build.name).c_str(),
          [&build, p](benchmark::State& s) { run(s, &build, p, kHbAsStored, 64); });
  for (int p = 0; p < programs; ++p)
    for (const Build& build : builds)
      benchmark::RegisterBenchmark(
          ("ProgramOversampled/" + std::to_string(p) + "/" + build.name).c_str(),
          [&build, p](benchmark::State& s) { run(s, &build, p, kHbOversampled, 64); });

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
