#pragma once

// The audio server's client library (JACK, under the audio library) runs
// threads of its own in the program and reports on them.

namespace plat {

// Called with one message, without its line end, on whichever thread the
// library reports from (the audio thread among them): it must not block.
using AudioServerReport = void (*)(const char* text);

// The client library's messages go to `report` instead of standard error.
// The thread that finds the server gone is also made to stop only at a
// cancellation point: the client is then closed from another thread, which
// cancels it while the audio library's shutdown handler may still be at
// work on it, and cancelled at just any instruction of C++ code the program
// ends. Call before the first client is opened; nullptr restores the
// library's own printing.
void routeAudioServerMessages(AudioServerReport report);

}  // namespace plat
