#include "Distortion.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "../DspLib/Lanes.h"
#include "CurveMath.h"
#include "Settling.h"

namespace Rawnfield {

using CurveMath::clampPosition;
using CurveMath::clampUnit;
using CurveMath::finiteOrZero;
using namespace Dsp;

double Distortion::sMaxShapeFactor = 2.0;
double Distortion::sDryWetFactor = 0.5;

namespace {

// Provider curve of each type.
const int kTypeCurve[Types::kNumDistortionTypes] = {
    0,  1,  2,  3,  4,  5,  6,  7,  19, 20, 21, 14, 13, 15, 16, 18, 17, 34, 8,  9,  45,
    46, 47, 48, 49, 41, 42, 43, 44, 23, 24, 25, 38, 27, 28, 29, 30, 31, 32, 58, 63, 80,
};
// The top position of the type control reads the curve of type 12.
constexpr int kTopPositionCurve = 13;

// Drive scale of modes 1 and 2: the dynamics types are driven more gently.
double driveScale(uint32_t type) {
  switch (type) {
    case Types::kLimiter:
    case Types::kWarmSaturation:
    case Types::kClassicSaturation:
    case Types::kHardOverload:
      return 0.777;
    case Types::kCompressor:
    case Types::kSoftKneeCompressor:
    case Types::kSoftKneeLimiter:
      return 0.5;
    default:
      return 1.0;
  }
}

// floor(k * clamp(v, 0, 1) + 0.5): a discrete choice of k + 1 positions.
uint32_t choice(double v, int k) {
  return static_cast<uint32_t>(std::floor(k * clampPosition(v) + 0.5));
}

// An unclamped code kept as a 32-bit value the way a wrapped integer would
// be; NaN counts as 0 and out-of-range values saturate.
uint32_t codeOf(double c) {
  if (std::isnan(c)) return 0;
  if (c < static_cast<double>(INT32_MIN)) c = INT32_MIN;
  if (c > static_cast<double>(INT32_MAX)) c = INT32_MAX;
  return static_cast<uint32_t>(static_cast<int32_t>(c));
}

// The gain and the wet share of one frame from its smoothed amount s.
template <uint32_t Mode>
void shapeOne(double* left, double* right, const double* shapedL, const double* shapedR, int i,
              double s, double driveGain, double scale) {
  const double g = Mode == Types::kDistoModeShape ? Distortion::sMaxShapeFactor * s
                                                  : (driveGain * s + 1.0) * scale;
  double yl = clampUnit(g * shapedL[i]);
  double yr = clampUnit(g * shapedR[i]);
  if (Mode == Types::kDistoModeDriveSine) {
    yl = 2.0 * std::sin(yl * CurveMath::kPi / 2.0);
    yr = 2.0 * std::sin(yr * CurveMath::kPi / 2.0);
  }
  const double w = s * Distortion::sDryWetFactor;
  left[i] = yl * w + left[i] * (1.0 - w);
  right[i] = yr * w + right[i] * (1.0 - w);
}

// Two frames of one channel with the settled amount: the operations of
// shapeOne lane by lane (clampUnit keeps NaN, as the max/min pair does).
Lanes shapeTwo(Lanes x, Lanes shaped, Lanes g, Lanes w) {
  const Lanes y = maxLanes(splat(-1.0), minLanes(splat(1.0), g * shaped));
  return y * w + x * (splat(1.0) - w);
}

// The amount is smoothed frame by frame until a step leaves it unchanged;
// it stays put from then on (the step is a function of the state alone),
// so the rest of the block, that frame included, takes it as a constant
// and runs two frames at a time.
template <uint32_t Mode>
void shapeFrames(double* left, double* right, const double* shapedL, const double* shapedR,
                 const double* mod, int n, Distortion::Smoother& sm, double target,
                 double driveGain, double scale) {
  const double a = sm.a, b = sm.b;
  double state = sm.state;
  int i = 0;
  for (; i < n; ++i) {
    const double last = state;
    state = a * state + b * target;
    if (Settling::sameBits(state, last)) break;
    shapeOne<Mode>(left, right, shapedL, shapedR, i, mod ? state * mod[i] : state, driveGain,
                   scale);
  }
  sm.state = state;
  if (Mode != Types::kDistoModeDriveSine) {
    const Lanes S = splat(state), maxShape = splat(Distortion::sMaxShapeFactor);
    const Lanes dryWet = splat(Distortion::sDryWetFactor);
    const Lanes drive = splat(driveGain), scaled = splat(scale);
    for (; i + 2 <= n; i += 2) {
      const Lanes s = mod ? S * loadLanes(mod + i) : S;
      const Lanes g =
          Mode == Types::kDistoModeShape ? maxShape * s : (drive * s + splat(1.0)) * scaled;
      const Lanes w = s * dryWet;
      // Left is stored before right is read, as frame by frame.
      storeLanes(left + i, shapeTwo(loadLanes(left + i), loadLanes(shapedL + i), g, w));
      storeLanes(right + i, shapeTwo(loadLanes(right + i), loadLanes(shapedR + i), g, w));
    }
  }
  for (; i < n; ++i)
    shapeOne<Mode>(left, right, shapedL, shapedR, i, mod ? state * mod[i] : state, driveGain,
                   scale);
}

}  // namespace

Distortion::Distortion(DistortionDataProvider& p) : provider(p) {
  scratch.left = new double[kDefaultBlockSize]();
  try {
    scratch.right = new double[kDefaultBlockSize]();
  } catch (...) {
    delete[] scratch.left;
    throw;
  }
  scratch.capacity = scratch.blockSize = kDefaultBlockSize;
}

Distortion::~Distortion() {
  delete[] scratch.left;
  delete[] scratch.right;
}

void Distortion::init() {
  tables[0].resetToRamp();
  for (int t = 1; t < Types::kNumDistortionTypes; ++t) {
    const DistoData& c = curveForType(t);
    if (c.data && c.size >= 512 && tables[t].size == 512)
      CurveMath::loadClamped(tables[t].base.data, c.data, 512);
  }
  const DistoData& uc = provider.getCurve(DistortionDataProvider::kUnitCompressorCurve);
  if (uc.data && uc.size >= 512 && unitCompressor.size == 512)
    CurveMath::loadClamped(unitCompressor.base.data, uc.data, 512);
  userTable.resetToRamp();
  current = &tables[0];
  amountSmoother.a = 0.9777;
  amountSmoother.b = 1.0 - 0.9777;
  for (int t = 0; t < Types::kNumDistortionTypes; ++t) typeMap[t] = &tables[t];
  typeMap[Types::kNumDistortionTypes] = &tables[Types::kHardOverload];
  for (int t = 0; t < Types::kNumDistortionTypes; ++t)
    tables[t].name = Types::kDistortionTypeNames[t];
}

void Distortion::setBlockSize(int n) {
  if (scratch.capacity >= n) {
    memset(scratch.left, 0, sizeof(double) * scratch.capacity);
    memset(scratch.right, 0, sizeof(double) * scratch.capacity);
    return;
  }
  double* left = new double[n]();
  double* right;
  try {
    right = new double[n]();
  } catch (...) {
    delete[] left;
    throw;
  }
  delete[] scratch.left;
  delete[] scratch.right;
  scratch.left = left;
  scratch.right = right;
  scratch.capacity = scratch.blockSize = n;
}

void Distortion::distort(double** io, double* mod, int n) {
  if (off || amount == 0.0) return;
  if (!current || !io || !io[0] || !io[1] || n < 1) return;
  // Pieces no longer than the scratch copies: the result is the same as in
  // one go, since only the smoother carries over from frame to frame.
  for (int done = 0; done < n;) {
    const int m = n - done < scratch.capacity ? n - done : scratch.capacity;
    distortPiece(io[0] + done, io[1] + done, mod ? mod + done : nullptr, m);
    done += m;
  }
}

void Distortion::distortPiece(double* left, double* right, const double* mod, int n) {
  memcpy(scratch.left, left, sizeof(double) * n);
  memcpy(scratch.right, right, sizeof(double) * n);
  double* shaped[2] = {scratch.left, scratch.right};
  current->process(shaped, n);
  const double scale = driveScale(type);
  switch (mode) {
    case Types::kDistoModeDrive:
      shapeFrames<Types::kDistoModeDrive>(left, right, scratch.left, scratch.right, mod, n,
                                          amountSmoother, amount, driveGain, scale);
      break;
    case Types::kDistoModeDriveSine:
      shapeFrames<Types::kDistoModeDriveSine>(left, right, scratch.left, scratch.right, mod, n,
                                              amountSmoother, amount, driveGain, scale);
      break;
    default:
      shapeFrames<Types::kDistoModeShape>(left, right, scratch.left, scratch.right, mod, n,
                                          amountSmoother, amount, driveGain, scale);
      break;
  }
}

void Distortion::setAmount(double v) {
  // Not clamped, but a non-finite value would poison the smoother for good.
  amount = finiteOrZero(v);
}

void Distortion::setType(double v) {
  type = choice(v, Types::kNumDistortionTypes);
  current = tableForType(type);
}

void Distortion::setDistoMode(double v) {
  mode = choice(v, 2);
}

void Distortion::setPrePostMode(double v) {
  prePostMode = choice(v, 1);
}

void Distortion::setInterpolation(double v) {
  const uint32_t code = codeOf(std::floor(2.0 * v + 0.5));
  for (LookUp* t : typeMap)
    if (t) t->interpolation = code;
}

void Distortion::setPolarity(double v) {
  const uint32_t code = choice(v, 2);
  for (LookUp* t : typeMap)
    if (t) t->polarity = code;
}

uint32_t Distortion::getPolarity() const {
  return current ? current->polarity : 0;
}

std::string Distortion::getInterpolationName() const {
  switch (current ? current->interpolation : UINT32_MAX) {
    case Types::kNoInterpolation:
      return "[no interpolation]";
    case Types::kLinearInterpolation:
      return "[linear interpolation]";
    case Types::kCosineInterpolation:
      return "[cosine interpolation]";
    default:
      return "[unknown interpolation]";
  }
}

double Distortion::getNextInterpolation(double v) const {
  const double c = std::floor(2.0 * v + 0.5);
  return clampPosition(c == 2.0 ? 0.0 : (c + 1.0) * 0.5);
}

namespace {
float clampStep(float v) {
  if (!(v >= 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}
constexpr float kTypeStep = 0.023809524f;  // 1/42
}  // namespace

float Distortion::getPrevDistortionType(float v) const {
  return clampStep(v - kTypeStep);
}

float Distortion::getNextDistortionType(float v) const {
  return clampStep(v + kTypeStep);
}

std::string Distortion::getDistortionTypeText() const {
  return current ? current->name : std::string();
}

uint32_t Distortion::getDistortionType(const std::string& name) {
  for (int t = 0; t < Types::kNumDistortionTypes; ++t)
    if (name == Types::kDistortionTypeNames[t]) return static_cast<uint32_t>(t);
  // Names older programs were written with.
  static const struct {
    const char* name;
    uint32_t type;
  } kOlder[] = {
      {"Fuzz-Drive", Types::kFuzzDrive1},        {"Rawnfield-Drive", Types::kRawnfieldDrive1},
      {"Transistor 1", Types::kTransistor},      {"Didudo Rivad by Q:ZAR", Types::kDidudoRivadQzar},
      {"ZRM Thrashcore", Types::kThrashcoreZrm},
  };
  for (const auto& o : kOlder)
    if (name == o.name) return o.type;
  return 0;
}

const DistoData& Distortion::curveForType(uint32_t t) const {
  if (t >= 1 && t < static_cast<uint32_t>(Types::kNumDistortionTypes))
    return provider.getCurve(kTypeCurve[t]);
  if (t == static_cast<uint32_t>(Types::kNumDistortionTypes))
    return provider.getCurve(kTopPositionCurve);
  return provider.getCurve(DistortionDataProvider::kLinearCurve);
}

const double* Distortion::getData(Types::eDistortionType t) const {
  return curveForType(static_cast<uint32_t>(t)).data;
}

std::vector<double> Distortion::getDataVector(Types::eDistortionType t) const {
  const DistoData& c = curveForType(static_cast<uint32_t>(t));
  return std::vector<double>(c.data, c.data + c.size);
}

LookUp* Distortion::tableForType(uint32_t t) const {
  LookUp* found = t < static_cast<uint32_t>(kTypePositions) ? typeMap[t] : nullptr;
  return found ? found : const_cast<LookUp*>(&tables[0]);
}

double Distortion::getLutValue(unsigned short i) const {
  if (!current || i >= current->size) return 0.0;
  return finiteOrZero(current->base.data[i]);
}

double Distortion::getLutValue(double x) const {
  if (!current || current->size == 0) return 0.0;
  const int i = static_cast<int>(std::floor(clampPosition(x) * (current->size - 1)));
  return finiteOrZero(current->base.data[i]);
}

void Distortion::setLutValue(unsigned short i, double value) {
  if (current && i < current->size) current->base.data[i] = finiteOrZero(value);
}

void Distortion::setLutValue(double x, double value) {
  if (!current || current->size == 0) return;
  const int i = static_cast<int>(std::floor(clampPosition(x) * (current->size - 1)));
  current->base.data[i] = finiteOrZero(value);
}

const double* Distortion::getLutData() const {
  return current ? current->base.data : nullptr;
}

void Distortion::setLutData(double* data, int count) {
  // A count that no 16-bit size can hold is refused rather than cut down to
  // one that might match and read past the caller's array.
  if (count < 0 || count > 0xffff) return;
  const unsigned short n = static_cast<unsigned short>(count);
  if (!data || !current || n == 0 || n != current->size) return;
  CurveMath::loadClamped(current->base.data, data, n);
}

void Distortion::setUserLutValue(unsigned short i, double value) {
  if (i < userTable.size) userTable.base.data[i] = finiteOrZero(value);
}

void Distortion::applyUserData() {
  if (!current || current->size != 512 || userTable.size < 512) return;
  CurveMath::loadClamped(current->base.data, userTable.base.data, 512);
}

void Distortion::copyLutData(const Distortion* other) {
  if (!other || !current || !other->current || current == other->current) return;
  const LookUp& src = *other->current;
  if (current->size != src.size) current->allocateMem(src.size);
  current->interpolation = src.interpolation;
  current->polarity = src.polarity;
  current->name = src.name;
  const size_t bytes = sizeof(double) * src.size;
  if (bytes == 0) return;
  memcpy(current->base.data, src.base.data, bytes);
  memcpy(current->second.data, src.second.data, bytes);
  memcpy(current->working.data, src.working.data, bytes);
}

}  // namespace Rawnfield
