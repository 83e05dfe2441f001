// The audio and MIDI libraries' reports on std::cerr, held in memory and
// written out by the main thread.
//
// RtAudio writes one of them from the JACK server's own thread as the server
// goes away, while another thread is already cancelling that thread at
// whatever instruction it is on. Cancelled inside stdio, it left standard
// output or standard error locked for ever (every later message of the
// program then waited, the window froze) or ended the program. Writing into
// memory takes no lock that can be left held and reaches no cancellation
// point.

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <iostream>
#include <streambuf>

#include "app_main.h"

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

}  // namespace

void HoldLibraryReports() {
  if (gHeldReports) return;
  gHeldReports = new HeldReports;
  std::cerr.rdbuf(gHeldReports);
  // Tied to std::cout, every report would first flush standard output.
  std::cerr.tie(nullptr);
}

void WriteLibraryReports() {
  if (gHeldReports) gHeldReports->writeOut(stderr);
}
