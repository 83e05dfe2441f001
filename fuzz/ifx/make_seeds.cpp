// Writes the seed corpus of ifx_state_fuzz: program and bank files of both
// kinds from the fuzz plug-in, raw chunks, and a few damaged variants.
//   ifx_make_seeds <folder>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_plug.h"

namespace {

std::string gDir;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream out(gDir + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SetBE32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

std::string Bytes(const ByteChunk& c) {
  return std::string(reinterpret_cast<const char*>(c.GetBytes()), static_cast<size_t>(c.Size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 1;
  }
  gDir = argv[1];
  const std::string tmp = gDir + "/.tmp";

  for (bool chunks : {true, false}) {
    FuzzPlug plug(chunks);
    plug.ModifyCurrentPreset("a program name of 28+ chars!!");
    const std::string kind = chunks ? "chunk" : "param";
    plug.SaveProgramAsFXP(tmp.c_str());
    const std::string prog = Read(tmp);
    plug.SaveBankAsFXB(tmp.c_str());
    const std::string bank = Read(tmp);
    Write(kind + "_program.fxp", prog);
    Write(kind + "_bank.fxb", bank);
    Write(kind + "_program_cut.fxp", prog.substr(0, prog.size() - 3));
    Write(kind + "_bank_cut.fxb", bank.substr(0, bank.size() / 2));

    std::string otherID = prog;
    SetBE32(&otherID, 16, 0x12345678);
    Write(kind + "_program_other_id.fxp", otherID);
    std::string moreProgs = bank;
    SetBE32(&moreProgs, 24, 7);
    Write(kind + "_bank_count.fxb", moreProgs);
  }

  FuzzPlug plug(true);
  plug.SaveProgramAsFXP(tmp.c_str());
  std::string prog = Read(tmp);
  std::string lying = prog;
  SetBE32(&lying, 56, 0x7fffffff);
  Write("chunk_program_length.fxp", lying);
  std::string bare = prog.substr(0, 60) + prog.substr(68);
  SetBE32(&bare, 56, static_cast<uint32_t>(bare.size() - 60));
  Write("chunk_program_no_head.fxp", bare);
  std::string nan = prog;
  const double q = std::nan("");
  memcpy(&nan[68 + 16], &q, 8);
  Write("chunk_program_nan.fxp", nan);

  FuzzPlug params(false);
  params.SaveProgramAsFXP(tmp.c_str());
  std::string nanf = Read(tmp);
  memcpy(&nanf[56 + 8], "\x7f\xc0\x00\x00", 4);
  Write("param_program_nan.fxp", nanf);

  ByteChunk state, presets;
  plug.SerializeState(&state);
  plug.SerializePresets(&presets);
  Write("raw_state.bin", Bytes(state));
  Write("raw_presets.bin", Bytes(presets));
  Write("raw_presets_cut.bin", Bytes(presets).substr(0, 20));
  std::string flag = Bytes(presets);
  flag[4 + 3] = 2;  // the first preset's flag, after "one"
  Write("raw_presets_flag.bin", flag);
  std::string longName = Bytes(presets);
  longName.replace(0, 4, std::string("\x2c\x01\0\0", 4));  // 300, more than the data holds
  Write("raw_presets_name_length.bin", longName);
  Write("empty.bin", "");

  remove(tmp.c_str());
  return 0;
}
