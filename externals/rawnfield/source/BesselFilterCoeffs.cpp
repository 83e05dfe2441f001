#include "BesselFilterCoeffs.h"

#include <cmath>
#include <complex>

#include "CurveMath.h"

const double KIT_BesselFilterCoeffs::mPoles[kNumPoles][2] = {
    {-0.9999999999999998, 0.0},                 // order 1
    {-1.1016013305921748, 0.636009824757042},   // order 2
    {-1.3226757999104444, 0.0},                 // order 3
    {-1.0474091610089349, 0.999264436280637},   // order 3
    {-1.370067830551443, 0.4102497174937517},   // order 4
    {-0.9952087643502722, 1.257105739454665},   // order 4
    {-1.502316271447478, 0.0},                  // order 5
    {-1.380877325860439, 0.7179095876267682},   // order 5
    {-0.9576765485626814, 1.4711243207303943},  // order 5
    {-1.5714904036160289, 0.3208963742226234},  // order 6
    {-1.3818580975965615, 0.9714718907115699},  // order 6
    {-0.9306565229468575, 1.6618632689425887},  // order 6
    {-1.6843681792731855, 0.0},                 // order 7
    {-1.61203876622613, 0.5892445069314736},    // order 7
    {-1.3789032167954787, 1.191566777800656},   // order 7
    {-0.9098677806234733, 1.8364513530363988},  // order 7
    {-1.7574084004017807, 0.272867575102548},   // order 8
    {-1.636939418126819, 0.8227956251396226},   // order 8
    {-1.3738412176373478, 1.3883565758775174},  // order 8
    {-0.8928697188471307, 1.9983258436412903},  // order 8
    {-1.8566005012280073, 0.0},                 // order 9
    {-1.8071705349621048, 0.5123837305749052},  // order 9
    {-1.6523964845788384, 1.0313895669844129},  // order 9
    {-1.3675883097929087, 1.5677337122372723},  // order 9
    {-0.8783992761609553, 2.149800524313327},   // order 9
    {-1.927619691372276, 0.2416234709715331},   // order 10
    {-1.8421962445248328, 0.7272575977574774},  // order 10
    {-1.6618102413621516, 1.2211002185791608},  // order 10
    {-1.360692278384544, 1.7335057426614757},   // order 10
    {-0.8657569017083744, 2.2926048309824743},  // order 10
};

KIT_BesselFilterCoeffs KIT_BesselFilterCoeffs::Calc(double alpha) {
  using Complex = std::complex<double>;
  const double w = Rawnfield::CurveMath::kTwoPi * alpha;
  // Each s-plane pole s maps to z = exp(s w): a conjugate pair per entry.
  Complex poles[kOrder];
  for (int e = 0; e < kOrder / 2; ++e) {
    const double* s = mPoles[kFirstPoleOfOrder8 + e];
    const double r = std::exp(s[0] * w);
    const double theta = s[1] * w;
    poles[2 * e] = Complex(r * std::cos(theta), r * std::sin(theta));
    poles[2 * e + 1] = Complex(r * std::cos(theta), r * std::sin(-theta));
  }
  // P(z) = (z - z1)...(z - z8); p[j] is the coefficient of z^j.
  Complex p[kOrder + 1];
  p[0] = 1.0;
  for (int k = 0; k < kOrder; ++k) {
    // Multiply the polynomial of degree k by (z - pole).
    p[k + 1] = p[k];
    for (int j = k; j > 0; --j) p[j] = p[j - 1] - poles[k] * p[j];
    p[0] = -poles[k] * p[0];
  }
  Complex sum = 0.0;  // P(1)
  for (int j = 0; j <= kOrder; ++j) sum += p[j];
  KIT_BesselFilterCoeffs out;
  out.c[0] = 1.0 / std::abs(1.0 / sum);
  for (int k = 1; k <= kOrder; ++k) out.c[k] = -p[kOrder - k].real() / p[kOrder].real();
  return out;
}
