#pragma once

// Pole/zero lists: the analog prototypes and the digital layouts built from them.

#include "Common.h"

namespace Dsp {

struct RootPair {
  RootPair() {}
  RootPair(const complex_t& f, const complex_t& s) : first(f), second(s) {}

  complex_t first;
  complex_t second;
};

// The poles and zeros of one second-order section. A pair whose second pole and second zero
// are both exactly 0 stands for a single real pole with a single zero.
struct PoleZeroPair {
  PoleZeroPair() {}
  PoleZeroPair(const complex_t& p1, const complex_t& z1, const complex_t& p2, const complex_t& z2)
      : poles(p1, p2), zeros(z1, z2) {}

  bool isSinglePole() const {
    return poles.second == complex_t(0, 0) && zeros.second == complex_t(0, 0);
  }

  RootPair poles;
  RootPair zeros;
};

// A list of pole/zero pairs in caller-owned storage, with the frequency (radians per sample)
// and gain at which a cascade built from it is normalised.
class LayoutBase {
public:
  LayoutBase() : m_numPoles(0), m_maxPoles(0), m_pairs(nullptr), m_normalW(0), m_normalGain(1) {}
  LayoutBase(int maxPoles, PoleZeroPair* pairs)
      : m_numPoles(0), m_maxPoles(maxPoles), m_pairs(pairs), m_normalW(0), m_normalGain(1) {}

  // Attaches storage for maxPoles poles ((maxPoles + 1) / 2 pairs) and empties the list.
  void setStorage(int maxPoles, PoleZeroPair* pairs) {
    m_numPoles = 0;
    m_maxPoles = maxPoles;
    m_pairs = pairs;
  }

  void reset() { m_numPoles = 0; }
  int getNumPoles() const { return m_numPoles; }
  int getMaxPoles() const { return m_maxPoles; }

  // Entries beyond the attached storage are dropped rather than written past its end.
  void addConjugatePairs(const complex_t& pole, const complex_t& zero) {
    if (m_numPoles + 2 > m_maxPoles) return;
    m_pairs[m_numPoles / 2] = PoleZeroPair(pole, zero, std::conj(pole), std::conj(zero));
    m_numPoles += 2;
  }

  void addSingle(const complex_t& pole, const complex_t& zero) {
    if (m_numPoles + 1 > m_maxPoles) return;
    m_pairs[m_numPoles / 2] = PoleZeroPair(pole, zero, complex_t(0, 0), complex_t(0, 0));
    m_numPoles += 1;
  }

  void addPairs(const RootPair& poles, const RootPair& zeros) {
    if (m_numPoles + 2 > m_maxPoles) return;
    m_pairs[m_numPoles / 2] = PoleZeroPair(poles.first, zeros.first, poles.second, zeros.second);
    m_numPoles += 2;
  }

  void setNormal(double w, double gain) {
    m_normalW = w;
    m_normalGain = gain;
  }
  double getNormalW() const { return m_normalW; }
  double getNormalGain() const { return m_normalGain; }

  const PoleZeroPair& operator[](int pairIndex) const { return m_pairs[pairIndex]; }

private:
  int m_numPoles;
  int m_maxPoles;
  PoleZeroPair* m_pairs;
  double m_normalW;
  double m_normalGain;
};

}  // namespace Dsp
