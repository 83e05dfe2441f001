// The JACK client library's own threads when the server goes away: the
// client is closed from another thread (RtAudio does so from a thread it
// starts in its shutdown handler), which cancels the library's notification
// thread while that thread may still be running the shutdown handler.

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app_main.h"
#include "host_globals.h"
#include "jack_harness.h"
#include "platform/audio_server.h"

namespace {

std::atomic<bool> gHandlerStarted{false}, gHandlerMayEnd{false}, gHandlerEnded{false};

void Unheard(const char*) {}

// Stands for RtAudio's handler, which starts the closing thread and then
// writes its report: still at work when the cancel comes.
void OnShutdown(void*) {
  gHandlerStarted = true;
  while (!gHandlerMayEnd.load()) {
  }
  gHandlerEnded = true;
}

bool WaitFor(const std::atomic<bool>& flag, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!flag.load()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int Silence(jack_nframes_t, void*) { return 0; }

// A killed server, and one that stops and tells its clients first.
class AudioServerThreads : public ::testing::TestWithParam<bool> {};

TEST_P(AudioServerThreads, TheShutdownHandlerRunsToItsEndThoughTheClientIsClosedMeanwhile) {
  const bool killed = GetParam();
  gHandlerStarted = gHandlerMayEnd = gHandlerEnded = false;
  JackServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  plat::routeAudioServerMessages(Unheard);
  jack_status_t status;
  jack_client_t* client = jack_client_open("hbguard", JackNoStartServer, &status);
  ASSERT_NE(client, nullptr);
  jack_on_shutdown(client, OnShutdown, nullptr);
  jack_set_process_callback(client, Silence, nullptr);
  ASSERT_EQ(jack_activate(client), 0);

  std::thread ender([&] { killed ? server.Kill() : server.Stop(); });
  ASSERT_TRUE(WaitFor(gHandlerStarted, 10)) << "the library did not notice the server gone";
  // As RtAudio's closing thread does.
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    jack_deactivate(client);
    jack_client_close(client);
    closed = true;
  });
  // Taken at once, the cancel would end the program inside the handler, or
  // cut the handler short.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(closed.load()) << "the client closed before its shutdown handler ended";
  gHandlerMayEnd = true;
  closer.join();
  ender.join();
  EXPECT_TRUE(gHandlerEnded.load());
  plat::routeAudioServerMessages(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Ends, AudioServerThreads, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? std::string("Killed") : "Stopped";
                         });

// RtAudio silences the JACK library's errors whenever it makes an audio
// object for JACK; the host puts the guard back, so that a thread which
// reports the server gone still stops only at cancellation points.
TEST(AudioServerGuard, StaysInPlaceWhenTheHostMakesAnAudioObject) {
  HostGlobals host;
  HoldLibraryReports();
  gState->mAudioDriverType = static_cast<uint16_t>(JackDriverIndex());
  ASSERT_TRUE(TryToChangeAudioDriverType());
  int cancelType = PTHREAD_CANCEL_ASYNCHRONOUS;
  std::thread reporter([&] {
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
    jack_error_callback("JackSocketClientChannel read fail");
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &cancelType);
  });
  reporter.join();
  EXPECT_EQ(cancelType, PTHREAD_CANCEL_DEFERRED);
}

}  // namespace
