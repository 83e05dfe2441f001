#pragma once

// Reading small images from files: PNG, and Windows icon and cursor files
// (the first image of the file, stored as PNG or as a device-independent
// bitmap of 1, 4, 8, 24 or 32 bits per pixel with its transparency mask).
// Pixels come out as straight-alpha 0xAARRGGBB, row 0 at the top. PNG
// decoding is the raster library's; images of more than 16384 pixels on a
// side are refused.

#include <stdint.h>

#include <string>

#include "bitmap.h"

namespace plat {

bool loadPNGData(const uint8_t* data, size_t size, Bitmap* out);
// An icon or cursor file's bytes; *hotX/*hotY get the cursor hot spot when
// the file is a cursor (type 2) and the pointers are given.
bool loadIconData(const uint8_t* data, size_t size, Bitmap* out, int* hotX = nullptr,
                  int* hotY = nullptr);
// By content: PNG, icon or cursor. False (out untouched) when unreadable.
bool loadImageFile(const std::string& path, Bitmap* out);

}  // namespace plat
