#include "ByteChunk.h"

#include <cstdint>
#include <cstring>

#include "IFxUtil.h"

int ByteChunk::PutBytes(const void* data, int size) {
  const int n = Size();
  if (size < 0 || static_cast<long long>(n) + size > 0x7fffffffLL) return -1;
  if (size == 0) return n;
  if (!data) return -1;
  mBytes.Resize(n + size, false);
  if (Size() != n + size) return -1;
  memcpy(GetBytes() + n, data, static_cast<size_t>(size));
  return Size();
}

int ByteChunk::GetBytes(void* dest, int size, int startPos) const {
  if (startPos < 0 || size < 0) return -1;
  const long long end = static_cast<long long>(startPos) + size;
  if (end > Size()) return -1;
  if (size) memcpy(dest, GetBytes() + startPos, static_cast<size_t>(size));
  return static_cast<int>(end);
}

int ByteChunk::PutStr(const char* str) {
  const size_t len = str ? strlen(str) : 0;
  if (len > 0x7ffffff0u) return -1;
  const int32_t n = static_cast<int32_t>(len);
  const int start = Size();
  if (Put(&n) < 0) return -1;
  if (PutBytes(str, n) < 0) {
    Resize(start);
    return -1;
  }
  return Size();
}

int ByteChunk::GetStr(KIT_String* str, int startPos) const {
  int32_t len = 0;
  const int pos = Get(&len, startPos);
  if (pos < 0 || len < 0 || static_cast<long long>(pos) + len > Size()) return -1;
  if (str) str->Set(reinterpret_cast<const char*>(GetBytes() + pos), len);
  return pos + len;
}

int ByteChunk::PutBool(bool b) {
  const uint8_t byte = b ? 1 : 0;
  return Put(&byte);
}

int ByteChunk::GetBool(bool* b, int startPos) const {
  uint8_t byte = 0;
  const int pos = Get(&byte, startPos);
  if (pos >= 0 && b) *b = byte != 0;
  return pos;
}

int ByteChunk::PutChunk(const ByteChunk* other) {
  if (!other) return Size();
  return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::Resize(int newSize) {
  if (newSize < 0) newSize = 0;
  const int n = Size();
  mBytes.Resize(newSize, false);
  // New bytes start as zero; after a failed growth the size is unchanged.
  if (Size() > n) memset(GetBytes() + n, 0, static_cast<size_t>(Size() - n));
  return Size();
}

bool ByteChunk::IsEqual(const ByteChunk& other) const {
  return Size() == other.Size() && (!Size() || !memcmp(GetBytes(), other.GetBytes(), Size()));
}

IPreset::IPreset() : mInitialized(false) {
  SetName("empty");
}

void IPreset::SetName(const char* name) {
  IFxCopyText(mName, name, kNameLen);
}
