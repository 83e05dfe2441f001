#include "Legendre.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Dsp {
namespace Legendre {

namespace {

const double kSqrt2 = 1.4142135623730951;

}  // namespace

void PolynomialFinderBase::legendre(double* p, int n) {
  if (n == 0) {
    p[0] = 1;
    return;
  }
  if (n == 1) {
    p[0] = 0;
    p[1] = 1;
    return;
  }
  p[0] = -0.5;
  p[1] = 0;
  p[2] = 1.5;
  if (n == 2) return;

  for (int i = 0; i <= n; ++i) m_aa[i] = m_bb[i] = 0;
  m_bb[1] = 1;

  // i P_i = (2i - 1) x P_(i-1) - (i - 1) P_(i-2)
  for (int i = 3; i <= n; ++i) {
    for (int j = 0; j <= i; ++j) {
      m_aa[j] = m_bb[j];
      m_bb[j] = p[j];
      p[j] = 0;
    }
    for (int j = i - 2; j >= 0; j -= 2) p[j] -= (i - 1) * m_aa[j] / i;
    for (int j = i - 1; j >= 0; j -= 2) p[j + 1] += (2 * i - 1) * m_bb[j] / i;
  }
}

void PolynomialFinderBase::solve(int n) {
  if (n > m_maxN) n = m_maxN;
  if (n < 1) {
    if (n == 0) m_w[0] = 0;
    return;
  }
  const int k = (n - 1) / 2;

  // Weights of P_0..P_k in the integrand, chosen so that L_n(1) = 1.
  for (int i = 0; i <= n; ++i) m_a[i] = 0;
  if (n & 1) {
    for (int i = 0; i <= k; ++i) m_a[i] = (2 * i + 1) / (kSqrt2 * (k + 1));
  } else {
    const double d = std::sqrt((k + 1) * (k + 2.));
    for (int i = k & 1; i <= k; i += 2) m_a[i] = (2 * i + 1) / d;
  }

  // s = sum of a_i P_i
  for (int i = 0; i <= n + 1; ++i) m_s[i] = 0;
  for (int i = 0; i <= n; ++i) m_w[i] = 0;
  m_s[0] = m_a[0];
  m_s[1] = m_a[1];
  for (int i = 2; i <= k; ++i) {
    legendre(m_p, i);
    for (int j = 0; j <= i; ++j) m_s[j] += m_a[i] * m_p[j];
  }

  // v = s^2, times (x + 1) for an even order
  for (int i = 0; i <= n + 2; ++i) m_v[i] = 0;
  for (int i = 0; i <= k; ++i)
    for (int j = 0; j <= k; ++j) m_v[i + j] += m_s[i] * m_s[j];
  m_v[2 * k + 1] = 0;
  if (!(n & 1))
    for (int i = n; i >= 0; --i) m_v[i + 1] += m_v[i];

  // Integrate.
  for (int i = n + 1; i >= 0; --i) m_v[i + 1] = m_v[i] / (i + 1);
  m_v[0] = 0;

  // Substitute x = 2 w^2 - 1; dropping each constant term makes the integral start at x = -1.
  for (int i = 0; i <= n + 1; ++i) m_s[i] = 0;
  m_s[0] = -1;
  m_s[1] = 2;
  for (int i = 1; i <= n; ++i) {
    if (i > 1) {
      // s *= (2x - 1)
      double c0 = -m_s[0];
      for (int j = 1; j <= i; ++j) {
        const double c1 = -m_s[j] + 2 * m_s[j - 1];
        m_s[j - 1] = c0;
        c0 = c1;
      }
      const double c1 = 2 * m_s[i];
      m_s[i] = c0;
      m_s[i + 1] = c1;
    }
    for (int j = i; j >= 1; --j) m_w[j] += m_v[i] * m_s[j];
  }

  // An even order's integrand vanishes at x = -1: no w^2 term.
  if (!(n & 1)) m_w[1] = 0;
}

AnalogLowPass::AnalogLowPass() : m_numPoles(-1) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles, WorkspaceBase* w) {
  if (m_numPoles == numPoles) return;
  // As with Bessel: a failed solve must not leave a cached empty layout.
  m_numPoles = -1;
  reset();

  // The workspace's arrays bound the order.
  RootFinderBase& solver(w->roots);
  int n = std::min(numPoles, std::min(w->poly.getMaxOrder(), solver.getMaxDegree() / 2));
  if (n < 1) n = 1;

  w->poly.solve(n);
  const double* l = w->poly.w();

  // 1 + L_n(-s^2), a polynomial of degree 2n in s.
  complex_t* c = solver.coef();
  c[0] = 1 + l[0];
  for (int i = 1; i <= n; ++i) {
    c[2 * i] = (i & 1) ? -l[i] : l[i];
    c[2 * i - 1] = 0;
  }
  solver.solve(2 * n);

  // The left-half-plane roots are the poles: move them to the front in their order (without
  // the buffer a library partition might allocate), then sort those again.
  complex_t* roots = solver.root();
  int left = 0;
  for (int i = 0; i < 2 * n; ++i) {
    if (roots[i].real() <= 0) std::swap(roots[left++], roots[i]);
  }
  solver.sort(n);
  m_numPoles = numPoles;

  const int pairs = n / 2;
  for (int i = 0; i < pairs; ++i) addConjugatePairs(roots[i], infinity());
  if (n & 1) addSingle(roots[pairs].real(), infinity());
}

}  // namespace Legendre
}  // namespace Dsp
