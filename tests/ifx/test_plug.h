#pragma once

// A small plug-in with one parameter of each type, and helpers to compare
// everything a load may change.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "IFxStandalone.h"

constexpr int FourCC(char a, char b, char c, char d) {
  return static_cast<int>(static_cast<unsigned>(static_cast<unsigned char>(a)) << 24 |
                          static_cast<unsigned>(static_cast<unsigned char>(b)) << 16 |
                          static_cast<unsigned>(static_cast<unsigned char>(c)) << 8 |
                          static_cast<unsigned char>(d));
}

class TestPlug : public IFxStandalone {
public:
  enum { kGain, kMode, kSteps, kSwitch, kNumParams };
  static constexpr int kID = FourCC('T', 's', 't', '1');
  static constexpr int kVersion = 0x010203;  // 1.2.3

  explicit TestPlug(bool chunks = true, int nPresets = 4, bool midi = false,
                    void* midiOut = nullptr, unsigned short* midiChan = nullptr)
      : IFxStandalone(Info(midiOut, midiChan), kNumParams, "1-1 2-2", nPresets, "Test Effect",
                      "Test Product", "Test Maker", kVersion, kID, FourCC('M', 'k', 'r', '1'), 0,
                      midi, chunks, false, 0) {
    GetParam(kGain)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.001, "dB", "Main");
    GetParam(kMode)->InitEnum("Mode", 1, 3, "", "Main");
    GetParam(kSteps)->InitInt("Steps", 5, 0, 10, "st", "Main");
    GetParam(kSwitch)->InitBool("Switch", false, "", "Main");
  }

  void OnParamChange(int paramIdx) override {
    IFxBase::OnParamChange(paramIdx);
    changes.push_back(paramIdx);
    if (onParamChange) onParamChange();
  }
  void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
    if (onProcess) onProcess();
    IFxBase::ProcessDoubleReplacing(in, out, nFrames);
  }
  void InformHostOfProgramChange() override { ++programChanges; }
  void InformHostOfParamChange(int idx, double v) override { informed.push_back({idx, v}); }

  // Sets the four parameters by plain value and dispatches them.
  void SetValues(double gain, int mode, int steps, bool on) {
    GetParam(kGain)->Set(gain);
    GetParam(kMode)->Set(mode);
    GetParam(kSteps)->Set(steps);
    GetParam(kSwitch)->Set(on ? 1.0 : 0.0);
    OnParamReset();
  }
  std::vector<double> Values() const {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
    return v;
  }

  std::vector<int> changes;
  std::vector<std::pair<int, double>> informed;
  int programChanges = 0;
  std::function<void()> onParamChange;
  std::function<void()> onProcess;

private:
  static IFxInstanceInfo Info(void* midiOut, unsigned short* midiChan) {
    IFxInstanceInfo info;
    info.mBundleID.Set("com.test.effect");
    info.mMidiOut = midiOut;
    info.mMidiOutChan = midiChan;
    return info;
  }
};

// Everything a refused load must leave as it was: the running state, every
// preset's name, flag and state, and the current preset index.
inline std::string Everything(TestPlug& plug) {
  ByteChunk c;
  plug.SerializeState(&c);
  std::string s(reinterpret_cast<const char*>(c.GetBytes()), static_cast<size_t>(c.Size()));
  for (int i = 0; i < plug.NPresets(); ++i) {
    const IPreset* p = plug.GetPreset(i);
    s += "|" + std::string(p->mName) + (p->mInitialized ? "+" : "-");
    s.append(reinterpret_cast<const char*>(p->mChunk.GetBytes()),
             static_cast<size_t>(p->mChunk.Size()));
  }
  return s + "|" + std::to_string(plug.GetCurrentPresetIdx());
}

inline std::string ChunkBytes(const ByteChunk& c) {
  return std::string(reinterpret_cast<const char*>(c.GetBytes()), static_cast<size_t>(c.Size()));
}

inline ByteChunk* ChunkOf(const std::string& bytes, ByteChunk* c) {
  c->Clear();
  c->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return c;
}

// A file path unique to this test process.
inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "ifx_" + std::to_string(getpid()) + "_" + name;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A thread that tries to take a mutex: whether it got in within a while shows
// whether someone else holds it.
class MutexProbe {
public:
  void Start(KIT_Mutex* m) {
    mThread = std::thread([this, m] {
      m->Lock();
      mEntered = true;
      m->Unlock();
    });
  }
  bool EnteredWithin(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return mEntered;
  }
  void Join() {
    if (mThread.joinable()) mThread.join();
  }
  bool Entered() const { return mEntered; }

private:
  std::thread mThread;
  std::atomic<bool> mEntered{false};
};
