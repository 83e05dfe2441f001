#pragma once

// A growable byte buffer with typed put and get, the form in which plug-in
// state travels. Values are stored in native byte order without padding.

#include "heapbuf.h"
#include "kitstring.h"

class ByteChunk {
public:
  ByteChunk() : mBytes(4096) {}
  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends size bytes; returns the new size, or -1 (chunk unchanged) when it
  // could not grow.
  int PutBytes(const void* data, int size);
  // Copies size bytes from startPos; returns the position after them, or -1
  // (dest untouched) when startPos is negative or they do not fit.
  int GetBytes(void* dest, int size, int startPos) const;

  template <class T>
  int Put(const T* value) {
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }
  template <class T>
  int Get(T* value, int startPos) const {
    return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
  }

  // A string is an int32 length followed by that many bytes, no terminator.
  int PutStr(const char* str);
  // Reads a string; a negative length or one running past the end fails.
  int GetStr(KIT_String* str, int startPos) const;
  int PutBool(bool b);
  // Any non-zero byte reads as true.
  int GetBool(bool* b, int startPos) const;
  // Appends the bytes of another chunk.
  int PutChunk(const ByteChunk* other);

  void Clear() { mBytes.Resize(0, false); }
  int Size() const { return mBytes.GetSize(); }
  // Returns the size reached: the old one when growing failed.
  int Resize(int newSize);
  unsigned char* GetBytes() const { return mBytes.Get(); }
  bool IsEqual(const ByteChunk& other) const;

private:
  KIT_TypedBuf<unsigned char> mBytes;
};

// A preset slot: a name and a state chunk, filled or not.
struct IPreset {
  static const int kNameLen = 256;  // terminator included

  bool mInitialized;
  char mName[kNameLen];
  ByteChunk mChunk;

  IPreset();
  void SetName(const char* name);
};
