// The host's audio devices and its duplex stream: the plug-in runs in
// sub-blocks of the signal vector size, after a muted start and a fade-in.

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "IFxStandalone.h"
#include "app_main.h"

const char* const kIOVSOptions[] = {"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192"};
const int kNumIOVSOptions = sizeof kIOVSOptions / sizeof kIOVSOptions[0];
const char* const kSIGVSOptions[] = {"16", "32", "64", "128", "256", "512", "1024"};
const int kNumSIGVSOptions = sizeof kSIGVSOptions / sizeof kSIGVSOptions[0];

IFxStandalone* gPluginInstance = nullptr;
RtAudio* gDAC = nullptr;
std::vector<unsigned int> gAudioInputDevs;
std::vector<unsigned int> gAudioOutputDevs;
std::vector<std::string> gAudioIDDevNames;
std::vector<RtAudio::DeviceInfo> gAudioDevInfos;
unsigned int gIOVS = 512;
unsigned int gSigVS = 32;
unsigned int gBufIndex = 0;
std::atomic<unsigned int> gVecElapsed{0};
double gFadeMult = 0.0;
std::atomic<unsigned int> gUnderflows{0};

namespace {

const unsigned int kMutedCallbacks = 51;
const double kOutputGain = 0.25;

std::vector<RtAudio::Api> DriverApis() {
  std::vector<RtAudio::Api> compiled, apis;
  RtAudio::getCompiledApi(compiled);
  for (RtAudio::Api api : compiled)
    if (api != RtAudio::RTAUDIO_DUMMY) apis.push_back(api);
  return apis;
}

// A decimal number, or 0 when the text is not one.
unsigned int ParseUnsigned(const char* text) {
  if (!text || *text < '0' || *text > '9') return 0;
  char* end = nullptr;
  const unsigned long v = strtoul(text, &end, 10);
  return *end || v > 0xFFFFFFFFul ? 0 : static_cast<unsigned int>(v);
}

bool IsSigVSOption(unsigned int v) {
  for (int i = 0; i < kNumSIGVSOptions; ++i)
    if (v == ParseUnsigned(kSIGVSOptions[i])) return true;
  return false;
}

bool Info(RtAudio* dac, unsigned int id, RtAudio::DeviceInfo* info) {
  // The audio object's devices as last listed: asking again costs a round
  // trip to the server (a new JACK client) each time.
  if (dac == gDAC && id < gAudioDevInfos.size()) {
    *info = gAudioDevInfos[id];
    return info->probed;
  }
  try {
    if (id >= dac->getDeviceCount()) return false;
    *info = dac->getDeviceInfo(id);
    return info->probed;
  } catch (const RtAudioError&) {
    return false;
  }
}

// The driver's default input and output when both can carry two channels.
bool DefaultDuplexPair(RtAudio* dac, unsigned int* in, unsigned int* out) {
  try {
    if (!dac->getDeviceCount()) return false;
    *in = dac->getDefaultInputDevice();
    *out = dac->getDefaultOutputDevice();
  } catch (const RtAudioError&) {
    return false;
  }
  RtAudio::DeviceInfo inInfo, outInfo;
  return Info(dac, *in, &inInfo) && Info(dac, *out, &outInfo) && inInfo.inputChannels >= 2 &&
         outInfo.outputChannels >= 2;
}

// The first driver whose default devices can play and record two channels,
// or -1.
int FirstDriverWithDuplexPair() {
  const std::vector<RtAudio::Api> apis = DriverApis();
  for (size_t i = 0; i < apis.size(); ++i) {
    try {
      RtAudio dac(apis[i]);
      KeepAudioServerGuard();
      dac.showWarnings(false);
      unsigned int in, out;
      if (DefaultDuplexPair(&dac, &in, &out)) return static_cast<int>(i);
    } catch (const RtAudioError&) {
    }
  }
  return -1;
}

// On the first start: the first driver with a usable duplex pair, so that a
// desktop without a JACK server still plays. The saved type stays when none
// has one.
void ChooseFirstStartDriver() {
  const int driver = FirstDriverWithDuplexPair();
  if (driver >= 0) gState->mAudioDriverType = static_cast<uint16_t>(driver);
}

// The audio object's default input or output device (0 when it cannot say).
// Each question is a round trip to the server: asked only when needed.
unsigned int DefaultDevice(bool input) {
  try {
    return input ? gDAC->getDefaultInputDevice() : gDAC->getDefaultOutputDevice();
  } catch (const RtAudioError&) {
    return 0;
  }
}

bool Listed(const std::vector<unsigned int>& ids, unsigned int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The default device for a placeholder name, else the first listed one.
bool ResolvePlaceholder(char (&field)[100], const char* placeholder,
                        const std::vector<unsigned int>& listed, bool input) {
  if (strcmp(field, placeholder) || listed.empty()) return false;
  const unsigned int defaultId = DefaultDevice(input);
  const unsigned int id = Listed(listed, defaultId) ? defaultId : listed.front();
  SetAppStateText(field, GetAudioDeviceName(id).c_str());
  return true;
}

// A sample rate both devices offer: the saved one, else the output's
// preferred one, else the first they share.
void FitSampleRate() {
  RtAudio::DeviceInfo in, out;
  const int inId = GetAudioDeviceID(gState->mAudioInDev), outId = GetAudioDeviceID(gState->mAudioOutDev);
  if (inId < 0 || outId < 0 || !Info(gDAC, static_cast<unsigned>(inId), &in) ||
      !Info(gDAC, static_cast<unsigned>(outId), &out))
    return;
  auto both = [&](unsigned int rate) {
    return Listed(in.sampleRates, rate) && Listed(out.sampleRates, rate);
  };
  unsigned int rate = ParseUnsigned(gState->mAudioSR);
  if (!both(rate)) {
    rate = 0;
    if (both(out.preferredSampleRate)) {
      rate = out.preferredSampleRate;
    } else {
      for (unsigned int r : in.sampleRates)
        if (both(r)) {
          rate = r;
          break;
        }
    }
  }
  if (!rate) return;
  char text[16];
  snprintf(text, sizeof text, "%u", rate);
  SetAppStateText(gState->mAudioSR, text);
}

void ResolvePlaceholderDevices() {
  bool changed = ResolvePlaceholder(gState->mAudioInDev, kDefaultAudioInDev, gAudioInputDevs, true);
  changed |= ResolvePlaceholder(gState->mAudioOutDev, kDefaultAudioOutDev, gAudioOutputDevs, false);
  if (!changed) return;
  FitSampleRate();
  UpdateINI();
}

// The first error RtAudio reported for the stream, kept until the main
// thread takes it. RtAudio calls StreamError on whichever thread met the
// error, the audio thread included: it only copies the text into place.
std::atomic<bool> gStreamErrorTaken{true};  // true: the slot is free
std::atomic<bool> gStreamErrorReady{false};
char gStreamError[256];

void StreamError(RtAudioError::Type type, const std::string& text) {
  if (type == RtAudioError::WARNING || type == RtAudioError::DEBUG_WARNING) return;
  bool slotFree = true;
  if (!gStreamErrorTaken.compare_exchange_strong(slotFree, false)) return;
  snprintf(gStreamError, sizeof gStreamError, "%s", text.c_str());
  gStreamErrorReady.store(true, std::memory_order_release);
}

// The error reported since the last call, or "".
std::string TakeStreamError() {
  if (!gStreamErrorReady.load(std::memory_order_acquire)) return std::string();
  std::string text = gStreamError;
  gStreamErrorReady.store(false, std::memory_order_relaxed);
  gStreamErrorTaken.store(true, std::memory_order_release);
  return text;
}

// What the main thread knows of the stream: never started (or stopped on
// purpose), playing, or lost (it stopped by itself and is tried again).
enum class StreamWatch { kIdle, kPlaying, kLost };
StreamWatch gWatch = StreamWatch::kIdle;
std::string gStoppedReason;
double gNextRetry = 0.0;
const double kRetrySeconds = 2.0;

bool StreamRunning() {
  if (!gDAC) return false;
  try {
    return gDAC->isStreamRunning();
  } catch (const RtAudioError&) {
    return false;
  }
}

// Ends the stream, if any, and tells the plug-in that no block runs.
void EndStream(bool abort) {
  if (!gDAC) return;
  try {
    if (gDAC->isStreamRunning()) {
      if (abort)
        gDAC->abortStream();
      else
        gDAC->stopStream();
    }
  } catch (const RtAudioError& e) {
    e.printMessage();
  }
  try {
    if (gDAC->isStreamOpen()) gDAC->closeStream();
  } catch (const RtAudioError& e) {
    e.printMessage();
  }
  if (gPluginInstance) gPluginInstance->OnActivate(false);
}

}  // namespace

int NumAudioDrivers() { return static_cast<int>(DriverApis().size()); }

std::string GetAudioDriverName(int index) {
  const std::vector<RtAudio::Api> apis = DriverApis();
  if (index < 0 || index >= static_cast<int>(apis.size())) return std::string();
  return RtAudio::getApiDisplayName(apis[static_cast<size_t>(index)]);
}

bool TryToChangeAudioDriverType() {
  if (gDAC) {
    EndStream(true);
    delete gDAC;
    gDAC = nullptr;
  }
  gAudioDevInfos.clear();
  if (!gState) return false;
  if (gFirstStart) {
    gFirstStart = false;
    ChooseFirstStartDriver();
    UpdateINI();
  }
  const std::vector<RtAudio::Api> apis = DriverApis();
  if (gState->mAudioDriverType >= apis.size()) return false;
  try {
    gDAC = new RtAudio(apis[gState->mAudioDriverType]);
    KeepAudioServerGuard();
  } catch (const RtAudioError& e) {
    e.printMessage();
    return false;
  }
  return true;
}

void ProbeAudioIO() {
  gAudioInputDevs.clear();
  gAudioOutputDevs.clear();
  gAudioIDDevNames.clear();
  gAudioDevInfos.clear();
  if (!gDAC) return;
  unsigned int count = 0;
  try {
    count = gDAC->getDeviceCount();
  } catch (const RtAudioError& e) {
    e.printMessage();
  }
  for (unsigned int i = 0; i < count; ++i) {
    RtAudio::DeviceInfo info;
    info.probed = false;
    try {
      info = gDAC->getDeviceInfo(i);
    } catch (const RtAudioError& e) {
      e.printMessage();
    }
    std::string name = info.name;
    const size_t colon = name.rfind(": ");
    if (colon != std::string::npos && name.size() >= 2) name = name.substr(colon + 2);
    gAudioIDDevNames.push_back(name);
    gAudioDevInfos.push_back(info);
    if (info.probed && name != "Generic Low Latency ASIO Driver") {
      if (info.inputChannels) gAudioInputDevs.push_back(i);
      if (info.outputChannels) gAudioOutputDevs.push_back(i);
    } else {
      printf("%s: Probe Status = Unsuccessful\n", name.c_str());
    }
  }
}

std::string GetAudioDeviceName(unsigned int id) {
  return id < gAudioIDDevNames.size() ? gAudioIDDevNames[id] : std::string();
}

int GetAudioDeviceID(const char* name) {
  if (!name) return -1;
  for (size_t i = 0; i < gAudioIDDevNames.size(); ++i)
    if (gAudioIDDevNames[i] == name) return static_cast<int>(i);
  return -1;
}

bool GetAudioDeviceInfo(unsigned int id, RtAudio::DeviceInfo* info) {
  return gDAC && info && Info(gDAC, id, info);
}

bool FallBackToWorkingDriver() {
  if (!gState || (gDAC && !gAudioInputDevs.empty() && !gAudioOutputDevs.empty())) return false;
  const int driver = FirstDriverWithDuplexPair();
  if (driver < 0 || driver == gState->mAudioDriverType) return false;
  fprintf(stderr, "The audio system %s offers no devices; using %s for this run.\n",
          GetAudioDriverName(gState->mAudioDriverType).c_str(), GetAudioDriverName(driver).c_str());
  gState->mAudioDriverType = static_cast<uint16_t>(driver);
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  return true;
}

void FitSavedDevicesToDriver() {
  if (!gDAC || !gState) return;
  // Placeholder names are resolved, and written back, when the stream starts.
  auto fitDevice = [&](char (&field)[100], const char* placeholder,
                       const std::vector<unsigned int>& listed, bool input, const char* side) {
    if (!strcmp(field, placeholder) || listed.empty()) return;
    const int id = GetAudioDeviceID(field);
    if (id >= 0 && Listed(listed, static_cast<unsigned>(id))) return;
    const unsigned int defId = DefaultDevice(input);
    const std::string name = GetAudioDeviceName(Listed(listed, defId) ? defId : listed.front());
    fprintf(stderr, "The audio %s device \"%s\" is not available; using \"%s\".\n", side, field,
            name.c_str());
    SetAppStateText(field, name.c_str());
  };
  fitDevice(gState->mAudioInDev, kDefaultAudioInDev, gAudioInputDevs, true, "input");
  fitDevice(gState->mAudioOutDev, kDefaultAudioOutDev, gAudioOutputDevs, false, "output");

  auto fitChannels = [&](const char* name, bool input, uint16_t* left, uint16_t* right) {
    const int id = GetAudioDeviceID(name);
    RtAudio::DeviceInfo info;
    if (id < 0 || !Info(gDAC, static_cast<unsigned>(id), &info)) return;
    const unsigned int count = input ? info.inputChannels : info.outputChannels;
    if (*left >= 1 && *left + 1u <= count) return;
    fprintf(stderr, "The audio %s device \"%s\" has no channels %u and %u; using 1 and 2.\n",
            input ? "input" : "output", name, static_cast<unsigned>(*left),
            static_cast<unsigned>(*left) + 1u);
    *left = 1;
    *right = 2;
  };
  fitChannels(gState->mAudioInDev, true, &gState->mAudioInChanL, &gState->mAudioInChanR);
  fitChannels(gState->mAudioOutDev, false, &gState->mAudioOutChanL, &gState->mAudioOutChanR);

  char rate[100];
  memcpy(rate, gState->mAudioSR, sizeof rate);
  FitSampleRate();
  if (strcmp(rate, gState->mAudioSR))
    fprintf(stderr, "The devices do not offer %s Hz; using %s Hz.\n", rate, gState->mAudioSR);
}

bool TryToChangeAudio() {
  if (!gDAC || !gState || gAudioIDDevNames.empty()) return false;
  ResolvePlaceholderDevices();
  const int inId = GetAudioDeviceID(gState->mAudioInDev);
  const int outId = GetAudioDeviceID(gState->mAudioOutDev);
  if (inId < 0 || outId < 0) return false;
  const unsigned int sr = ParseUnsigned(gState->mAudioSR);
  const unsigned int iovs = ParseUnsigned(gState->mAudioIOVS);
  if (!sr || !iovs) {
    printf("invalid sample rate \"%s\" or IO vector size \"%s\"\n", gState->mAudioSR,
           gState->mAudioIOVS);
    return false;
  }
  // Channel 0 does not exist: the first channel stands in for it.
  const unsigned int inFirst = gState->mAudioInChanL ? gState->mAudioInChanL - 1u : 0u;
  const unsigned int outFirst = gState->mAudioOutChanL ? gState->mAudioOutChanL - 1u : 0u;
  return InitialiseAudio(static_cast<unsigned>(inId), static_cast<unsigned>(outId), sr, iovs, 2,
                         inFirst, outFirst);
}

bool InitialiseAudio(unsigned int inId, unsigned int outId, unsigned int sampleRate,
                     unsigned int iovs, unsigned int channels, unsigned int inFirst,
                     unsigned int outFirst) {
  if (!gDAC || !gState) return false;
  EndStream(true);

  // Only the offered sizes reach the audio thread.
  const unsigned int sigvs = ParseUnsigned(gState->mAudioSigVS);
  if (!IsSigVSOption(sigvs)) {
    printf("invalid signal vector size \"%s\"\n", gState->mAudioSigVS);
    return false;
  }
  RtAudio::StreamParameters outParams, inParams;
  outParams.deviceId = outId;
  outParams.nChannels = channels;
  outParams.firstChannel = outFirst;
  inParams.deviceId = inId;
  inParams.nChannels = channels;
  inParams.firstChannel = inFirst;
  gIOVS = iovs;
  gSigVS = sigvs;

  printf("\ntrying to start audio stream @ %i sr, %i iovs, %i sigvs\nindev = %i:%s\noutdev = %i:%s\n",
         static_cast<int>(sampleRate), static_cast<int>(iovs), static_cast<int>(sigvs),
         static_cast<int>(inId), GetAudioDeviceName(inId).c_str(), static_cast<int>(outId),
         GetAudioDeviceName(outId).c_str());

  RtAudio::StreamOptions options;
  options.flags = RTAUDIO_NONINTERLEAVED;
  // The client name other programs (a JACK patchbay) show for the stream.
  options.streamName = APP_PRODUCT_NAME;
  TakeStreamError();  // an old stream's error is not this one's
  gBufIndex = 0;
  gVecElapsed = 0;
  gFadeMult = 0.0;
  if (gPluginInstance) {
    gPluginInstance->SetBlockSize(static_cast<int>(gSigVS));
    gPluginInstance->SetSampleRate(sampleRate);
    gPluginInstance->Reset();
    // From here on blocks may run.
    gPluginInstance->OnActivate(true);
  }
  bool started = false;
  try {
    gDAC->openStream(&outParams, &inParams, RTAUDIO_FLOAT64, sampleRate, &gIOVS, AudioCallback,
                     nullptr, &options, StreamError);
    // With an error callback RtAudio may report a failure there instead of
    // throwing: what counts is whether the stream runs.
    if (gDAC->isStreamOpen()) gDAC->startStream();
    started = gDAC->isStreamRunning();
  } catch (const RtAudioError& e) {
    e.printMessage();
  }
  if (!started) {
    const std::string error = TakeStreamError();
    if (!error.empty()) fprintf(stderr, "%s\n", error.c_str());
    EndStream(true);
    // A stream that was playing was ended on purpose; a lost one is still
    // tried again.
    if (gWatch == StreamWatch::kPlaying) gWatch = StreamWatch::kIdle;
    return false;
  }
  if (gActiveState) *gActiveState = *gState;
  gWatch = StreamWatch::kPlaying;
  gStoppedReason.clear();
  return true;
}

namespace {
int RenderCallback(double* out, double* in, unsigned int frames, RtAudioStreamStatus status) {
  // Counted only: the main thread says so (ReportUnderflows). Any write here
  // could block the audio thread on a full pipe.
  if (status) gUnderflows.fetch_add(1, std::memory_order_relaxed);
  if (!out) return 0;
  const unsigned int elapsed = gVecElapsed.load(std::memory_order_relaxed);
  if (elapsed < 0xFFFFFFFFu) gVecElapsed.store(elapsed + 1, std::memory_order_relaxed);
  const unsigned int sigvs = gSigVS;
  if (elapsed < kMutedCallbacks || !in || !gPluginInstance || !sigvs) {
    memset(out, 0, 2 * static_cast<size_t>(frames) * sizeof(double));
    return 0;
  }
  const bool mono = gState && __atomic_load_n(&gState->mAudioInIsMono, __ATOMIC_RELAXED);
  double* inR = mono ? in : in + frames;
  double* outR = out + frames;
  const double step = 1.0 / frames;
  // Sub-blocks never cross the end of the callback's buffers: when frames is
  // not a multiple of the signal vector size the last one is shorter.
  for (unsigned int s = 0; s < frames;) {
    const unsigned int n = std::min(sigvs, frames - s);
    double* ins[2] = {in + s, inR + s};
    double* outs[2] = {out + s, outR + s};
    gBufIndex = 0;
    gPluginInstance->LockMutexAndProcessDoubleReplacing(ins, outs, static_cast<int>(n));
    for (unsigned int k = s; k < s + n; ++k) {
      if (gFadeMult < 1.0) gFadeMult = std::min(gFadeMult + step, 1.0);
      out[k] *= gFadeMult;
      out[k] *= kOutputGain;
      outR[k] *= gFadeMult;
      outR[k] *= kOutputGain;
      ++gBufIndex;
    }
    s += n;
  }
  return 0;
}
}  // namespace

int AudioCallback(void* output, void* input, unsigned int frames, double, RtAudioStreamStatus status,
                  void*) {
  // When the server goes away the JACK client library cancels this thread
  // asynchronously, at whatever instruction it is on. Stopped inside a block
  // it could leave the plug-in lock held or end the program, so a cancel
  // waits until the block is done and is honoured here, on the way out.
  // None of these calls can block.
  int cancelState = PTHREAD_CANCEL_ENABLE;
  pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &cancelState);
  const int result =
      RenderCallback(static_cast<double*>(output), static_cast<double*>(input), frames, status);
  pthread_setcancelstate(cancelState, nullptr);
  pthread_testcancel();
  return result;
}

void StopAudio() {
  EndStream(false);
  if (gWatch == StreamWatch::kPlaying) gWatch = StreamWatch::kIdle;
}

bool AudioStreamRunning() { return StreamRunning(); }

bool RestartAudio() {
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  if (gAudioInputDevs.empty() || gAudioOutputDevs.empty()) return false;
  FitSavedDevicesToDriver();
  return TryToChangeAudio();
}

bool WatchAudio(double now, bool mayRetry) {
  const std::string error = TakeStreamError();
  if (gWatch == StreamWatch::kPlaying && !StreamRunning()) {
    gWatch = StreamWatch::kLost;
    const std::string driver = gState ? GetAudioDriverName(gState->mAudioDriverType) : "audio";
    gStoppedReason = !error.empty() ? error : driver + " server or device gone";
    fprintf(stderr, "Audio stopped: %s. Trying again every %g seconds.\n", gStoppedReason.c_str(),
            kRetrySeconds);
    // Whatever closes the stream (RtAudio's own thread, for JACK) may still
    // be at work: the audio object is left alone until the first retry.
    if (gPluginInstance) gPluginInstance->OnActivate(false);
    gNextRetry = now + kRetrySeconds;
    return true;
  }
  if (gWatch != StreamWatch::kLost || !mayRetry || now < gNextRetry) return false;
  gNextRetry = now + kRetrySeconds;
  if (!RestartAudio()) return false;
  fprintf(stderr, "Audio plays again (%s Hz).\n", gState ? gState->mAudioSR : "");
  return true;
}

std::string AudioStoppedReason() {
  return gWatch == StreamWatch::kLost ? gStoppedReason : std::string();
}

void ForgetAudioWatch() {
  gWatch = StreamWatch::kIdle;
  gStoppedReason.clear();
  gNextRetry = 0.0;
  TakeStreamError();
}

bool ReportUnderflows(double now) {
  static double lastReport = -1e300;
  if (now - lastReport < 1.0 || !gUnderflows.load(std::memory_order_relaxed)) return false;
  const unsigned int count = gUnderflows.exchange(0, std::memory_order_relaxed);
  lastReport = now;
  if (count > 1)
    printf("Stream underflow detected! (%u times)\n", count);
  else
    printf("Stream underflow detected!\n");
  fflush(stdout);
  return true;
}
