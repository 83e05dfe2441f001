#pragma once

// Input events as the windowing code above computes with them: the event
// type numbers, modifier flags and virtual key codes of the desktop the
// program was designed for (the presenter produces these from SDL input).

#include <stdint.h>

#include <string>

#include "geometry.h"
#include "object.h"

namespace plat {

class Window;

enum class EventType : int {
  None = 0,
  LeftMouseDown = 1,
  LeftMouseUp = 2,
  RightMouseDown = 3,
  RightMouseUp = 4,
  MouseMoved = 5,
  LeftMouseDragged = 6,
  RightMouseDragged = 7,
  MouseEntered = 8,
  MouseExited = 9,
  KeyDown = 10,
  KeyUp = 11,
  FlagsChanged = 12,
  ScrollWheel = 22,
  OtherMouseDown = 25,
  OtherMouseUp = 26,
  OtherMouseDragged = 27,
  Magnify = 30,
  Swipe = 31,
  Rotate = 18,
};

// Modifier flags.
enum : uint32_t {
  kModCapsLock = 1u << 16,
  kModShift = 1u << 17,
  kModControl = 1u << 18,
  kModOption = 1u << 19,
  kModCommand = 1u << 20,
  kModNumericPad = 1u << 21,
  kModHelp = 1u << 22,
  kModFunction = 1u << 23,
  kModDeviceIndependentMask = 0xFFFF0000u,
};

struct Event {
  EventType type = EventType::None;
  double timestamp = 0;  // seconds on the application clock
  // The window the event belongs to (null for none). Held by reference.
  Ref<Window> window;
  // Position in the window's base coordinates (bottom-left origin of its
  // content, y up), or in screen coordinates when there is no window.
  Point location;
  uint32_t modifierFlags = 0;
  // Keys: virtual key code, text produced and without modifiers.
  uint16_t keyCode = 0;
  std::string characters;
  std::string charactersIgnoringModifiers;
  bool isRepeat = false;
  // Mouse: 1 single, 2 double click...; 0 left, 1 right, 2 middle...
  int clickCount = 0;
  int buttonNumber = 0;
  // Wheel (lines, y positive away from the user) and gestures.
  double deltaX = 0, deltaY = 0, deltaZ = 0;
  double magnification = 0, rotation = 0;

  bool isMouseDown() const {
    return type == EventType::LeftMouseDown || type == EventType::RightMouseDown ||
           type == EventType::OtherMouseDown;
  }
  bool isMouseUp() const {
    return type == EventType::LeftMouseUp || type == EventType::RightMouseUp ||
           type == EventType::OtherMouseUp;
  }
  bool isDrag() const {
    return type == EventType::LeftMouseDragged || type == EventType::RightMouseDragged ||
           type == EventType::OtherMouseDragged;
  }
  bool isMouse() const {
    return isMouseDown() || isMouseUp() || isDrag() || type == EventType::MouseMoved ||
           type == EventType::ScrollWheel;
  }
  bool isKey() const {
    return type == EventType::KeyDown || type == EventType::KeyUp ||
           type == EventType::FlagsChanged;
  }
  // Screen position of the event (bottom-left origin, y up).
  Point screenLocation() const;
};

}  // namespace plat
