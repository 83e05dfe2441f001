// Loads arbitrary bytes as a state chunk, a preset bank, a program file and a
// bank file. A refused load must leave the plug-in exactly as it was; an
// accepted bank must save back to the same bytes; no parameter may become NaN.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_plug.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "ifx_state_fuzz: %s\n", what);
    abort();
  }
}

void CheckParams(FuzzPlug& plug) {
  for (int i = 0; i < plug.NParams(); ++i)
    Check(!std::isnan(plug.GetParam(i)->Value()), "a parameter became NaN");
}

const std::string& ScratchFile() {
  static const std::string path = [] {
    const char* dir = getenv("TMPDIR");
    std::string p = std::string(dir && *dir ? dir : "/tmp") + "/ifx_state_fuzz_" +
                    std::to_string(getpid()) + ".bin";
    atexit([] { remove(ScratchFile().c_str()); });
    return p;
  }();
  return path;
}

void LoadFromChunk(const uint8_t* data, size_t size) {
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));

  FuzzPlug plug(true);
  std::string before = plug.Snapshot();
  if (plug.UnserializeState(&chunk, 0) < 0)
    Check(plug.Snapshot() == before, "a refused state changed the plug-in");
  CheckParams(plug);

  before = plug.Snapshot();
  if (plug.UnserializePresets(&chunk, 0) < 0) {
    Check(plug.Snapshot() == before, "a refused preset bank changed the plug-in");
    return;
  }
  CheckParams(plug);
  ByteChunk saved, again;
  Check(plug.SerializePresets(&saved), "saving the loaded bank failed");
  FuzzPlug other(true);
  Check(other.UnserializePresets(&saved, 0) == saved.Size(), "a saved bank did not load");
  other.SerializePresets(&again);
  Check(saved.IsEqual(again), "save, load, save changed the bank");
}

void LoadFromFile(const uint8_t* data, size_t size) {
  FILE* fp = fopen(ScratchFile().c_str(), "wb");
  if (!fp) return;
  if (size) fwrite(data, 1, size, fp);
  fclose(fp);
  for (bool chunks : {true, false}) {
    FuzzPlug plug(chunks);
    std::string before = plug.Snapshot();
    if (!plug.LoadProgramFromFXP(ScratchFile().c_str()))
      Check(plug.Snapshot() == before, "a refused program file changed the plug-in");
    CheckParams(plug);
    before = plug.Snapshot();
    if (!plug.LoadBankFromFXB(ScratchFile().c_str()))
      Check(plug.Snapshot() == before, "a refused bank file changed the plug-in");
    CheckParams(plug);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  LoadFromChunk(data, size);
  LoadFromFile(data, size);
  return 0;
}
