#pragma once

// A fresh effect for each test, and the small helpers the effect tests share.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Harshbloom.h"
#include "block.h"

inline std::unique_ptr<Harshbloom> makeEffect() {
  return std::unique_ptr<Harshbloom>(MakePlug(nullptr, nullptr));
}

// The running state as bytes.
inline std::string stateOf(Harshbloom& plug) {
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(&chunk));
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()),
                     static_cast<size_t>(chunk.Size()));
}

inline void toChunk(const std::string& bytes, ByteChunk* chunk) {
  chunk->Clear();
  chunk->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
}

// Equal byte strings; otherwise the sizes and the first offset that differs.
inline ::testing::AssertionResult sameBytes(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return ::testing::AssertionFailure()
         << "sizes " << a.size() << " and " << b.size() << ", first difference at byte " << i;
}

template <class T>
T readAt(const std::string& bytes, size_t pos) {
  T v;
  std::memcpy(&v, bytes.data() + pos, sizeof v);
  return v;
}

template <class T>
void writeAt(std::string& bytes, size_t pos, T v) {
  std::memcpy(&bytes[pos], &v, sizeof v);
}

// Offsets in a state chunk.
constexpr size_t kTabOffset = 36;
constexpr size_t kZoomOffset = 68;
constexpr size_t kTextsOffset = 76;
constexpr size_t kCountOffset = 5196;
constexpr size_t kCurveOffset = 5200;
constexpr size_t kParamsOffset = 9296;

// Runs one block the way the host does; the output is a fresh pair.
inline Block runBlock(Harshbloom& plug, Block& in) {
  Block out(in.size());
  plug.LockMutexAndProcessDoubleReplacing(in.io, out.io, in.size());
  return out;
}

// Sets a parameter as the editor does, by its normalised value.
inline void setParam(Harshbloom& plug, int index, double normalized) {
  plug.SetParameterFromGUI(index, normalized);
}
