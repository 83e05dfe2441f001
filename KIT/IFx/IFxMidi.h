#pragma once

// Timed MIDI messages as the plug-in framework passes them around.

#include <cstdint>

struct IMidiMsg {
  // The high nibble of a channel message's status byte.
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller numbers of the MIDI standard.
  enum EControlChangeMsg {
    kModWheel = 1,
    kBreath = 2,
    kFoot = 4,
    kPortamentoTime = 5,
    kDataEntry = 6,
    kVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpression = 11,
    kSustain = 64,
    kPortamento = 65,
    kSostenuto = 66,
    kSoftPedal = 67,
    kLegato = 68,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  int32_t mOffset;
  uint8_t mStatus, mData1, mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value -1..1; the 14-bit result is centred on 8192 and capped at 16383.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value 0..1, sent as 0..127.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  void Clear();
  int Channel() const { return mStatus & 0x0F; }
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  double PitchWheel() const;
  EControlChangeMsg ControlChangeIdx() const { return static_cast<EControlChangeMsg>(mData1); }
  double ControlChange(EControlChangeMsg idx) const;
  void LogMsg() {}
};

// The name of a status kind: "none", "noteoff" .. "pitchwheel", else "unknown".
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);

struct ISysEx {
  int32_t mOffset;
  int32_t mSize;
  const uint8_t* mData;  // not owned

  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
      : mOffset(offset), mSize(size), mData(data) {}
  void Clear();
  void LogMsg() {}
};

// Writes the first min(maxLen / 3, size) bytes as upper-case hex pairs
// separated by blanks; returns out.
char* SysExStr(char* out, int maxLen, const uint8_t* data, int size);
