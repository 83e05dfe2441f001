#pragma once

// Legendre (optimum-L) designs: the steepest roll-off at the cutoff for a magnitude that falls
// monotonically. |H(jw)|^2 = 1 / (1 + L_n(w^2)), with L_n built from Legendre polynomials by
// integration and L_n(1) = 1, so the cutoff is the -3 dB point. The poles are the left-half-plane
// roots of 1 + L_n(-s^2).
//
// L_n's coefficients alternate in sign and grow to 1e9 by order 16 and 1e15 by order 25 while
// L_n(1) stays 1, so double precision bounds the usable order: up to 16 the response is the
// exact optimum-L one to 1e-6 dB, by 20 the cutoff is 3e-4 dB off, and from 24 the passband
// ripples by a few thousandths.

#include "Layout.h"
#include "PoleFilter.h"
#include "RootFinder.h"

namespace Dsp {
namespace Legendre {

// Computes the coefficients of L_n in powers of w^2 into w(). The arrays come from the concrete
// finder and bound the order.
class PolynomialFinderBase {
public:
  // Writes the coefficients of the Legendre polynomial P_n (index = power of x) into p[0..n].
  void legendre(double* p, int n);

  // Computes w()[0..n] for order n (held within the arrays' order).
  void solve(int n);

  const double* w() const { return m_w; }
  int getMaxOrder() const { return m_maxN; }

protected:
  PolynomialFinderBase()
      : m_maxN(0),
        m_w(nullptr),
        m_a(nullptr),
        m_p(nullptr),
        m_s(nullptr),
        m_v(nullptr),
        m_aa(nullptr),
        m_bb(nullptr) {}
  PolynomialFinderBase(const PolynomialFinderBase&) = delete;
  PolynomialFinderBase& operator=(const PolynomialFinderBase&) = delete;

  int m_maxN;
  double* m_w;   // the result
  double* m_a;   // weights of the Legendre polynomials
  double* m_p;   // one Legendre polynomial
  double* m_s;   // their weighted sum; later the powers of (2x - 1)
  double* m_v;   // the integrand and its integral
  double* m_aa;  // the recursion's P_(i-2)
  double* m_bb;  // the recursion's P_(i-1)
};

template <int maxN>
class PolynomialFinder : public PolynomialFinderBase {
public:
  PolynomialFinder() {
    m_maxN = maxN;
    m_w = m_w0;
    m_a = m_a0;
    m_p = m_p0;
    m_s = m_s0;
    m_v = m_v0;
    m_aa = m_aa0;
    m_bb = m_bb0;
  }

private:
  double m_w0[maxN + 1];
  double m_a0[maxN + 1];
  double m_p0[maxN + 1];
  double m_s0[maxN + 2];
  double m_v0[maxN + 3];
  double m_aa0[maxN + 1];
  double m_bb0[maxN + 1];
};

// Gives a design its polynomial finder and root finder; the caller owns both. The root finder
// needs twice the order's degree.
struct WorkspaceBase {
  WorkspaceBase(PolynomialFinderBase* polyBase, RootFinderBase* rootsBase)
      : poly(*polyBase), roots(*rootsBase) {}
  WorkspaceBase(const WorkspaceBase&) = delete;
  WorkspaceBase& operator=(const WorkspaceBase&) = delete;

  PolynomialFinderBase& poly;
  RootFinderBase& roots;
};

template <int MaxOrder>
struct Workspace : WorkspaceBase {
  Workspace() : WorkspaceBase(&m_poly, &m_roots) {}

private:
  PolynomialFinder<MaxOrder> m_poly;
  RootFinder<MaxOrder * 2> m_roots;
};

class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  // Throws std::logic_error("laguerre failed") when the roots do not converge.
  void design(int numPoles, WorkspaceBase* w);

private:
  int m_numPoles;
};

// setup(order, sampleRate, cutoffFrequency, workspace) for the low and high pass and
// setup(order, sampleRate, centerFrequency, widthFrequency, workspace) for the band pass and
// stop.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;

}  // namespace Legendre
}  // namespace Dsp
