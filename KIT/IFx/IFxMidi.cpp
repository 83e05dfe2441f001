#include "IFxMidi.h"

#include <cstdio>

#include "IFxUtil.h"

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0x90 | (channel & 0x0F));
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0x80 | (channel & 0x0F));
  mData1 = static_cast<uint8_t>(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0xE0 | (channel & 0x0F));
  int p = IFxTruncToInt(value * 8192.0);
  if (p < -8192)
    p = 0;
  else
    p = p + 8192 < 16383 ? p + 8192 : 16383;
  mData1 = static_cast<uint8_t>(p & 0x7F);
  mData2 = static_cast<uint8_t>(p >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0xB0 | (channel & 0x0F));
  mData1 = static_cast<uint8_t>(idx);
  // A data byte has seven bits: values outside 0..1 must not spill into the
  // status bit.
  int v = IFxTruncToInt(value * 127.0);
  mData2 = static_cast<uint8_t>(v < 0 ? 0 : v > 127 ? 127 : v);
}

void IMidiMsg::Clear() {
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  const unsigned kind = mStatus >> 4;
  if ((mStatus & 0x80) && kind < 15) return static_cast<EStatusMsg>(kind);
  return kNone;
}

int IMidiMsg::NoteNumber() const {
  switch (StatusMsg()) {
    case kNoteOn:
    case kNoteOff:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
  }
}

int IMidiMsg::Velocity() const {
  switch (StatusMsg()) {
    case kNoteOn:
    case kNoteOff:
      return mData2;
    default:
      return -1;
  }
}

int IMidiMsg::PolyAfterTouch() const {
  return StatusMsg() == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const {
  return StatusMsg() == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const {
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const {
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (mData1 + mData2 * 128 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return mData2 / 127.0;
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg) {
  switch (msg) {
    case IMidiMsg::kNone:
      return "none";
    case IMidiMsg::kNoteOff:
      return "noteoff";
    case IMidiMsg::kNoteOn:
      return "noteon";
    case IMidiMsg::kPolyAftertouch:
      return "aftertouch";
    case IMidiMsg::kControlChange:
      return "controlchange";
    case IMidiMsg::kProgramChange:
      return "programchange";
    case IMidiMsg::kChannelAftertouch:
      return "channelaftertouch";
    case IMidiMsg::kPitchWheel:
      return "pitchwheel";
    default:
      return "unknown";
  }
}

void ISysEx::Clear() {
  mOffset = mSize = 0;
  mData = nullptr;
}

char* SysExStr(char* out, int maxLen, const uint8_t* data, int size) {
  if (!out || maxLen < 1) return out;
  out[0] = 0;
  if (!data || size < 1) return out;
  int n = maxLen / 3;
  if (n > size) n = size;
  char* p = out;
  for (int i = 0; i < n; ++i) {
    // "XX " takes three characters; the last blank becomes the terminator.
    snprintf(p, 4, i + 1 < n ? "%02X " : "%02X", data[i]);
    p += i + 1 < n ? 3 : 2;
  }
  return out;
}
