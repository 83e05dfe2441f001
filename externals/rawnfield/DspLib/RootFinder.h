#pragma once

// Finds every complex root of a polynomial with complex coefficients: Laguerre's method with
// deflation, each root polished against the full polynomial, then sorted.

#include "Common.h"

namespace Dsp {

class RootFinderBase {
public:
  // Finds the roots of coef[0..degree] (coef[i] multiplies x^i) into root[0..degree-1].
  // Throws std::logic_error("laguerre failed") when a root does not converge; roots found
  // before that stay in the root array.
  void solve(int degree, bool polish = true, bool doSort = true);

  // The polynomial's value at x.
  complex_t eval(int degree, const complex_t& x);

  complex_t* coef() { return m_a; }
  complex_t* root() { return m_root; }
  int getMaxDegree() const { return m_maxdegree; }

  // Sorts root[0..degree-1] by imaginary part, largest first; equal ones keep their order.
  void sort(int degree);

  // Moves x towards a root of a[0..degree]; its receives the last iteration's number.
  void laguerre(int degree, complex_t a[], complex_t& x, int& its);

protected:
  RootFinderBase() : m_maxdegree(0), m_a(nullptr), m_ad(nullptr), m_root(nullptr) {}
  RootFinderBase(const RootFinderBase&) = delete;
  RootFinderBase& operator=(const RootFinderBase&) = delete;

  int m_maxdegree;
  complex_t* m_a;     // input coefficients
  complex_t* m_ad;    // deflated copy
  complex_t* m_root;  // the roots
};

template <int maxdegree>
class RootFinder : public RootFinderBase {
public:
  RootFinder() {
    m_maxdegree = maxdegree;
    m_a = m_a0;
    m_ad = m_ad0;
    m_root = m_r0;
  }

private:
  complex_t m_a0[maxdegree + 1];
  complex_t m_ad0[maxdegree + 1];
  complex_t m_r0[maxdegree];
};

}  // namespace Dsp
