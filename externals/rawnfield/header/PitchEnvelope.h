#pragma once

namespace Rawnfield {

// Settings of a pitch sweep: a short rise over the attack, then a fall back
// to the base pitch over the duration with a curve power, optionally
// dropping below it; and the curve drawn for display.
class PitchEnvelope {
public:
  static constexpr double kMaxPitchAmount = 20.0;
  static constexpr double kMaxPitchDuration = 2.0;  // seconds

  virtual ~PitchEnvelope() {}

  void setPitchAmount(double v) { amount = v; }
  double getPitchAmount() const { return amount; }
  void setPitchPower(double v) { power = v > kMinPower ? v : kMinPower; }
  double getPitchPower() const { return power; }
  // The sweep lasts twice the value given, in seconds.
  void setPitchDuration(double v) { duration = 2.0 * v; }
  double getPitchDuration() const { return duration / 2.0; }
  double getPitchDurationSec() const { return duration; }
  void setPitchDown(double v) { pitchDown = v; }
  double getPitchDown() const { return pitchDown; }
  void setSampleRate(double rate) { sampleRate = rate; }
  double getSampleRate() const { return sampleRate; }
  void setBypass(bool b) { bypass = b; }
  bool getBypass() const { return bypass; }

  // n points over the attack plus two seconds, each the pitch offset as a
  // fraction of the maximum amount; all 0 when bypassed.
  void updateGUIData(double* buf, int n) const;

  static constexpr double kMinPower = 0.002;

  double sampleRate = 44100.0;
  bool bypass = false;
  double attack = 0.0005;  // seconds
  double duration = 0.1;   // seconds
  double amount = 0.0;
  double maxAmount = kMaxPitchAmount;
  double power = kMinPower;
  double powerScale = 20.0;
  double maxDuration = kMaxPitchDuration;
  double pitchDown = 0.0;
};

}  // namespace Rawnfield
