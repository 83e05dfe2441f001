// The audio and MIDI libraries' reports on std::cerr, and the informative
// messages of the audio server's client library, held in memory and written
// out by the main thread.
//
// RtAudio writes one of them from the JACK client library's notification
// thread as the server goes away, while another thread is already
// cancelling that thread. Cancelled inside stdio, it left standard output or
// standard error locked for ever (every later message of the program then
// waited, the window froze) or ended the program. Writing into memory takes
// no lock that can be left held and reaches no cancellation point. That
// thread is also made to stop only at cancellation points (the platform
// sees to it as the library reports the server gone): C++ code cancelled at
// just any instruction can end the program.

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <iostream>
#include <streambuf>

#include "app_main.h"
#include "platform/audio_server.h"

namespace {

class HeldReports : public std::streambuf {
public:
  // Main thread: writes out what was held. Nothing when a writer is at work
  // (or was stopped at work): it is tried again at the next call.
  void writeOut(FILE* to) {
    if (mBusy.exchange(true, std::memory_order_acquire)) return;
    char text[kSize];
    const size_t used = mUsed;
    memcpy(text, mText, used);
    mUsed = 0;
    mBusy.store(false, std::memory_order_release);
    if (used) {
      fwrite(text, 1, used, to);
      fflush(to);
    }
  }

  // Any thread: keeps a text, or drops it when another writer is at work.
  void hold(const char* s, size_t n) { xsputn(s, static_cast<std::streamsize>(n)); }

protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    // Another writer at work: this text is dropped rather than waited for.
    if (n <= 0 || mBusy.exchange(true, std::memory_order_acquire)) return n;
    const size_t room = kSize - mUsed;
    const size_t take = static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room;
    memcpy(mText + mUsed, s, take);
    mUsed += take;
    mBusy.store(false, std::memory_order_release);
    return n;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
  }

private:
  static constexpr size_t kSize = 8192;  // beyond this, until written out, text is dropped
  std::atomic<bool> mBusy{false};
  char mText[kSize];
  size_t mUsed = 0;
};

// Never destroyed: std::cerr is flushed after every static of the program is
// gone.
HeldReports* gHeldReports = nullptr;

// The audio server's client library reports one message at a time, on its
// own threads (its errors stay unheard, as RtAudio wants them).
void HoldServerReport(const char* text) {
  gHeldReports->hold(text, strlen(text));
  gHeldReports->hold("\n", 1);
}

}  // namespace

void HoldLibraryReports() {
  if (gHeldReports) return;
  gHeldReports = new HeldReports;
  plat::routeAudioServerMessages(HoldServerReport);
  std::cerr.rdbuf(gHeldReports);
  // Tied to std::cout, every report would first flush standard output.
  std::cerr.tie(nullptr);
  // Held in memory, nothing needs the flush after every insertion, which
  // in a fresh thread is also the longest stretch that cannot be unwound.
  std::cerr.unsetf(std::ios_base::unitbuf);
}

void KeepAudioServerGuard() {
  if (gHeldReports) plat::routeAudioServerMessages(HoldServerReport);
}

void WriteLibraryReports() {
  if (gHeldReports) gHeldReports->writeOut(stderr);
}
