#include "RootFinder.h"

#include <cmath>
#include <stdexcept>

namespace Dsp {

namespace {

double cabs(const complex_t& c) {
  return std::hypot(c.real(), c.imag());
}

}  // namespace

void RootFinderBase::solve(int degree, bool polish, bool doSort) {
  if (degree < 0) return;
  // The arrays hold maxdegree roots; never write past them.
  if (degree > m_maxdegree) degree = m_maxdegree;

  for (int j = 0; j <= degree; ++j) m_ad[j] = m_a[j];

  for (int j = degree; j >= 1; --j) {
    complex_t x(0, 0);
    int its;
    laguerre(j, m_ad, x, its);

    if (std::fabs(x.imag()) <= 2e-30 * std::fabs(x.real())) x = complex_t(x.real(), 0);
    m_root[j - 1] = x;

    // Deflate by synthetic division; the remainder is dropped.
    complex_t b = m_ad[j];
    for (int k = j - 1; k >= 0; --k) {
      const complex_t c = m_ad[k];
      m_ad[k] = b;
      b = x * b + c;
    }
  }

  if (polish && degree > 0) {
    for (int j = 0; j < degree; ++j) {
      int its;
      laguerre(degree, m_a, m_root[j], its);
    }
  }

  if (doSort && degree >= 2) sort(degree);
}

void RootFinderBase::laguerre(int degree, complex_t a[], complex_t& x, int& its) {
  const int MR = 8;
  const int MT = 10;
  const int MAXIT = MT * MR;
  const double EPS = 2.220446049250313e-16;
  static const double frac[MR + 1] = {0.0, 0.5, 0.25, 0.75, 0.13, 0.38, 0.62, 0.88, 1.0};

  const int m = degree;
  for (int iter = 1; iter <= MAXIT; ++iter) {
    its = iter;
    complex_t b = a[m];
    double err = cabs(b);
    complex_t d(0, 0);
    complex_t f(0, 0);
    const double abx = cabs(x);
    for (int j = m - 1; j >= 0; --j) {
      f = x * f + d;
      d = x * d + b;
      b = x * b + a[j];
      err = cabs(b) + abx * err;
    }
    err *= EPS;
    if (cabs(b) <= err) return;  // a root to working precision

    const complex_t g = d / b;
    const complex_t g2 = g * g;
    const complex_t h = g2 - 2. * f / b;
    const complex_t sq = std::sqrt(static_cast<double>(m - 1) * (static_cast<double>(m) * h - g2));
    complex_t gp = g + sq;
    const complex_t gm = g - sq;
    const double abp = cabs(gp);
    const double abm = cabs(gm);
    if (abp < abm) gp = gm;

    complex_t dx;
    if ((abp > abm ? abp : abm) > 0.)
      dx = complex_t(static_cast<double>(m), 0) / gp;
    else
      dx = complex_t((1 + abx) * std::cos(static_cast<double>(iter)),
                     (1 + abx) * std::sin(static_cast<double>(iter)));

    const complex_t x1 = x - dx;
    if (x == x1) return;

    if (iter % MT != 0)
      x = x1;
    else
      x -= frac[iter / MT] * dx;  // an occasional fractional step breaks limit cycles
  }

  throw std::logic_error("laguerre failed");
}

void RootFinderBase::sort(int degree) {
  for (int j = 1; j < degree; ++j) {
    const complex_t x = m_root[j];
    int i;
    for (i = j - 1; i >= 0; --i) {
      if (m_root[i].imag() >= x.imag()) break;
      m_root[i + 1] = m_root[i];
    }
    m_root[i + 1] = x;
  }
}

complex_t RootFinderBase::eval(int degree, const complex_t& x) {
  complex_t y(0, 0);
  if (x != 0.) {
    for (int i = 0; i <= degree; ++i) y += m_a[i] * std::exp(static_cast<double>(i) * std::log(x));
  } else {
    y = m_a[0];
  }
  return y;
}

}  // namespace Dsp
