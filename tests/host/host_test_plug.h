#pragma once

// A stereo plug-in with a known processing that carries state from block to
// block, and that notes whatever a host does wrong: a block while inactive,
// a block longer than the block size. It records incoming MIDI.

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "IFxStandalone.h"

class HostTestPlug : public IFxStandalone {
public:
  HostTestPlug()
      : IFxStandalone(Info(), 1, "2-2", 1, "Host Test", "Host Test", "Test Maker", 0x010000,
                      0x48547374, 0x4D6B7231, 0, false, false, false, 0) {}

  // Left: one-pole low pass; right: the input less half the previous one.
  static void Render(const double* inL, const double* inR, double* outL, double* outR, int n,
                     double* stateL, double* stateR) {
    for (int i = 0; i < n; ++i) {
      const double l = inL[i], r = inR[i];
      *stateL = 0.75 * *stateL + 0.25 * l;
      outL[i] = *stateL;
      outR[i] = r - 0.5 * *stateR;
      *stateR = r;
    }
  }

  void Reset() override {
    IFxBase::Reset();
    mStateL = mStateR = 0.0;
  }
  void OnActivate(bool active) override {
    IFxBase::OnActivate(active);
    mActive = active;
    ++(active ? mActivations : mDeactivations);
  }
  void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
    if (!mActive) mRanInactive = true;
    if (nFrames > GetBlockSize()) mOversized = true;
    if (mRecordCalls) mCalls.push_back({in[0], nFrames});
    if (mRecordCalls) mRightInputs.push_back(in[1]);
    ++mBlocks;
    Render(in[0], in[1], out[0], out[1], nFrames, &mStateL, &mStateR);
  }
  void ProcessMidiMsg(IMidiMsg* msg) override {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    mMidi.push_back(*msg);
  }
  std::vector<IMidiMsg> Midi() {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    return mMidi;
  }

  std::atomic<bool> mActive{false}, mRanInactive{false}, mOversized{false};
  std::atomic<int> mBlocks{0}, mActivations{0}, mDeactivations{0};
  // Only for hosts driven by the test itself (not real time).
  bool mRecordCalls = false;
  std::vector<std::pair<const double*, int>> mCalls;
  std::vector<const double*> mRightInputs;

private:
  static IFxInstanceInfo Info() {
    IFxInstanceInfo info;
    info.mBundleID.Set("com.test.host");
    return info;
  }

  double mStateL = 0.0, mStateR = 0.0;
  std::mutex mMidiMutex;
  std::vector<IMidiMsg> mMidi;
};
