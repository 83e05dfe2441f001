#pragma once

// Desktop input for the end-to-end tests, sent straight to the X server
// through its XTEST extension (as xdotool does, without starting a process
// for each event): pointer moves, button and key presses.

#include <string>

namespace e2e {

class XInput {
public:
  XInput() = default;
  ~XInput();
  XInput(const XInput&) = delete;
  XInput& operator=(const XInput&) = delete;

  // Opens the display (name and authority file); false when it cannot.
  bool Open(const std::string& display, const std::string& authority);
  // Closes it: before the X server goes (Xlib ends a process whose
  // connection breaks).
  void Close();
  // The top-left corner of a window (its X id as a decimal or 0x number) in
  // screen pixels.
  bool Origin(const std::string& window, int* x, int* y);
  // The pointer to a screen pixel.
  void MoveTo(int x, int y);
  void Button(int button, bool down);
  void Click(int button = 1) {
    Button(button, true);
    Button(button, false);
  }
  // A key by its X name ("Escape", "Return", "a"), pressed and released.
  void Key(const std::string& name);
  // Lower-case letters, digits and '.', key by key.
  void Type(const std::string& text);

private:
  void* mDisplay = nullptr;
};

}  // namespace e2e
