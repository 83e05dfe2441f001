#include "Bessel.h"

#include <cmath>

namespace Dsp {
namespace Bessel {

namespace {

double factorial(int n) {
  double y = 1.0;
  for (double i = n; i > 1; i -= 1) y *= i;
  return y;
}

// Writes c(0)..c(n) into the finder's coefficients and solves for the n roots.
void solveReverseBessel(RootFinderBase& solver, int n) {
  for (int k = 0; k <= n; ++k) solver.coef()[k] = reverseBesselCoefficient(n, k);
  solver.solve(n);
}

// The root arrays bound the order a design can solve for.
int limitOrder(int numPoles, int maxDegree) {
  return numPoles > maxDegree ? maxDegree : numPoles;
}

}  // namespace

double reverseBesselCoefficient(int n, int k) {
  return factorial(2 * n - k) / (std::ldexp(1.0, n - k) * factorial(k) * factorial(n - k));
}

AnalogLowPass::AnalogLowPass() : m_numPoles(-1) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles, WorkspaceBase* w) {
  if (m_numPoles == numPoles) return;
  // Until the roots are in, the cached order means nothing: a failed solve must not leave
  // an empty layout that a later setup with the same order would reuse.
  m_numPoles = -1;
  reset();

  RootFinderBase& solver(w->roots);
  const int n = limitOrder(numPoles, solver.getMaxDegree());
  solveReverseBessel(solver, n);
  m_numPoles = numPoles;

  const int pairs = n / 2;
  for (int i = 0; i < pairs; ++i) addConjugatePairs(solver.root()[i], infinity());
  if (n & 1) addSingle(solver.root()[pairs].real(), infinity());
}

AnalogLowShelf::AnalogLowShelf() : m_numPoles(-1), m_gainDb(0) {
  setNormal(kPi, 1);
}

void AnalogLowShelf::design(int numPoles, double gainDb, WorkspaceBase* w) {
  if (m_numPoles == numPoles && m_gainDb == gainDb) return;
  m_numPoles = -1;
  reset();

  const double G = std::pow(10., gainDb / 20) - 1;

  RootFinderBase& poles(w->roots);
  RootFinder<50> zeros;
  const int n = limitOrder(limitOrder(numPoles, poles.getMaxDegree()), zeros.getMaxDegree());
  solveReverseBessel(poles, n);
  for (int k = 0; k <= n; ++k) zeros.coef()[k] = poles.coef()[k];
  const double c0 = reverseBesselCoefficient(n, 0);
  zeros.coef()[0] = c0 + G * c0;
  zeros.solve(n);
  m_numPoles = numPoles;
  m_gainDb = gainDb;

  const int pairs = n / 2;
  for (int i = 0; i < pairs; ++i) addConjugatePairs(poles.root()[i], zeros.root()[i]);
  if (n & 1) addSingle(poles.root()[pairs].real(), zeros.root()[pairs].real());
}

}  // namespace Bessel
}  // namespace Dsp
