// The JACK client library's own threads when the server goes away: the
// client is closed from another thread (RtAudio does so from a thread it
// starts in its shutdown handler), which cancels the library's notification
// thread while that thread may still be running the shutdown handler.

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "jack_harness.h"
#include "platform/audio_server.h"

namespace {

std::atomic<int> gServerGoneReports{0};
std::atomic<bool> gHandlerStarted{false}, gHandlerMayEnd{false}, gHandlerEnded{false};

void CountReport(const char* text) {
  if (strstr(text, "read")) ++gServerGoneReports;
}

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
  gServerGoneReports = 0;
  gHandlerStarted = gHandlerMayEnd = gHandlerEnded = false;
  JackServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  plat::routeAudioServerMessages(CountReport);
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
  EXPECT_GE(gServerGoneReports.load(), 1) << "the library's report went elsewhere";
  plat::routeAudioServerMessages(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Ends, AudioServerThreads, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? std::string("Killed") : "Stopped";
                         });

}  // namespace
