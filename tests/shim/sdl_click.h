#pragma once

// A left click (press and release) at a pixel of an SDL window, as the
// desktop would deliver it.

#include <SDL.h>
#include <string.h>

inline void PushSdlClick(Uint32 windowID, int x, int y) {
  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.windowID = windowID;
  ev.button.button = SDL_BUTTON_LEFT;
  ev.button.state = SDL_PRESSED;
  ev.button.clicks = 1;
  ev.button.x = x;
  ev.button.y = y;
  SDL_PushEvent(&ev);
  ev.type = SDL_MOUSEBUTTONUP;
  ev.button.state = SDL_RELEASED;
  SDL_PushEvent(&ev);
}
