#include "DistortionFx.h"

namespace Rawnfield {

DistortionFx::DistortionFx(DistortionDataProvider& provider) : distortion(provider) {}

void DistortionFx::process(double** io, double* distMod, double* shaperMod, int n) {
  bitCrasher.process(io, n);
  smpRateConverter.process(io, n);
  noiseGate.process(io, io, n);
  distortion.distort(io, distMod, n);
  dynShaper.process(io, shaperMod, n);
}

void DistortionFx::setSampleRate(double rate) {
  distortion.setSampleRate(rate);
  dynShaper.setSampleRate(rate);
  smpRateConverter.setSampleRate(rate);
}

void DistortionFx::setBlockSize(int n) {
  distortion.setBlockSize(n);
  smpRateConverter.setBlockSize(n);
}

void DistortionFx::setBypass(bool on) {
  bitCrasher.off = on;
  distortion.off = on;
  dynShaper.setBypass(on);
  smpRateConverter.setBypass(on);
}

DistoFxUnit::DistoFxUnit()
    : chains{DistortionFx(provider), DistortionFx(provider), DistortionFx(provider)} {}

void DistoFxUnit::init() {
  forEachChain([](DistortionFx& c) { c.init(); });
}

void DistoFxUnit::setSampleRate(double rate) {
  forEachChain([rate](DistortionFx& c) { c.setSampleRate(rate); });
}

void DistoFxUnit::setBlockSize(int n) {
  forEachChain([n](DistortionFx& c) { c.setBlockSize(n); });
}

void DistoFxUnit::setBypass(bool on) {
  forEachChain([on](DistortionFx& c) { c.setBypass(on); });
}

void DistoFxUnit::process(double** io, int n) {
  audio().process(io, nullptr, nullptr, n);
}

void DistoFxUnit::setQuantization(double v) {
  forEachChain([v](DistortionFx& c) { c.bitCrasher.setQuantization(v); });
}

void DistoFxUnit::setSampleRateConversion(double v) {
  forEachChain([v](DistortionFx& c) { c.smpRateConverter.setSampleRateConversion(v); });
}

void DistoFxUnit::setGateThreshold(double v) {
  forEachChain([v](DistortionFx& c) { c.noiseGate.setThreshold(v); });
}

void DistoFxUnit::setDistortionAmount(double v) {
  master().distortion.setAmount(v);
  audio().distortion.setAmount(v);
}

void DistoFxUnit::setDistortionType(double v) {
  forEachChain([v](DistortionFx& c) { c.distortion.setType(v); });
}

void DistoFxUnit::setDistoMode(double v) {
  forEachChain([v](DistortionFx& c) { c.distortion.setDistoMode(v); });
}

void DistoFxUnit::setInterpolation(double v) {
  forEachChain([v](DistortionFx& c) { c.distortion.setInterpolation(v); });
}

void DistoFxUnit::setPolarity(double v) {
  forEachChain([v](DistortionFx& c) { c.distortion.setPolarity(v); });
}

void DistoFxUnit::setShaperAmount(double v) {
  forEachChain([v](DistortionFx& c) { c.dynShaper.setAmount(v); });
}

void DistoFxUnit::setShaperInvert(double v) {
  forEachChain([v](DistortionFx& c) { c.dynShaper.setInvert(v != 0.0); });
}

void DistoFxUnit::setShaperType(double v) {
  forEachChain([v](DistortionFx& c) { c.dynShaper.setType(v); });
}

void DistoFxUnit::setShaperMode(double v) {
  forEachChain([v](DistortionFx& c) { c.dynShaper.setMode(v); });
}

void DistoFxUnit::setShaperApplyMode(double v) {
  forEachChain([v](DistortionFx& c) { c.dynShaper.setApplyMode(v); });
}

void DistoFxUnit::dataAction(Types::eDistoCurveAction action) {
  forEachChain([action](DistortionFx& c) { c.distortion.dataAction(action); });
}

void DistoFxUnit::setLutValue(unsigned short i, double v) {
  forEachChain([i, v](DistortionFx& c) { c.distortion.setLutValue(i, v); });
}

void DistoFxUnit::restoreUserCurve(const double* values, int n) {
  if (!values) return;
  forEachChain([values, n](DistortionFx& c) {
    for (int i = 0; i < n && i <= 0xffff; ++i)
      c.distortion.setUserLutValue(static_cast<unsigned short>(i), values[i]);
    c.distortion.applyUserData();
  });
}

void DistoFxUnit::copyMasterCurve() {
  audio().distortion.copyLutData(&master().distortion);
  subBand().distortion.copyLutData(&master().distortion);
}

void DistoFxUnit::updateDistoGuiData(double* curve, int nCurve, double* wave, int nWave) {
  master().distortion.updateGUIData(curve, static_cast<unsigned short>(nCurve), wave,
                                    static_cast<unsigned short>(nWave));
}

void DistoFxUnit::updateDynShaperGuiData(double* curve, int nCurve, double* wave, int nWave) {
  master().dynShaper.updateGUIData(curve, nCurve, wave, nWave);
}

}  // namespace Rawnfield
