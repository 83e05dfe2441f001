#include "platform/audio_server.h"

#include <jack/jack.h>
#include <pthread.h>
#include <string.h>
#include <time.h>

#include <atomic>

namespace plat {
namespace {

std::atomic<AudioServerReport> gReport{nullptr};
pthread_t gProgramThread;
// When a notification thread last found its socket to the server closed,
// on the monotonic clock in milliseconds.
std::atomic<long long> gServerGoneAtMs{-1000000000LL};

long long NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// What the client library's notification thread says when its socket to the
// server reads nothing more: after a server was killed, just before it runs
// the shutdown handlers; after a server that stopped and said so, once the
// handlers are done.
bool SaysTheServerIsGone(const char* text) {
  return !strncmp(text, "Cannot read socket", 18) ||
         !strcmp(text, "JackSocketClientChannel read fail");
}

// What a client says when it asks a server that went away for something;
// the closing of a stream starts with such a question.
bool AsksAGoneServer(const char* text) { return !strcmp(text, "Server is not running"); }

// Plain C-like code: no frame here needs unwinding help, since the audio
// thread may be cancelled while it reports.
void OnError(const char* text) {
  if (!text) return;
  if (SaysTheServerIsGone(text)) {
    // Only threads that read the socket say so, never the audio thread: that
    // one keeps its asynchronous cancellation, which is how the library
    // stops it in a wait.
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
    gServerGoneAtMs.store(NowMs());
  } else if (AsksAGoneServer(text) && !pthread_equal(pthread_self(), gProgramThread)) {
    // A thread of the audio library closing the client for its shutdown
    // handler, which may still run on the notification thread. Closing
    // cancels that thread: it waits until the thread has found the socket
    // closed, which it does only outside the handler (at most 2 s, for a
    // server that lingers). A killed server's report came just before the
    // handler started this thread; an older one is another loss's.
    const long long start = NowMs();
    while (NowMs() - gServerGoneAtMs.load() > 250 && NowMs() - start < 2000) {
      const timespec pause = {0, 5 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
  }
  // The errors themselves stay unheard: the audio library silences them
  // (a desktop without the server would see several at every retry).
}

void OnInfo(const char* text) {
  if (!text) return;
  if (AudioServerReport report = gReport.load()) report(text);
}

}  // namespace

void routeAudioServerMessages(AudioServerReport report) {
  gProgramThread = pthread_self();
  gReport.store(report);
  jack_set_error_function(report ? OnError : nullptr);
  jack_set_info_function(report ? OnInfo : nullptr);
}

}  // namespace plat
