#include "Elliptic.h"

#include <cmath>
#include <stdexcept>

namespace Dsp {
namespace Elliptic {

namespace {

// The elliptic sine's q-series is summed until a term's t falls below this, which is below
// double rounding for every selectivity. A cut at 1e-7 leaves the zeros a few parts in 1e8
// off: enough to lift the stop-band floor of a steep design by hundredths of a dB.
const double kSeriesEnd = 1e-17;

// Terms of that series at most. Inside the rolloff range a hundred suffice; the cap only
// matters for a selectivity at or below 1, where the series does not converge at all.
const int kMaxSeriesTerms = 1000;

// Bairstow's method stops once a correction step is this small.
const double kBairstowStep = 1e-6;

// Iterations per quadratic factor; past them the factor has not converged. Convergence takes
// a few dozen when it comes at all.
const int kMaxBairstowIterations = 500;

// The work state of one design. Arrays are indexed from 1 where the algorithm counts from 1;
// indices reach twice the order.
struct Work {
  static const int kSize = 2 * kMaxOrder + 2;

  double K;   // K(k) of the modulus k = 1 / xi
  double Kp;  // K of the complementary modulus
  double e;   // sqrt of the ripple factor
  int nin;    // order mod 2
  int m;      // order
  int h;      // order / 2
  int em;     // order rounded down to even

  double zeros[kSize];  // the finite transmission zeros (imaginary parts)
  double z1[kSize];
  double s1[kSize];
  double a1[kSize];
  double b1[kSize];
  double c1[kSize];
  double d1[kSize];
  double p[kSize];   // linear coefficients of the quadratic factors
  double q1[kSize];  // their constant coefficients

  // k sn(u, k) from the q-series, divided by 2 pi / K.
  double calcsn(double u) const {
    const double q = std::exp(-kPi * Kp / K);
    const double x = u * kPi / (2 * K);
    double sum = 0;
    for (int j = 0; j < kMaxSeriesTerms; ++j) {
      const double t = std::pow(q, j + 0.5);
      sum += std::sin((2 * j + 1) * x) * t / (1 - t * t);
      if (t < kSeriesEnd) break;
    }
    return sum;
  }

  // b1 = product of (x + s1[i]) for i = 1..sn (index = power).
  void prodpoly(int sn) {
    b1[0] = s1[1];
    b1[1] = 1;
    for (int j = 2; j <= sn; ++j) {
      a1[0] = s1[j] * b1[0];
      for (int i = 1; i <= j - 1; ++i) a1[i] = b1[i - 1] + s1[j] * b1[i];
      for (int i = 0; i != j; ++i) b1[i] = a1[i];
      b1[j] = 1;
    }
  }

  // The squared characteristic function's numerator into c1 (even indices).
  void calcfz() {
    int i = 1;
    if (nin == 1) s1[i++] = 1;
    for (; i <= nin + h; ++i) s1[i] = s1[i + h] = z1[i - nin];
    prodpoly(nin + 2 * h);
    for (i = 0; i <= em; i += 2) a1[i] = e * b1[i];
    for (i = 0; i <= 2 * em; i += 2) calcfz2(i);
  }

  void calcfz2(int i) {
    const int first = i <= em ? 0 : i - em;
    const int last = i <= em ? i : em;
    c1[i] = 0;
    for (int j = first; j <= last; j += 2) c1[i] += a1[j] * a1[i - j] * std::pow(10., m - i / 2);
  }

  // The denominator into d1 (even indices).
  void calcqz() {
    int i = 1;
    for (; i <= nin; ++i) s1[i] = -10;
    for (; i <= nin + h; ++i) s1[i] = -10 * z1[i - nin] * z1[i - nin];
    for (; i <= nin + 2 * h; ++i) s1[i] = s1[i - h];
    prodpoly(m);
    const double dd = (nin & 1) ? -1 : 1;
    for (i = 0; i <= 2 * m; i += 2) d1[i] = dd * b1[i / 2];
  }

  // Bairstow's method on a1[0..t] (a1[0] the leading coefficient): the quadratic factors
  // x^2 + p x + q into p[1..] and q1[1..]; returns the root of the remaining linear factor of an
  // odd degree, else 0.
  double findfact(int t) {
    // A NaN or infinite argument leaves nothing to factor; say so for every order, not only
    // for those where the iteration then fails to converge.
    for (int i = 0; i <= t; ++i) {
      if (!std::isfinite(a1[i])) throw std::logic_error("bairstow failed");
    }
    for (int i = 1; i <= t; ++i) a1[i] /= a1[0];
    a1[0] = b1[0] = c1[0] = 1;
    int r = 0;
    while (t > 2) {
      double p0 = 0;
      double q0 = 0;
      bool converged = false;
      for (int iter = 0; iter < kMaxBairstowIterations && !converged; ++iter) {
        b1[1] = a1[1] - p0;
        c1[1] = b1[1] - p0;
        for (int i = 2; i <= t; ++i) b1[i] = a1[i] - p0 * b1[i - 1] - q0 * b1[i - 2];
        for (int i = 2; i <= t - 1; ++i) c1[i] = b1[i] - p0 * c1[i - 1] - q0 * c1[i - 2];
        double x4 = c1[t - 2] * c1[t - 2] + c1[t - 3] * (b1[t - 1] - c1[t - 1]);
        if (x4 == 0) x4 = 1e-3;
        const double dp = (b1[t - 1] * c1[t - 2] - b1[t] * c1[t - 3]) / x4;
        const double dq = (b1[t] * c1[t - 2] - b1[t - 1] * (c1[t - 1] - b1[t - 1])) / x4;
        p0 += dp;
        q0 += dq;
        converged = std::fabs(dp + dq) < kBairstowStep;
      }
      if (!converged) throw std::logic_error("bairstow failed");
      ++r;
      p[r] = p0;
      q1[r] = q0;
      // Divide the factor out.
      a1[1] -= p0;
      t -= 2;
      for (int i = 2; i <= t; ++i) a1[i] -= p0 * a1[i - 1] + q0 * a1[i - 2];
    }
    if (t == 2) {
      ++r;
      p[r] = a1[1];
      q1[r] = a1[2];
    }
    return t == 1 ? -a1[1] : 0;
  }
};

}  // namespace

double Solver::ellipticK(double k) {
  double a = 1;
  double b = std::sqrt(1 - k * k);
  double d = 1 - b;
  for (;;) {
    const double dn = (a - b) / 2;
    const double an = (a + b) / 2;
    const double bn = std::sqrt(a * b);
    a = an;
    b = bn;
    if (!(dn < d)) break;
    d = dn;
  }
  return kPi / (2 * a);
}

double selectivity(double rolloff) {
  return 5 * std::exp(rolloff - 1) + 1;
}

AnalogLowPass::AnalogLowPass() : m_numPoles(-1), m_rippleDb(0), m_rolloff(0) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles, double rippleDb, double rolloff) {
  if (m_numPoles == numPoles && m_rippleDb == rippleDb && m_rolloff == rolloff) return;
  // Until the poles are in, nothing is cached: after a failure the next design builds again.
  m_numPoles = -1;
  reset();

  // The work arrays bound the order.
  int n = numPoles;
  if (n > kMaxOrder) n = kMaxOrder;
  if (n < 1) n = 1;

  Work w;
  const double e2 = std::pow(10., rippleDb / 10) - 1;
  const double xi = selectivity(rolloff);
  w.K = Solver::ellipticK(1 / xi);
  w.Kp = Solver::ellipticK(std::sqrt(1 - 1 / (xi * xi)));

  // Transmission zeros.
  const int ni = (n & 1) ? 0 : 1;
  for (int i = 1; i <= n / 2; ++i) {
    const double u = (2 * i - ni) * w.K / n;
    const double s = w.calcsn(u) * kTwoPi / w.K;
    w.zeros[i - 1] = 1 / s;
  }

  w.nin = n % 2;
  w.h = n / 2;
  for (int i = 1; i <= w.h; ++i) {
    const double x = w.zeros[w.h - i];
    w.z1[i] = std::sqrt(1 - 1 / (x * x));
  }
  w.e = std::sqrt(e2);
  w.m = w.nin + 2 * w.h;
  w.em = 2 * (w.m / 2);

  w.calcfz();
  w.calcqz();

  // The denominator of the squared magnitude, highest power first.
  const int m = w.m;
  if (m > w.em) w.c1[2 * m] = 0;
  for (int i = 0; i <= 2 * m; i += 2) w.a1[m - i / 2] = w.c1[i] + w.d1[i];

  const double a0 = w.findfact(m);

  // Each quadratic factor gives a conjugate pole pair, paired with one pair of zeros.
  const double fb = 0.15915494309189535;    // 1 / (2 pi)
  const double fbb = 0.025330295910584447;  // fb^2
  for (int r = 1; r <= w.em / 2; ++r) {
    const double pr = w.p[r] / 10;
    const double qr = w.q1[r] / 100;
    const double d = 1 + pr + qr;
    const double br = (1 + pr / 2) * fbb / d;
    const double zf = fb / std::pow(d, 0.25);
    const double zq = 1 / std::sqrt(std::fabs(2 * (1 - br / (zf * zf))));
    const double zw = kTwoPi * zf;
    const complex_t pole(-zw / (2 * zq),
                         0.5 * std::sqrt(std::fabs(zw * zw / (zq * zq) - 4 * zw * zw)));
    addConjugatePairs(pole, complex_t(0, w.zeros[r - 1]));
  }

  if (a0 != 0) addSingle(-std::sqrt(fbb / (0.1 * a0 - 1)) * kTwoPi, infinity());

  setNormal(0, (n & 1) ? 1 : std::pow(10., -rippleDb / 20));

  m_numPoles = numPoles;
  m_rippleDb = rippleDb;
  m_rolloff = rolloff;
}

}  // namespace Elliptic
}  // namespace Dsp
