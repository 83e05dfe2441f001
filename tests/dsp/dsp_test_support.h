#pragma once

// Helpers shared by the filter library's tests.

#include <gtest/gtest.h>

#include <cmath>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "DspLib/Dsp.h"

namespace dsptest {

inline double mag(const Dsp::complex_t& h) {
  return std::hypot(h.real(), h.imag());
}

// A parameter block from its leading values; the rest stay 0.
inline Dsp::Params block(std::vector<double> values) {
  Dsp::Params p;
  for (size_t i = 0; i < values.size(); ++i) p[i] = values[i];
  return p;
}

// Every pole strictly inside the unit circle and every zero finite; false for no sections.
inline bool stable(const std::vector<Dsp::PoleZeroPair>& pz) {
  if (pz.empty()) return false;
  for (const Dsp::PoleZeroPair& p : pz) {
    if (!(std::abs(p.poles.first) < 1) || !(std::abs(p.poles.second) < 1)) return false;
    if (!std::isfinite(std::abs(p.zeros.first))) return false;
  }
  return true;
}

template <class Design>
std::shared_ptr<Dsp::Filter> make() {
  return std::make_shared<Dsp::SmoothedFilterDesign<Design, 2, Dsp::DirectFormII>>(512);
}

// A filter's expected magnitude at one frequency for one parameter block.
struct Level {
  const char* what;
  std::shared_ptr<Dsp::Filter> filter;
  Dsp::Params params;
  double frequency;  // cycles per sample
  double magnitude;
};

// Each row's magnitude to a relative 1e-3; the designs stable.
inline void expectLevels(const std::vector<Level>& table) {
  for (const Level& l : table) {
    l.filter->setParams(l.params);
    EXPECT_NEAR(mag(l.filter->response(l.frequency)), l.magnitude, 1e-3 * l.magnitude) << l.what;
    EXPECT_TRUE(stable(l.filter->getPoleZeros())) << l.what;
  }
}

// The next word of a reference table, passing over '#' comment lines; false at the end.
inline bool readWord(std::istream& in, std::string& word) {
  while (in >> word) {
    if (word[0] != '#') return true;
    std::getline(in, word);
  }
  return false;
}

}  // namespace dsptest
