#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "Eq4Band.h"
#include "Equalizer.h"
#include "UnitFilters.h"
#include "block.h"
#include "measure.h"

using namespace Rawnfield;

namespace {

double idValue(const Dsp::Filter* f, int id) {
  return UnitFilters::entry(*f, f->getParams(), id, std::nan(""));
}

void setAll(Eq4Band& eq, double v) {
  eq.setBassAmount(v);
  eq.setLoMiAmount(v);
  eq.setHiMiAmount(v);
  eq.setHighAmount(v);
}

TEST(Eq4Band, AmountToGain) {
  struct Case {
    double amount, dB;
  };
  const Case cases[] = {
      {1.0, 24.0},
      {0.0, -24.0},
      {0.5, 0.0},
      {Eq4Band::k3dBEqAmountBoost, 3.0},
      {Eq4Band::k3dBEqAmountCut, -3.0},
      {Eq4Band::k6dBEqAmountCut, -6.0},
      {Eq4Band::k1dBEqAmountBoost, 0.9984},
      {Eq4Band::k2dBEqAmountBoost, 1.9968},
      {Eq4Band::k2dBEqAmountCut, -1.9968},
  };
  for (const Case& c : cases) {
    Eq4Band eq;
    setAll(eq, c.amount);
    for (double g :
         {eq.getBassGainDb(), eq.getLoMiGainDb(), eq.getHiMiGainDb(), eq.getHighGainDb()})
      EXPECT_NEAR(g, c.dB, 1e-12) << c.amount;
    for (int b = 0; b < 4; ++b)
      EXPECT_NEAR(idValue(eq.bands[b].filter, Dsp::idGain), c.dB, 1e-12) << c.amount;
  }
  // Exact where the control is an exact fraction of 48.
  Eq4Band eq;
  eq.setBassAmount(1.0);
  eq.setHighAmount(Eq4Band::k3dBEqAmountBoost);
  EXPECT_EQ(eq.getBassGainDb(), 24.0);
  EXPECT_EQ(eq.getHighGainDb(), 3.0);
}

TEST(Eq4Band, ConstructionState) {
  Eq4Band eq;
  ASSERT_EQ(eq.numBands, 4);
  struct Band {
    Dsp::FilterKind kind;
    double frequency, width;
  };
  const Band bands[] = {{Dsp::kindLowShelf, 150.0, 0.0},
                        {Dsp::kindBandShelf, 350.0, 300.0},
                        {Dsp::kindBandShelf, 1600.0, 1000.0},
                        {Dsp::kindHighShelf, 4000.0, 0.0}};
  for (int b = 0; b < 4; ++b) {
    const Dsp::Filter* f = eq.bands[b].filter;
    EXPECT_EQ(f->getKind(), bands[b].kind);
    EXPECT_EQ(idValue(f, Dsp::idFrequency), bands[b].frequency);
    EXPECT_EQ(idValue(f, Dsp::idOrder), 2.0);
    EXPECT_EQ(idValue(f, Dsp::idSampleRate), 44100.0);
    if (bands[b].width > 0) {
      EXPECT_EQ(idValue(f, Dsp::idBandwidthHz), bands[b].width);
    }
    // The gain descriptor's default until the owner sets the amounts.
    EXPECT_EQ(idValue(f, Dsp::idGain), -6.0);
    EXPECT_EQ(eq.bands[b].amount, 0.5);
  }
  EXPECT_EQ(eq.workLeft.capacity, 1024);
}

// One band raised at a time, measured where that band acts fully: the band
// shelves at their centres, the low shelf far below and the high shelf far
// above its corner. (The band shelves peak at the geometric middle of band
// edges placed half the width either side of the centre, so the low-mid
// band, wide for its centre, is a little short of the full gain there.)
TEST(Eq4Band, MeasuredGainAtBandCentres) {
  struct Case {
    int band;
    double f;
    double tol24;  // how close the shelf gets to its full gain there
  };
  const Case cases[] = {
      {Eq4Band::kBass, 15.0, 0.05},
      {Eq4Band::kLoMi, 350.0, 0.15},
      {Eq4Band::kHiMi, 1600.0, 0.05},
      {Eq4Band::kHigh, 20000.0, 0.05},
  };
  for (double rate : {44100.0, 48000.0}) {
    for (const Case& c : cases) {
      for (double amount : {1.0, Eq4Band::k3dBEqAmountBoost, 0.0}) {
        Eq4Band eq;
        eq.setSampleRate(rate);
        eq.setBlockSize(512);
        eq.reset();
        setAll(eq, 0.5);
        eq.bands[c.band].setAmount(amount);
        const double want = -24.0 + 48.0 * amount;
        const double g = measure::dB(
            measure::gainAt([&](double** io, int n) { eq.process(io, n); }, c.f, rate, 65536));
        EXPECT_NEAR(g, want, c.tol24 * std::fabs(want) / 24.0 + 0.002)
            << rate << " band " << c.band << " amount " << amount;
        // The measured gain is the design's own response.
        EXPECT_NEAR(g, measure::dB(UnitFilters::magnitude(*eq.bands[c.band].filter, c.f / rate)),
                    0.002);
      }
    }
  }
}

TEST(Eq4Band, FlatAmountsPassTheSignal) {
  Eq4Band eq;
  setAll(eq, 0.5);
  measure::Noise noise;
  for (int k = 0; k < 16; ++k) {
    Block b(512);
    for (int i = 0; i < 512; ++i) {
      b.l[i] = noise.next();
      b.r[i] = noise.next();
    }
    const Block in = b;
    eq.process(b.io, 512);
    // The glide from -6 dB, and the slow low-band poles forgetting it.
    if (k < 8) continue;
    // Up to the filter library's alternating 1e-8 denormal guard.
    for (int i = 0; i < 512; ++i) {
      ASSERT_NEAR(b.l[i], in.l[i], 1e-7);
      ASSERT_NEAR(b.r[i], in.r[i], 1e-7);
    }
  }
}

// Every band keeps its own frequency, width and gain across rate changes;
// a frequency above half a low rate is held below it and comes back.
TEST(Eq4Band, BandsSurviveRateChanges) {
  Eq4Band eq;
  eq.setBassAmount(0.6);
  eq.setLoMiAmount(0.7);
  eq.setHiMiAmount(1.0);
  eq.setHighAmount(0.2);
  const double gains[] = {-24.0 + 48.0 * 0.6, -24.0 + 48.0 * 0.7, 24.0, -24.0 + 48.0 * 0.2};
  const double frequencies[] = {150.0, 350.0, 1600.0, 4000.0};
  for (double rate : {48000.0, 22050.0, 96000.0, 8000.0, 44100.0}) {
    eq.setSampleRate(rate);
    for (int b = 0; b < 4; ++b) {
      const Dsp::Filter* f = eq.bands[b].filter;
      EXPECT_EQ(idValue(f, Dsp::idSampleRate), rate);
      EXPECT_EQ(idValue(f, Dsp::idFrequency), std::min(frequencies[b], 0.49 * rate)) << rate;
      EXPECT_NEAR(idValue(f, Dsp::idGain), gains[b], 1e-12);
      EXPECT_NEAR(eq.bands[b].gainDb(), gains[b], 1e-12);
    }
    EXPECT_EQ(idValue(eq.bands[Eq4Band::kHiMi].filter, Dsp::idBandwidthHz), 1000.0);
    EXPECT_EQ(idValue(eq.bands[Eq4Band::kLoMi].filter, Dsp::idBandwidthHz), 300.0);
  }
  // And the bands still do what they say at the new rate: the measured gain
  // is that of the four bands in series.
  eq.setSampleRate(48000.0);
  eq.reset();
  for (double f : {100.0, 1600.0, 8000.0}) {
    double want = 0.0;
    for (int b = 0; b < 4; ++b)
      want += measure::dB(UnitFilters::magnitude(*eq.bands[b].filter, f / 48000.0));
    const double g = measure::dB(
        measure::gainAt([&](double** io, int n) { eq.process(io, n); }, f, 48000.0, 32768));
    EXPECT_NEAR(g, want, 0.002) << f;
  }
  EXPECT_NEAR(measure::dB(UnitFilters::magnitude(*eq.bands[Eq4Band::kHiMi].filter, 1600 / 48000.0)),
              24.0, 0.05);
}

// Switching in from bypass crossfades from the input to the equalised
// signal over 500 frames; switching out crossfades back; once out the block
// is left alone.
TEST(Eq4Band, BypassRamp) {
  Eq4Band eq, reference;
  for (Eq4Band* e : {&eq, &reference}) {
    setAll(*e, 1.0);
    e->setBlockSize(512);
  }
  eq.setBypass(true);
  eq.fadeGain = 0.0;
  measure::Noise noise;
  auto fill = [&](Block& b) {
    for (int i = 0; i < b.size(); ++i) b.l[i] = b.r[i] = noise.next();
  };
  {
    Block b(512);
    fill(b);
    const Block in = b;
    eq.process(b.io, 512);
    EXPECT_EQ(b.l, in.l);
  }
  // One block of both, checking the blend frame by frame while the
  // weight g moves by step.
  double g = 0.002;
  auto blended = [&](double step) {
    Block b(512);
    fill(b);
    Block ref = b;
    const Block in = b;
    eq.process(b.io, 512);
    reference.process(ref.io, 512);
    for (int i = 0; i < 512; ++i) {
      ASSERT_NEAR(b.l[i], (1.0 - g) * in.l[i] + g * ref.l[i], 1e-12) << i;
      g = std::min(1.0, std::max(0.0, g + step));
    }
  };
  eq.setBypass(false);
  blended(0.002);
  blended(0.002);
  EXPECT_EQ(eq.fadeGain, 1.0);
  eq.setBypass(true);
  g = 0.998;
  blended(-0.002);
  EXPECT_TRUE(eq.isFadedOut());
}

TEST(Eq4Band, LongBlockPassesUnchanged) {
  Eq4Band eq;
  setAll(eq, 1.0);
  Block b(1025, 0.25, -0.5);
  eq.process(b.io, 1025);
  EXPECT_EQ(b.l, std::vector<double>(1025, 0.25));
  EXPECT_EQ(b.r, std::vector<double>(1025, -0.5));
  eq.setBlockSize(1025);
  eq.process(b.io, 1025);
  EXPECT_NE(b.l, std::vector<double>(1025, 0.25));
}

// Two equalisers processed together give what each gives alone, while
// both are in, while one fades, once one is out, and when both are one.
TEST(Eq4Band, ProcessedTogetherAsEachAlone) {
  Eq4Band together[2], alone[2];
  for (Eq4Band* set : {together, alone}) {
    setAll(set[0], 0.8);
    setAll(set[1], 0.3);
    set[1].setHiMiAmount(0.65);
    for (int e = 0; e < 2; ++e) set[e].setBlockSize(256);
  }
  measure::Noise noise;
  // Blocks of lengths around the processing's own steps, once the bands'
  // glides from their first settings are over; then a bypass switched on
  // and off, its fades, and a band changed on the way.
  const int lengths[] = {256, 256, 3, 64, 17, 256, 1, 200, 256, 256, 256, 256, 64, 64, 256};
  for (int k = 0; k < static_cast<int>(std::size(lengths)); ++k) {
    const int n = lengths[k];
    for (Eq4Band* set : {together, alone}) {
      if (k == 8) set[1].setBypass(true);
      if (k == 11) set[1].setBypass(false);
      if (k == 13) set[0].setBassAmount(0.6);
    }
    if (k < 2) {
      for (Eq4Band* set : {together, alone}) {
        Block warm(n);
        for (int e = 0; e < 2; ++e) set[e].process(warm.io, n);
      }
      continue;
    }
    Block a(n), b(n);
    for (int i = 0; i < n; ++i) {
      a.l[i] = noise.next();
      a.r[i] = noise.next();
      b.l[i] = noise.next();
      b.r[i] = noise.next();
    }
    Block refA = a, refB = b;
    ShelfEqualizer::processBoth(together[0], a.io, together[1], b.io, n);
    alone[0].process(refA.io, n);
    alone[1].process(refB.io, n);
    ASSERT_EQ(a.l, refA.l) << k;
    ASSERT_EQ(a.r, refA.r) << k;
    ASSERT_EQ(b.l, refB.l) << k;
    ASSERT_EQ(b.r, refB.r) << k;
  }
  // One unit as both: its block twice, in turn.
  Block a(64), ref(64);
  for (int i = 0; i < 64; ++i) a.l[i] = a.r[i] = ref.l[i] = ref.r[i] = noise.next();
  Block b = a, refB = ref;
  ShelfEqualizer::processBoth(together[0], a.io, together[0], b.io, 64);
  alone[0].process(ref.io, 64);
  alone[0].process(refB.io, 64);
  EXPECT_EQ(a.l, ref.l);
  EXPECT_EQ(b.l, refB.l);
}

TEST(Equalizer, ThreeBands) {
  Equalizer eq;
  ASSERT_EQ(eq.numBands, 3);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kBass].filter, Dsp::idFrequency), 150.0);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kMid].filter, Dsp::idFrequency), 800.0);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kMid].filter, Dsp::idBandwidthHz), 700.0);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kHigh].filter, Dsp::idFrequency), 4000.0);
  EXPECT_EQ(eq.bands[Equalizer::kHigh].filter->getKind(), Dsp::kindHighShelf);

  eq.setBassAmount(Equalizer::k2_5dBEqAmount);
  eq.setMidAmount(Equalizer::k1dBEqAmount);
  eq.setHighAmount(Equalizer::k2dBEqAmount);
  EXPECT_NEAR(eq.getBassGainDb(), 2.52, 1e-12);
  EXPECT_NEAR(eq.getMidGainDb(), 0.96, 1e-12);
  EXPECT_NEAR(eq.getHighGainDb(), 2.016, 1e-12);

  eq.setSampleRate(48000.0);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kMid].filter, Dsp::idFrequency), 800.0);
  EXPECT_EQ(idValue(eq.bands[Equalizer::kMid].filter, Dsp::idBandwidthHz), 700.0);
  EXPECT_NEAR(eq.getMidGainDb(), 0.96, 1e-12);

  eq.setMidAmount(1.0);
  eq.setBassAmount(0.5);
  eq.setHighAmount(0.5);
  eq.reset();
  const double g = measure::dB(
      measure::gainAt([&](double** io, int n) { eq.process(io, n); }, 800.0, 48000.0, 32768));
  EXPECT_NEAR(g, 24.0, 0.2);
  EXPECT_NEAR(g,
              measure::dB(UnitFilters::magnitude(*eq.bands[Equalizer::kMid].filter, 800 / 48000.0)),
              0.002);

  // Flat amounts pass the signal once the glide is over.
  eq.setMidAmount(0.5);
  Block b(8192);
  for (int i = 0; i < 8192; ++i) b.l[i] = b.r[i] = std::sin(0.05 * i);
  const Block in = b;
  for (int k = 0; k < 8; ++k) {
    double* part[2] = {b.l.data() + 1024 * k, b.r.data() + 1024 * k};
    eq.process(part, 1024);
  }
  for (int i = 6144; i < 8192; ++i) ASSERT_NEAR(b.l[i], in.l[i], 1e-7);
}

}  // namespace
