#pragma once

// Audio tests on a JACK server with the dummy driver, which needs no sound
// card: the server itself, and the round trip of a plug-in through the
// host's stream. Point RunJackRoundTrip at any plug-in by its factory.

#include <jack/jack.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "IFxStandalone.h"

// jackd -d dummy at 44100 Hz (or another rate) with 512-frame periods and
// two channels each way, under a server name of its own so that parallel
// tests do not meet.
// While it runs, the JACK clients of this process (RtAudio's included) use it.
class JackServer {
public:
  static constexpr int kSampleRate = 44100;
  static constexpr int kPeriod = 512;

  JackServer() = default;
  ~JackServer() { Stop(); }
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  // False with the reason when jackd is missing or does not answer in time.
  // A name given brings a server back under the name it had (clients that
  // know it find it again); otherwise the server gets a new name.
  bool Start(std::string* error, const std::string& name = std::string(),
             int sampleRate = kSampleRate);
  // Ends the server as a user stopping it does; Kill ends it at once, as a
  // crash would.
  void Stop();
  void Kill();
  bool Running() const { return mPid > 0; }
  const std::string& Name() const { return mName; }

private:
  pid_t mPid = -1;
  std::string mName, mLog;
};

// A JACK client of the test with two output ports (out_1, out_2) and two
// input ports (in_1, in_2), in that order in ports; null when the server
// refuses it. Close it with CloseStereoClient.
jack_client_t* OpenStereoClient(const char* name, jack_port_t* ports[4]);
// Deactivates and closes the client, and clears the pointer.
void CloseStereoClient(jack_client_t** client);
// Connects the client's outputs to the inputs of the host's stream (the
// first client named "Harshbloom") and the stream's outputs to the client's
// inputs.
bool ConnectToHostStream(jack_client_t* client, jack_port_t* const ports[4]);

// The index of the JACK driver in the host's driver list, or -1.
int JackDriverIndex();

// Opens the host's stream on the running server ("system" devices, 44100 Hz,
// IO vector size 512 and the given signal vector size) with a plug-in from
// makePlug, while a JACK client of the test sends a known signal into the
// host's inputs and records its outputs. Expects the first 51 callbacks to
// be silent, the next to fade in, and every later one to equal 0.25 times
// the result of a second plug-in from makePlug processing the same input
// offline, aligned by the latency the graph adds. Returns the plug-in that
// ran in the host, with the stream stopped.
std::unique_ptr<IFxStandalone> RunJackRoundTrip(
    const std::function<std::unique_ptr<IFxStandalone>()>& makePlug, const char* sigvs);
