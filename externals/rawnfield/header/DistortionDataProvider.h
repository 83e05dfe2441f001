#pragma once

#include <cstdint>
#include <string>

namespace Rawnfield {

// One built-in curve: `size` doubles in the shared curve layout (entry i is
// the output for the input -1 + 2i/(size-1), negative half first).
struct DistoData {
  explicit DistoData(unsigned short n = 512);
  ~DistoData();
  DistoData(const DistoData&) = delete;
  DistoData& operator=(const DistoData&) = delete;

  // Fades the eight entries on each side of the centre towards 0.
  void smoothZeroCrossing();

  uint16_t size;
  double* data;
};

// The 85 built-in transfer curves, computed once in the constructor and
// read-only afterwards. One instance serves every unit that reads curves;
// it is passed by reference.
class DistortionDataProvider {
public:
  static constexpr int kNumCurves = 85;
  static constexpr int kCurveSize = 512;

  // Curves that are read by number outside the distortion types.
  enum eCurve : int {
    kLinearCurve = 0,
    kFirstStoredCurve = 54,
    kLastStoredCurve = 80,
    kUnitCompressorCurve = 81,
    kOutputSaturationCurve = 82,
    kOutputLimiterCurve = 83,
    kFuzzyFilterDriveCurve = 84,
  };

  // Seeds the C library generator with 1600 and builds every curve; the
  // noise curves therefore come out the same in every run.
  DistortionDataProvider();
  virtual ~DistortionDataProvider();

  // Curve number i (0..84); any other number gives curve 0.
  const DistoData& getCurve(int i) const { return curves[i >= 0 && i < kNumCurves ? i : 0]; }
  const double* getCurveData(int i) const { return getCurve(i).data; }

  // Sets `curve` to the identity up to a quadratic knee of width k centred
  // on threshold t (slope 1/r at its top), flat above it; odd-symmetric.
  void initSoftLimiter(DistoData& curve, double t, double k, double r) const;

  // Fills `curve` from a stored table of n points: NaN and infinities become
  // 0, values are clamped, and the table is resampled to 512 points with
  // cosine interpolation (null table: zeros).
  static void convertData(DistoData& curve, const double* table, unsigned short n);

  // Writes one curve as a mono 32-bit float WAVE file at 44100 Hz; a file
  // that cannot be written is not reported.
  void exportToWAVE(const DistoData& curve, const std::string& path) const;

private:
  void init();

  // Generators, one per curve or family, in build order.
  void initLinear();
  void initCompressor();
  void initSoftKneeCompressor();
  void initLimiter();
  void initSoftLimiter();
  void initWarmSaturation();
  void initClassicSaturation();
  void initHardOverload();
  void initFullClip();
  void initFuzzDrive1();
  void initFuzzDrive2();
  void initFuzzDrive3();
  void initFuzzDrive4();
  void initTroskDrive();
  void initZadiredFuzz();
  void initZRMDrive();
  void initTube();
  void initSoftTube();
  void initSigmoidDrive();
  void initQuellbrandDrive();
  void initBiggies();
  void initViciousViper();
  void initAssKicking();
  void initTigersBlood();
  void initMadCat();
  void initElDiablo();
  void initTransistor();
  void initToxicDrive();
  void initInvertDrive();
  void initAngryZombie();
  void initFuriousMonster();
  void initRawnfield();
  void initHardcoreFuzz();
  void initIndustrial();
  void initNeoFuzz();
  void initStairway2Hell();
  void initCustomDistortions();
  void initUnitCompressor();
  void initOutputSaturation();
  void initOutputLimiter();
  void initFuzzyFilterDrive();

  // Shared steps of the generators.
  double gridX(int j) const;  // abscissa of positive point j (curve 0 entry 256 + j)
  void fuzzDrivePlateaus(int curve, double low, bool setLow, double high);
  static void setPoint(DistoData& c, int j, double positive, double negative);
  static void setOdd(DistoData& c, int j, double y) { setPoint(c, j, y, -y); }
  static void mirror(DistoData& c);
  static void clampPass(DistoData& c);
  static void smoothPass(DistoData& c);
  static void normalisePass(DistoData& c);
  static double randomUnit();  // one rand() draw scaled to [-1, 1]

  DistoData curves[kNumCurves];
};

}  // namespace Rawnfield
