#include "platform/audio_server.h"

#include <jack/jack.h>
#include <pthread.h>
#include <string.h>

#include <atomic>

namespace plat {
namespace {

std::atomic<AudioServerReport> gReport{nullptr};

// What the client library's notification thread says when its socket to the
// server reads nothing more, just before it runs the shutdown handlers.
bool SaysTheServerIsGone(const char* text) {
  return !strncmp(text, "Cannot read socket", 18) ||
         !strcmp(text, "JackSocketClientChannel read fail");
}

// Plain C-like code: no frame here needs unwinding help, since the audio
// thread may be cancelled while it reports.
void OnError(const char* text) {
  if (!text) return;
  // Only threads that read the socket say so, never the audio thread: that
  // one keeps its asynchronous cancellation, which is how the library stops
  // it in a wait.
  if (SaysTheServerIsGone(text)) pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
  if (AudioServerReport report = gReport.load()) report(text);
}

void OnInfo(const char* text) {
  if (!text) return;
  if (AudioServerReport report = gReport.load()) report(text);
}

}  // namespace

void routeAudioServerMessages(AudioServerReport report) {
  gReport.store(report);
  jack_set_error_function(report ? OnError : nullptr);
  jack_set_info_function(report ? OnInfo : nullptr);
}

}  // namespace plat
