#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Rawnfield {

// One frame in memory: a mono sample (or a stereo file's channel mean) in
// left and 0 in right after loading; both channels when set by the caller.
struct WaveSample {
  double left;
  double right;
};

// Sample width; the value is the number of bytes per sample.
enum eRnWaveBitDepth : int32_t {
  kWaveBitDepth8 = 1,
  kWaveBitDepth16 = 2,
  kWaveBitDepth24 = 3,
  kWaveBitDepth32 = 4,
  kWaveBitDepth64 = 8,
  kWaveBitDepthUnknown = 9,
};

// Reads and writes RIFF/WAVE files and holds their frames as pairs of
// doubles. Integer samples load on their raw integer scale (a 24-bit sample
// as its value times 256); callers normalise afterwards.
//
// Reading: construct with the path, loadData(), then read getFrames().
// Writing: construct, optionally setBitDepth/setSampleRate/
// setNumberOfChannels, then setData and saveData().
class WaveFile {
public:
  static const char* const kWavExt;   // ".wav"
  static const char* const kCodeExt;  // ".h"
  // Longer files are refused unread.
  static constexpr long kMaxFileSize = 0x9FFFFF;

  static constexpr int kFormatPcm = 1;
  static constexpr int kFormatFloat = 3;
  static constexpr int kFormatExtensible = 0xFFFE;

  struct Header {
    unsigned char bytes[44];
  };

  explicit WaveFile(const std::string& path);
  WaveFile(const std::string& path, unsigned short channels);
  ~WaveFile();

  // Replaces the frames with the file's. False, with the object unchanged,
  // when the file cannot be read, is not a mono or stereo PCM or float
  // WAVE file of 8, 16, 24, 32 or 64 bits, is longer than kMaxFileSize, or
  // its data chunk is missing or runs past the end of the file. An empty
  // data chunk loads as true with no frames.
  bool loadData();
  // Writes the file; false when there are no frames, the bit depth or the
  // channel count cannot be written, or the file cannot be written.
  bool saveData();
  // Writes the cue chunk when cue points exist; false for a null stream or
  // a failed write.
  bool saveCuePoints(FILE* f) const;
  Header writeHeader(unsigned short channels, unsigned int frames) const;

  eRnWaveBitDepth getBitDepthType(unsigned short bits) const;
  unsigned short getBitsPerSample(eRnWaveBitDepth code) const;
  // One sample at p: floats for format 3 (0 for widths a float cannot
  // have), integers for any other format (0 for 64 bits).
  double getSampleValue(const unsigned char* p, eRnWaveBitDepth code, int format) const;

  void setData(const double* x, int n);
  void setData(const double* l, const double* r, int n);
  void appendData(const double* x, int n);
  void appendData(const double* l, const double* r, int n);
  void appendSample(double v);
  void appendSample(double l, double r);

  // Scales to a peak magnitude of 1 (left values, or both with 2 channels).
  void normalize();
  // Multiplies the left (channel 0) or right (any other) values by factor.
  void normalize(unsigned short channel, double factor);
  double getMaxValue() const;
  double getMaxValue(unsigned short channel) const;
  // x > 0 becomes 1 - x, x < 0 becomes -1 - x (left values).
  void invert();
  // Removes the frames after the last one louder than threshold.
  void autoCrop(double threshold);
  // Fades the last n frames out linearly (0 < n <= frames).
  void fadeOut(int n);

  void setNumberOfChannels(int n) { channels = n; }
  void setSampleRate(double rate) { sampleRate = rate; }
  // Codes 4 and 8 also select float samples, codes 1..3 integer ones.
  void setBitDepth(eRnWaveBitDepth code);

  // Fifty sine periods over seconds x sample rate frames (stereo: the right
  // channel inverted); with cues, every near-zero frame becomes a cue point.
  void genMonoData(double seconds, bool cues);
  void genStereoData(double seconds, bool cues);
  // Writes the frames, normalised, as C source next to the file (".wav"
  // replaced by ".h"); false when the path has no ".wav" or the file
  // cannot be created.
  bool genHeader(bool withParts);

  const std::vector<WaveSample>& getFrames() const { return frames; }
  int getNumFrames() const { return static_cast<int>(frames.size()); }
  const std::vector<uint32_t>& getCuePoints() const { return cuePoints; }
  eRnWaveBitDepth getBitDepth() const { return bitDepth; }
  int getSampleFormat() const { return sampleFormat; }
  double getSampleRate() const { return sampleRate; }
  int getNumberOfChannels() const { return channels; }
  const std::string& getPath() const { return path; }

private:
  void generate(double seconds, bool cues, bool stereo);
  void normalizeForPCM();
  // Largest magnitude over the left values, and the right ones with both.
  double peak(bool left, bool right) const;
  void scale(bool left, bool right, double factor);

  std::string path;
  eRnWaveBitDepth bitDepth = kWaveBitDepth32;
  int32_t sampleFormat = kFormatFloat;
  double sampleRate = 44100.0;
  int channels = 1;
  std::vector<WaveSample> frames;
  std::vector<uint32_t> cuePoints;
};

}  // namespace Rawnfield
