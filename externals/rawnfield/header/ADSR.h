#pragma once

#include <cstdint>
#include <string>

namespace Rawnfield {

// Coefficients of an attack-decay-sustain-release envelope whose segments
// are exponential curves aimed past their targets by the target ratios; the
// shape control sets both ratios (small: curved, large: nearly straight).
// Time controls are in units of the duration scale (0.2 s at first).
class ADSR {
public:
  explicit ADSR(const std::string& name);

  // exp(-ln((1 + ratio) / ratio) / rate), 0 for a rate of 0 or below.
  static double calcCoef(double rate, double ratio);

  void setAttack(double t);
  void setDecay(double t);
  void setRelease(double t);
  void setSustain(double s);
  void setShape(double v);
  void setTargetRatioA(double r);
  void setTargetRatioDR(double r);
  // Seconds per unit of a time control: 5 d (0.005 below d = 0.001); the
  // time controls are kept.
  void setDuration(double d);

  // The envelope drawn into n points: attack, decay to the sustain level,
  // release, each segment's width following its time; the ends are 0.
  void getGuiData(double* buf, int n, double gain) const;

  int32_t state = 0;
  double output = 0.0;
  double attackRate = 0.0;  // samples
  double decayRate = 0.0;
  double releaseRate = 0.0;
  double attackCoef = 0.0;
  double decayCoef = 0.0;
  double releaseCoef = 0.0;
  double sustainLevel = 1.0;
  double targetRatioA = 0.0;
  double targetRatioDR = 0.0;
  double attackBase = 0.0;
  double decayBase = 0.0;
  double releaseBase = 0.0;
  double sampleRate = 44100.0;
  double durationScale = 0.2;
  double shape = 0.3;
  std::string name;
  double smoothCoef = 0.99;
  double smoothCoefComplement = 0.01;
  double smoothed = 0.0;

private:
  void updateAttack();
  void updateDecay();
  void updateRelease();
  double rateOf(double t) const { return t * durationScale * sampleRate; }
};

}  // namespace Rawnfield
