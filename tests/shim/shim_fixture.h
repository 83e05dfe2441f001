#pragma once

// A started windowing layer on the virtual clock, and a host that records the
// application messages it gets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app.h"
#include "shim.h"

// What the host callback saw, and what it answers.
struct HostLog {
  std::vector<int> msgs;
  INT_PTR answer4 = 0;  // to SHIMAPPMSG_SHOULD_TERMINATE
  INT_PTR answerKey = 0;  // to SHIMAPPMSG_KEY_EVENT
  INT_PTR answerActive = 0;
  std::vector<MSG> keys;
  std::vector<INT_PTR> menuCommands;
  std::string openedFile;
  std::vector<std::string> openedFiles;  // every open-file request, in order
  INT_PTR answerOpen = 1;                // to SHIMAPPMSG_OPEN_FILE
  INT_PTR answerShouldUntitled = 0;      // to SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE
};
extern HostLog g_host;

// One message as a window procedure saw it.
struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};

// Window procedures of the tests record into this.
extern std::vector<Seen> g_seen;
LRESULT RecordingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
std::vector<UINT> SeenMessages(HWND h);
bool SawMessage(HWND h, UINT msg);

class ShimTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
};

// The same on the real clock with SDL's offscreen video driver as presenter:
// windows are real SDL windows, without any display.
class ShimOffscreenTest : public ShimTest {
protected:
  void SetUp() override;
};
