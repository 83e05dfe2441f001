#pragma once

// The audio server's client library (JACK, under the audio library) runs
// threads of its own in the program and reports on them.

namespace plat {

// Called with one message, without its line end, on whichever thread the
// library reports from (the audio thread among them): it must not block.
using AudioServerReport = void (*)(const char* text);

// The client library's informative messages go to `report` instead of
// standard error; its errors are not shown (the audio library silences
// them too).
// When the server goes away, the library runs the audio library's shutdown
// handler on its notification thread, and the handler has another thread
// close the client, which cancels the notification thread: cancelled at
// just any instruction of the handler's C++ code, the program ends. So the
// notification thread that finds the server killed is made to stop only at
// a cancellation point, and a closing thread waits until the notification
// thread is out of the handler. Call on the program's main thread before
// the first client is opened; nullptr restores the library's own printing.
void routeAudioServerMessages(AudioServerReport report);

}  // namespace plat
