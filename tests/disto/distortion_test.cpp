#include "Distortion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <ostream>
#include <vector>

#include "test_provider.h"

using Rawnfield::Distortion;
using Rawnfield::DistortionDataProvider;
using Rawnfield::LookUp;
namespace Types = Rawnfield::Types;

namespace {

constexpr double kPi = 3.141592653589793;

// A stereo block that owns its samples.
struct Block {
  explicit Block(int n) : left(n), right(n) {}
  static Block sine(int n, double amplitude) {
    Block b(n);
    for (int i = 0; i < n; ++i) {
      b.left[i] = amplitude * std::sin(2.0 * kPi * i / 64.0);
      b.right[i] = amplitude * std::cos(2.0 * kPi * i / 48.0);
    }
    return b;
  }
  double** io() {
    ptrs[0] = left.data();
    ptrs[1] = right.data();
    return ptrs;
  }
  int frames() const { return static_cast<int>(left.size()); }
  bool operator==(const Block& o) const { return left == o.left && right == o.right; }
  std::vector<double> left, right;
  double* ptrs[2];
};

class DistortionUnit : public ::testing::Test {
protected:
  void SetUp() override {
    unit = std::make_unique<Distortion>(testProvider());
    unit->init();
  }
  // Lets the amount smoother reach its target.
  void settle(Distortion& d) {
    Block silence(1024);
    for (int k = 0; k < 4; ++k) d.distort(silence.io(), nullptr, silence.frames());
  }
  // Makes the current table the straight line, read linearly.
  void straightCurrentTable() {
    std::vector<double> ramp(512);
    for (int i = 0; i < 512; ++i) ramp[i] = i * (2.0 / 511) - 1.0;
    unit->setLutData(ramp.data(), 512);
    unit->setInterpolation(0.5);
  }
  std::unique_ptr<Distortion> unit;
};

TEST_F(DistortionUnit, ConstructionDefaults) {
  Distortion d(testProvider());
  EXPECT_EQ(d.current, nullptr);
  EXPECT_FALSE(d.off);
  EXPECT_EQ(d.mode, 1u);
  EXPECT_EQ(d.prePostMode, 1u);
  EXPECT_EQ(d.driveGain, 15.0);
  EXPECT_EQ(d.amount, 0.0);
  EXPECT_EQ(d.type, 0u);
  EXPECT_EQ(d.amountSmoother.a, 0.99);
  EXPECT_EQ(d.scratch.capacity, 1024);
  EXPECT_EQ(d.tables[5].interpolation, Distortion::kDefaultInterpolationType);
  EXPECT_EQ(Distortion::sMaxShapeFactor, 2.0);
  EXPECT_EQ(Distortion::sDryWetFactor, 0.5);
}

TEST_F(DistortionUnit, InitLoadsEveryTypeFromItsProviderCurve) {
  const int curveOf[42] = {0,  1,  2,  3,  4,  5,  6,  7,  19, 20, 21, 14, 13, 15,
                           16, 18, 17, 34, 8,  9,  45, 46, 47, 48, 49, 41, 42, 43,
                           44, 23, 24, 25, 38, 27, 28, 29, 30, 31, 32, 58, 63, 80};
  for (int t = 0; t < 42; ++t) {
    EXPECT_EQ(memcmp(unit->tables[t].base.data, testProvider().getCurveData(curveOf[t]),
                     512 * sizeof(double)),
              0)
        << t;
    EXPECT_EQ(unit->tables[t].name, Types::kDistortionTypeNames[t]);
    EXPECT_EQ(unit->typeMap[t], &unit->tables[t]);
  }
  EXPECT_EQ(unit->typeMap[42], &unit->tables[7]);
  EXPECT_EQ(
      memcmp(unit->unitCompressor.base.data, testProvider().getCurveData(81), 512 * sizeof(double)),
      0);
  EXPECT_EQ(unit->current, &unit->tables[0]);
  EXPECT_EQ(unit->amountSmoother.a, 0.9777);
  EXPECT_EQ(unit->amountSmoother.b, 1.0 - 0.9777);
  // The second table keeps its straight line.
  EXPECT_EQ(unit->tables[9].second.data[0], -1.0);
}

TEST_F(DistortionUnit, InitAgainDiscardsEdits) {
  unit->setType(3.0 / 42);
  unit->setLutValue(static_cast<unsigned short>(400), 0.1);
  unit->setType(0.0);
  unit->setType(3.0 / 42);
  EXPECT_EQ(unit->getLutValue(static_cast<unsigned short>(400)), 0.1);  // edits persist
  unit->init();
  unit->setType(3.0 / 42);
  EXPECT_EQ(unit->getLutValue(static_cast<unsigned short>(400)),
            testProvider().getCurveData(3)[400]);
}

struct TypeMode {
  double type;
  double mode;
};

class ZeroAmount : public DistortionUnit, public ::testing::WithParamInterface<TypeMode> {};

TEST_P(ZeroAmount, LeavesTheBlockBitExact) {
  unit->setType(GetParam().type);
  unit->setDistoMode(GetParam().mode);
  Block b = Block::sine(700, 1.3);
  const Block original = b;
  unit->distort(b.io(), nullptr, b.frames());
  EXPECT_TRUE(b == original);
}

INSTANTIATE_TEST_SUITE_P(Types, ZeroAmount,
                         ::testing::Values(TypeMode{0.0, 0.0}, TypeMode{3.0 / 42, 0.5},
                                           TypeMode{20.0 / 42, 1.0}, TypeMode{1.0, 0.5},
                                           TypeMode{41.0 / 42, 0.0}));

TEST_F(DistortionUnit, OffLeavesTheBlockBitExact) {
  unit->setAmount(1.0);
  unit->setType(25.0 / 42);
  unit->off = true;
  Block b = Block::sine(512, 0.9);
  const Block original = b;
  unit->distort(b.io(), nullptr, b.frames());
  EXPECT_TRUE(b == original);
  EXPECT_EQ(unit->amountSmoother.state, 0.0);  // nothing advanced
}

TEST_F(DistortionUnit, LinearTypeInShapeModeBlendsHalfAndHalf) {
  unit->setInterpolation(0.5);  // linear
  unit->setDistoMode(0.0);
  unit->setAmount(1.0);
  settle(*unit);
  Block b = Block::sine(256, 1.0);
  const Block in = b;
  unit->distort(b.io(), nullptr, b.frames());
  for (int i = 0; i < b.frames(); ++i) {
    const double x = in.left[i];
    const double expected = 0.5 * std::fmax(-1.0, std::fmin(1.0, 2.0 * x)) + 0.5 * x;
    ASSERT_NEAR(b.left[i], expected, 1e-12) << i;
  }
}

TEST_F(DistortionUnit, CosineInterpolationBendsTheStraightLineBetweenPoints) {
  unit->setDistoMode(0.0);
  unit->setAmount(1.0);
  settle(*unit);
  // A quarter of the way between two grid points; small enough not to clip.
  const double xin = -1.0 + 2.0 * 300.25 / 511;
  Block b(1);
  b.left[0] = b.right[0] = xin;
  unit->distort(b.io(), nullptr, 1);
  const double linear = 0.5 * (2.0 * xin) + 0.5 * xin;
  EXPECT_GT(std::fabs(b.left[0] - linear), 1e-6);
  EXPECT_LT(std::fabs(b.left[0] - linear), 1e-3);
}

TEST_F(DistortionUnit, LimiterInDriveModeDrivesBy12_432) {
  unit->setType(3.0 / 42);
  unit->setInterpolation(0.5);
  unit->setDistoMode(0.5);
  unit->setAmount(1.0);
  settle(*unit);
  Block b(1);
  b.left[0] = 0.05;  // on the limiter's straight part
  b.right[0] = -0.05;
  unit->distort(b.io(), nullptr, 1);
  EXPECT_NEAR(b.left[0], 0.5 * (12.432 * 0.05) + 0.5 * 0.05, 1e-12);
  EXPECT_NEAR(b.right[0], -(0.5 * (12.432 * 0.05) + 0.5 * 0.05), 1e-12);
}

TEST_F(DistortionUnit, SineModeSoftLimitsAfterTheClip) {
  unit->setType(3.0 / 42);
  unit->setInterpolation(0.5);
  unit->setDistoMode(1.0);
  unit->setAmount(1.0);
  settle(*unit);
  Block b(2);
  b.left[0] = 0.05;
  b.right[0] = 0.4;  // clips at 1 before the sine: 2 sin(pi/2) = 2
  b.left[1] = b.right[1] = 0.0;
  unit->distort(b.io(), nullptr, 2);
  EXPECT_NEAR(b.left[0], 0.5 * 2.0 * std::sin(12.432 * 0.05 * kPi / 2.0) + 0.5 * 0.05, 1e-12);
  EXPECT_NEAR(b.right[0], 0.5 * 2.0 + 0.5 * 0.4, 1e-12);
}

struct PathCase {
  double mode;  // setDistoMode's setting: shape, drive, drive and sine
  double interpolation;
  bool modulated;
};

std::ostream& operator<<(std::ostream& o, const PathCase& c) {
  return o << "mode " << c.mode << ", interpolation " << c.interpolation
           << (c.modulated ? ", modulated" : "");
}

class DistortionPaths : public DistortionUnit, public ::testing::WithParamInterface<PathCase> {};

// With the amount settled, a long block runs two frames at a time where its
// mode allows (drive and sine goes frame by frame) and its curve reads at the
// processor's widest, while one-frame blocks take each frame by itself: the
// same bits either way.
TEST_P(DistortionPaths, TwoFramesAtATimeGiveTheBitsOfOneByOne) {
  const PathCase c = GetParam();
  Distortion single(testProvider());
  single.init();
  for (Distortion* d : {unit.get(), &single}) {
    d->setType(0.0);  // the straight line
    d->setDistoMode(c.mode);
    d->setInterpolation(c.interpolation);
    // At 2 the output is the wet signal alone: nothing hides its last bits.
    d->setAmount(2.0);
    settle(*d);
  }
  // Left stays within the drive's clip (a gain of 31), right mostly goes
  // beyond it.
  Block b = Block::sine(509, 1.2);
  for (double& x : b.left) x *= 0.025;
  const double awkward[] = {0.0, -0.0, 1.0, -1.0, 1e-310, 0.999, -0.999, 1e-17};
  for (int k = 0; k < 8; ++k) b.left[31 * k + 2] = b.right[29 * k + 7] = awkward[k];
  Block one = b;
  std::vector<double> mod(509);
  for (int i = 0; i < 509; ++i) mod[i] = 0.6 + 0.4 * std::sin(0.05 * i);
  unit->distort(b.io(), c.modulated ? mod.data() : nullptr, b.frames());
  for (int i = 0; i < one.frames(); ++i) {
    double* io[2] = {&one.left[i], &one.right[i]};
    single.distort(io, c.modulated ? &mod[i] : nullptr, 1);
  }
  for (int i = 0; i < b.frames(); ++i) {
    ASSERT_EQ(0, std::memcmp(&b.left[i], &one.left[i], sizeof(double))) << "left, frame " << i;
    ASSERT_EQ(0, std::memcmp(&b.right[i], &one.right[i], sizeof(double))) << "right, frame " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, DistortionPaths,
                         ::testing::Values(PathCase{0.0, 1.0, false}, PathCase{0.5, 1.0, true},
                                           PathCase{1.0, 1.0, false}, PathCase{1.0, 1.0, true},
                                           PathCase{1.0, 0.5, false}, PathCase{1.0, 0.0, true}));

struct DriveCase {
  int type;
  double scale;
};

class DriveScale : public DistortionUnit, public ::testing::WithParamInterface<DriveCase> {};

// With every table made straight, mode 1 shows g = 16 x the type's scale.
TEST_P(DriveScale, PerType) {
  unit->setType(GetParam().type / 42.0);
  straightCurrentTable();
  unit->setDistoMode(0.5);
  unit->setAmount(1.0);
  settle(*unit);
  Block b(1);
  b.left[0] = b.right[0] = 0.01;
  unit->distort(b.io(), nullptr, 1);
  const double g = (b.left[0] - 0.5 * 0.01) / 0.5 / 0.01;
  EXPECT_NEAR(g, 16.0 * GetParam().scale, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Types, DriveScale,
                         ::testing::Values(DriveCase{0, 1.0}, DriveCase{1, 0.5}, DriveCase{2, 0.5},
                                           DriveCase{3, 0.777}, DriveCase{4, 0.5},
                                           DriveCase{5, 0.777}, DriveCase{6, 0.777},
                                           DriveCase{7, 0.777}, DriveCase{8, 1.0},
                                           DriveCase{41, 1.0},
                                           // the top position shares type 7's table only
                                           DriveCase{42, 1.0}));

TEST_F(DistortionUnit, AmountFollowsTheSmoother) {
  unit->setType(3.0 / 42);
  unit->setAmount(1.0);
  Block b(1);
  unit->distort(b.io(), nullptr, 1);
  EXPECT_NEAR(unit->amountSmoother.state, 1.0 - 0.9777, 1e-15);
  unit->distort(b.io(), nullptr, 1);
  EXPECT_NEAR(unit->amountSmoother.state, 0.9777 * (1.0 - 0.9777) + (1.0 - 0.9777), 1e-15);
}

TEST_F(DistortionUnit, ModulationScalesTheAmountButNotTheSmoother) {
  unit->setType(20.0 / 42);
  unit->setAmount(0.8);
  Block b = Block::sine(64, 0.7);
  const Block in = b;
  std::vector<double> mod(64, 0.0);
  unit->distort(b.io(), mod.data(), 64);
  EXPECT_TRUE(b == in);  // zero modulation: dry only
  Distortion reference(testProvider());
  reference.init();
  reference.setType(20.0 / 42);
  reference.setAmount(0.8);
  Block r = Block::sine(64, 0.7);
  reference.distort(r.io(), nullptr, 64);
  EXPECT_EQ(unit->amountSmoother.state, reference.amountSmoother.state);
}

TEST_F(DistortionUnit, NonFiniteAmountIsTakenAsZero) {
  unit->setAmount(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(unit->getAmount(), 0.0);
  unit->setAmount(std::numeric_limits<double>::infinity());
  EXPECT_EQ(unit->getAmount(), 0.0);
  unit->setAmount(1.5);  // finite values are kept as they are
  EXPECT_EQ(unit->getAmount(), 1.5);
}

TEST_F(DistortionUnit, LongBlocksMatchAUnitSizedForThem) {
  Distortion big(testProvider());
  big.init();
  big.setBlockSize(3000);
  EXPECT_EQ(big.scratch.capacity, 3000);
  for (Distortion* d : {unit.get(), &big}) {
    d->setType(30.0 / 42);
    d->setAmount(0.7);
  }
  Block a = Block::sine(3000, 0.9), b = a;
  unit->distort(a.io(), nullptr, 3000);  // capacity 1024
  big.distort(b.io(), nullptr, 3000);
  EXPECT_TRUE(a == b);
}

TEST_F(DistortionUnit, SetBlockSizeGrowsOnlyAndClears) {
  unit->scratch.left[5] = 3.0;
  unit->setBlockSize(512);
  EXPECT_EQ(unit->scratch.capacity, 1024);
  EXPECT_EQ(unit->scratch.left[5], 0.0);
  unit->setBlockSize(2048);
  EXPECT_EQ(unit->scratch.capacity, 2048);
  EXPECT_EQ(unit->scratch.blockSize, 2048);
}

TEST_F(DistortionUnit, DoesNothingBeforeInit) {
  Distortion d(testProvider());
  d.setAmount(1.0);
  Block b = Block::sine(32, 0.5);
  const Block in = b;
  d.distort(b.io(), nullptr, 32);
  EXPECT_TRUE(b == in);
  EXPECT_EQ(d.getLutData(), nullptr);
  EXPECT_EQ(d.getLutValue(static_cast<unsigned short>(3)), 0.0);
  EXPECT_EQ(d.getInterpolationName(), "[unknown interpolation]");
  EXPECT_EQ(d.getDistortionTypeText(), "");
}

struct TypeSetting {
  double v;
  unsigned type;
  int table;
  const char* name;
};

class SetType : public DistortionUnit, public ::testing::WithParamInterface<TypeSetting> {};

TEST_P(SetType, SelectsTypeAndTable) {
  unit->setType(GetParam().v);
  EXPECT_EQ(unit->getType(), GetParam().type);
  EXPECT_EQ(unit->current, &unit->tables[GetParam().table]);
  EXPECT_EQ(unit->getDistortionTypeText(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SetType,
    ::testing::Values(TypeSetting{1.0, 42, 7, "Hard-Overload"},
                      TypeSetting{0.5, 21, 21, "Hardcore-Fuzz2"}, TypeSetting{0.0, 0, 0, "Linear"},
                      TypeSetting{-3.0, 0, 0, "Linear"}, TypeSetting{5.0, 42, 7, "Hard-Overload"},
                      TypeSetting{std::numeric_limits<double>::quiet_NaN(), 0, 0, "Linear"},
                      TypeSetting{39.0 / 42, 39, 39, "Radiva Zuvavuza"}));

TEST_F(DistortionUnit, TypeTopPositionReadsCurve13) {
  EXPECT_EQ(unit->getData(static_cast<Types::eDistortionType>(42)),
            testProvider().getCurveData(13));
  EXPECT_EQ(unit->getData(static_cast<Types::eDistortionType>(43)), testProvider().getCurveData(0));
  EXPECT_EQ(unit->getData(static_cast<Types::eDistortionType>(-1)), testProvider().getCurveData(0));
  EXPECT_EQ(unit->getData(Types::kThrashcoreZrm), testProvider().getCurveData(80));
  const std::vector<double> v = unit->getDataVector(Types::kRadivaZuvavuza);
  ASSERT_EQ(v.size(), 512u);
  EXPECT_EQ(memcmp(v.data(), testProvider().getCurveData(58), 512 * sizeof(double)), 0);
}

TEST(DistortionNames, TypeWordsMapToNumbers) {
  for (unsigned t = 0; t < 42; ++t)
    EXPECT_EQ(Distortion::getDistortionType(Types::kDistortionTypeNames[t]), t);
  struct {
    const char* word;
    unsigned type;
  } cases[] = {{"Radiva Zuvavuza", 39},
               {"Fuzz-Drive", 19},
               {"Rawnfield-Drive", 25},
               {"Transistor 1", 17},
               {"Didudo Rivad by Q:ZAR", 40},
               {"ZRM Thrashcore", 41},
               {"Linear", 0},
               {"linear", 0},
               {"Distortion", 0},
               {"", 0},
               {"Limiter ", 0}};
  for (const auto& c : cases) EXPECT_EQ(Distortion::getDistortionType(c.word), c.type) << c.word;
}

TEST_F(DistortionUnit, TypeStepping) {
  EXPECT_EQ(unit->getNextDistortionType(1.0f), 1.0f);
  EXPECT_EQ(unit->getPrevDistortionType(0.0f), 0.0f);
  EXPECT_EQ(unit->getNextDistortionType(0.0f), 0.023809524f);
  // Stepping up from 0 visits every position once and ends at the top.
  float v = 0.0f;
  for (unsigned t = 0; t <= 42; ++t) {
    unit->setType(v);
    ASSERT_EQ(unit->getType(), t);
    v = unit->getNextDistortionType(v);
  }
  for (unsigned t = 42;; --t) {
    unit->setType(v);
    ASSERT_EQ(unit->getType(), t);
    if (t == 0) break;
    v = unit->getPrevDistortionType(v);
  }
}

TEST_F(DistortionUnit, InterpolationStepsAndNames) {
  EXPECT_EQ(unit->getNextInterpolation(0.0), 0.5);
  EXPECT_EQ(unit->getNextInterpolation(0.5), 1.0);
  EXPECT_EQ(unit->getNextInterpolation(1.0), 0.0);
  EXPECT_EQ(unit->getNextInterpolation(1.7), 1.0);  // clamped
  const struct {
    double v;
    const char* name;
  } cases[] = {{0.0, "[no interpolation]"},
               {0.5, "[linear interpolation]"},
               {1.0, "[cosine interpolation]"},
               {2.0, "[unknown interpolation]"},
               {-1.0, "[unknown interpolation]"},
               {0.2, "[no interpolation]"},
               {1e30, "[unknown interpolation]"},
               {std::numeric_limits<double>::quiet_NaN(), "[no interpolation]"}};
  for (const auto& c : cases) {
    unit->setInterpolation(c.v);
    EXPECT_EQ(unit->getInterpolationName(), c.name) << c.v;
  }
}

TEST_F(DistortionUnit, InterpolationAndPolarityReachEveryMappedTable) {
  unit->setInterpolation(0.0);
  unit->setPolarity(1.0);
  for (int t = 0; t < 42; ++t) {
    EXPECT_EQ(unit->tables[t].interpolation, 0u) << t;
    EXPECT_EQ(unit->tables[t].polarity, 2u) << t;
  }
  EXPECT_EQ(unit->userTable.interpolation, 2u);
  EXPECT_EQ(unit->unitCompressor.interpolation, 2u);
  EXPECT_EQ(unit->tables[60].interpolation, 2u);  // spare tables are not mapped
  EXPECT_EQ(unit->getPolarity(), 2u);
  unit->setPolarity(-4.0);
  EXPECT_EQ(unit->getPolarity(), 0u);
  unit->setPolarity(0.3);
  EXPECT_EQ(unit->getPolarity(), 1u);
}

TEST_F(DistortionUnit, DiscreteSettings) {
  const struct {
    double v;
    unsigned mode, prePost;
  } cases[] = {{0.0, 0, 0},  {0.24, 0, 0}, {0.26, 1, 0}, {0.5, 1, 1},
               {0.76, 2, 1}, {9.0, 2, 1},  {-1.0, 0, 0}};
  for (const auto& c : cases) {
    unit->setDistoMode(c.v);
    unit->setPrePostMode(c.v);
    EXPECT_EQ(unit->getDistoMode(), c.mode) << c.v;
    EXPECT_EQ(unit->getPrePostMode(), c.prePost) << c.v;
  }
}

TEST_F(DistortionUnit, PointAccess) {
  unit->setType(5.0 / 42);
  const double* base = unit->getLutData();
  ASSERT_EQ(base, unit->tables[5].base.data);
  EXPECT_EQ(unit->getLutValue(static_cast<unsigned short>(511)), base[511]);
  EXPECT_EQ(unit->getLutValue(static_cast<unsigned short>(512)), 0.0);
  EXPECT_EQ(unit->getLutValue(0.5), base[255]);  // floor(0.5 x 511)
  EXPECT_EQ(unit->getLutValue(2.0), base[511]);
  EXPECT_EQ(unit->getLutValue(-2.0), base[0]);
  EXPECT_EQ(unit->getLutValue(std::numeric_limits<double>::quiet_NaN()), base[0]);

  unit->setLutValue(static_cast<unsigned short>(10), 3.0);  // single points are not clamped
  EXPECT_EQ(base[10], 3.0);
  unit->setLutValue(static_cast<unsigned short>(11), std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(base[11], 0.0);
  unit->setLutValue(static_cast<unsigned short>(600), 0.3);  // ignored
  unit->setLutValue(1.0, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(base[511], 0.0);
  unit->setLutValue(0.25, 0.125);
  EXPECT_EQ(base[127], 0.125);
}

TEST_F(DistortionUnit, SetLutDataNeedsTheExactCount) {
  std::vector<double> data(512, 0.25);
  data[0] = 2.0;
  data[1] = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> before(unit->getLutData(), unit->getLutData() + 512);
  unit->setLutData(data.data(), 511);
  EXPECT_EQ(std::vector<double>(unit->getLutData(), unit->getLutData() + 512), before);
  unit->setLutData(nullptr, 512);
  unit->setLutData(data.data(), 0);
  EXPECT_EQ(std::vector<double>(unit->getLutData(), unit->getLutData() + 512), before);
  unit->setLutData(data.data(), 512 - 65536);  // would wrap to 512 as a 16-bit count
  unit->setLutData(data.data(), 512 + 65536);
  EXPECT_EQ(std::vector<double>(unit->getLutData(), unit->getLutData() + 512), before);
  unit->setLutData(data.data(), 512);
  EXPECT_EQ(unit->getLutData()[0], 1.0);
  EXPECT_EQ(unit->getLutData()[1], 0.0);
  EXPECT_EQ(unit->getLutData()[2], 0.25);
}

TEST_F(DistortionUnit, UserDataIsAppliedClamped) {
  unit->setType(12.0 / 42);
  for (int i = 0; i < 512; ++i)
    unit->setUserLutValue(static_cast<unsigned short>(i), -3.0 + 6.0 * i / 511);
  unit->setUserLutValue(static_cast<unsigned short>(7), std::numeric_limits<double>::infinity());
  unit->setUserLutValue(static_cast<unsigned short>(512), 0.5);       // ignored
  EXPECT_EQ(unit->userTable.base.data[100], -3.0 + 6.0 * 100 / 511);  // stored unclamped
  unit->applyUserData();
  const double* t = unit->getLutData();
  EXPECT_EQ(t[0], -1.0);
  EXPECT_EQ(t[7], 0.0);
  EXPECT_EQ(t[511], 1.0);
  EXPECT_EQ(t[256], -3.0 + 6.0 * 256 / 511);
}

TEST_F(DistortionUnit, CopyLutDataCopiesTheCurrentCurve) {
  Distortion other(testProvider());
  other.init();
  other.setType(33.0 / 42);
  other.setInterpolation(0.0);
  other.setPolarity(0.5);
  other.setLutValue(static_cast<unsigned short>(9), 0.333);
  other.current->second.data[4] = 0.75;
  unit->setType(2.0 / 42);
  unit->copyLutData(&other);
  EXPECT_EQ(unit->current, &unit->tables[2]);
  EXPECT_EQ(unit->getDistortionTypeText(), "Big-Bad-Drive");
  EXPECT_EQ(unit->current->interpolation, 0u);
  EXPECT_EQ(unit->current->polarity, 1u);
  EXPECT_EQ(memcmp(unit->current->base.data, other.current->base.data, 512 * sizeof(double)), 0);
  EXPECT_EQ(unit->current->second.data[4], 0.75);
  // Null or itself: nothing.
  unit->copyLutData(nullptr);
  unit->copyLutData(unit.get());
  EXPECT_EQ(unit->current->second.data[4], 0.75);
}

}  // namespace
