// Writes the seed corpus of the program file fuzz target into the folder
// given as the only argument: saved factory programs with their
// configuration section, and files of each kind of damage the reader meets.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "Distortion.h"
#include "DistortionDataProvider.h"
#include "PlugConfig.h"
#include "programs/HarshbloomProgram.h"

using Rawnfield::HarshbloomProgram;
using Rawnfield::PlugConfig;
namespace H = Rawnfield::Harshbloom;

namespace {

std::string folder;

std::string path(const std::string& name) {
  return folder + "/" + name;
}

std::string readAll(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& name, const std::string& text) {
  std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
  out << text;
}

std::string saved(const HarshbloomProgram& p, const std::string& curve, const PlugConfig& c) {
  const std::string tmp = path("tmp.txt");
  p.saveProgram(tmp, curve);
  c.saveConfig(tmp);
  const std::string text = readAll(tmp);
  remove(tmp.c_str());
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 1;
  }
  folder = argv[1];
  Rawnfield::DistortionDataProvider provider;
  Rawnfield::Distortion unit(provider);
  unit.init();
  unit.setType(20 / 42.0);
  const std::string curve = unit.getLutDataString();
  const auto list = HarshbloomProgram::getFactoryPrograms();
  PlugConfig config(1, 1, 0, 5302);
  config.setScopeZoom(230);
  config.setVisibleTab(1);

  for (int n : {0, 43, 89}) writeAll("factory_" + std::to_string(n) + ".txt", saved(list[n], curve, config));

  std::string crlf;
  for (char c : saved(list[12], curve, config)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  writeAll("crlf.txt", crlf);

  const std::string whole = saved(list[11], "0.1,0.2", config);
  writeAll("truncated.txt", whole.substr(0, whole.size() / 2));

  HarshbloomProgram top = list[20];
  top.setParameterValue(H::kDistortionType, 1.0);
  top.setProgramName("0123456789012345678901234567890123456789");
  writeAll("type_top_long_name.txt", saved(top, "0.5", config));

  writeAll("odd_lines.txt",
           "[Harshbloom_Program]\n\nName = Lost;\nInputVolume= 0.3;\nGate = nan;\nHqFilter = nan;\n"
           "Pan = 7;\nDryWet = -1;\nFilterMode1 = ;\nFilterMode2 = LP 24dB;\nDistortionType = Fuzz-Drive;\n"
           "Quantization = 0.5junk\nA = 1;\nReserved_03 = 0.5;\nDistortionCurveData = ;\n"
           "[Harshbloom_Config]\nGate = 0.9;\nUiConfig.ScopeZoom = 250\nUiConfig.VisibleTab = 9;\r\n"
           "Config.LastSelectedProgramFile = /no/such/file;\nUiConfig.ScopeDrawMode = nan;\n");
  writeAll("empty.txt", "");
  std::string binary;
  for (int i = 0; i < 512; ++i) binary += static_cast<char>((i * 7919 + 13) & 0xFF);
  writeAll("binary.bin", binary);
  return 0;
}
