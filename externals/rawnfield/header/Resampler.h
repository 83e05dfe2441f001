#pragma once

#include "heapbuf.h"

// Converts a stream of interleaved multichannel doubles from one sample rate
// to another, pull fashion:
//   1. ResamplePrepare(outFrames, nch, &where) says how many input frames to
//      write at `where` (a pointer into the resampler's own buffer);
//   2. the caller writes exactly that many frames there;
//   3. ResampleOut(out, framesWritten, outFrames, nch) makes the output and
//      keeps the input not yet consumed for the next call.
// Set up with SetMode, the public filter fields, Reset, then SetRates.
//
// Interpolators: nearest sample, linear, or a windowed sinc read from a
// polyphase table. In the first two an optional cascade of biquad low-pass
// stages filters the input when decimating and the output when interpolating.
class KIT_Resampler {
public:
  KIT_Resampler();
  ~KIT_Resampler();
  KIT_Resampler(const KIT_Resampler&) = delete;
  KIT_Resampler& operator=(const KIT_Resampler&) = delete;

  // interp: linear (true) or nearest in the non-sinc modes; filtercnt: biquad
  // stages 0..4 (non-sinc only); sinc: use the sinc interpolator with
  // sinc_size taps (even, 4..8192) and sinc_interpsize table rows.
  void SetMode(bool interp, int filtercnt, bool sinc, int sinc_size, int sinc_interpsize);
  // Both rates are taken as at least 1.0 (a non-finite rate counts as 1.0).
  void SetRates(double rate_in, double rate_out);
  // Drops the held input and the filter state; fracpos is the read position
  // of the next output frame in input frames (taken as at least 0).
  void Reset(double fracpos = 0.0);
  // Seconds of input held beyond the sinc priming.
  double GetCurrentLatency() const;

  int ResamplePrepare(int out_samples, int nch, double** inbuffer);
  int ResampleOut(double* out, int nsamples_in, int nsamples_out, int nch);

  // Builds the sinc table for a cut-off of filtpos (fraction of Nyquist).
  void BuildLowPass(double filtpos);

  double GetRatio() const { return m_ratio; }

private:
  struct Biquad;

  void RunFilter(double* buf, int frames, int nch, double freq);
  int InterpolateNonSinc(double* out, const double* in, int avail, int nsamples_out, int nch);
  int InterpolateSinc(double* out, const double* in, int avail, int nsamples_out, int nch);

  double m_sratein;
  double m_srateout;
  double m_fracpos;
  double m_ratio;
  double m_filter_ratio;  // cut-off the sinc table was built for; -1 = none

public:
  // Written directly by callers (defaults 0.707 and 0.693): the biquad Q and
  // cut-off, the latter as a fraction of the lower rate's Nyquist frequency.
  float m_filterq;
  float m_filterpos;

private:
  KIT_TypedBuf<double> m_rsinbuf;
  KIT_TypedBuf<float> m_filter_coeffs;
  Biquad* m_iirfilter;
  int m_filter_coeffs_size;  // taps per row of the built table; 0 = no table
  int m_last_requested;
  int m_filterlatency;
  int m_samples_in_rsinbuf;
  int m_lp_oversize;  // rows - 1 of the built table
  int m_sincsize;
  int m_filtercnt;
  int m_sincoversize;  // rows - 1 wanted for the table
  bool m_interp;

public:
  // Written directly by callers (default false): ResamplePrepare's count is
  // then a number of input frames.
  bool m_feedmode;
};

// Stretches the shape of nin values onto nout points with the resampler
// (linear, one low-pass stage): the first and last points map onto the first
// and last values, and the low-pass delay is compensated, so a straight line
// comes out straight. False (out untouched) when nin or nout is below 1 or
// memory runs out.
bool KIT_ResampleShape(const double* in, int nin, double* out, int nout);
