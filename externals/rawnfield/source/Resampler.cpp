#include "Resampler.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMaxChannels = 64;
constexpr int kMaxSincSize = 8192;
constexpr int kMaxSincRows = 8192;
constexpr int kMaxStages = 4;
// The largest block a heap buffer can hold, in bytes.
constexpr long long kMaxBytes = 0x7fffffffLL;

bool badChannelCount(int nch) {
  return nch < 1 || nch > kMaxChannels;
}

}  // namespace

// Coefficients of one low-pass design shared by all stages, and the state of
// every (channel, stage) pair: {x1, x2, y1, y2} at (channel * stages + stage).
struct KIT_Resampler::Biquad {
  double fc = -1.0;
  double a1 = 0.0, a2 = 0.0, b0 = 0.0, b1 = 0.0, b2 = 0.0;
  double state[1024] = {};
};

KIT_Resampler::KIT_Resampler()
    : m_sratein(44100.0),
      m_srateout(44100.0),
      m_fracpos(0.0),
      m_ratio(1.0),
      m_filter_ratio(-1.0),
      m_filterq(0.707f),
      m_filterpos(0.693f),
      m_rsinbuf(4096),
      m_filter_coeffs(4096),
      m_iirfilter(nullptr),
      m_filter_coeffs_size(0),
      m_last_requested(0),
      m_filterlatency(0),
      m_samples_in_rsinbuf(0),
      m_lp_oversize(1),
      m_sincsize(0),
      m_filtercnt(1),
      m_sincoversize(0),
      m_interp(true),
      m_feedmode(false) {}

KIT_Resampler::~KIT_Resampler() {
  delete m_iirfilter;
}

void KIT_Resampler::SetMode(bool interp, int filtercnt, bool sinc, int sinc_size,
                            int sinc_interpsize) {
  if (sinc && sinc_size >= 4) {
    m_sincsize = sinc_size > kMaxSincSize ? kMaxSincSize : (sinc_size & ~1);
    m_sincoversize = sinc_interpsize >= 2
                         ? (sinc_interpsize > kMaxSincRows ? kMaxSincRows : sinc_interpsize)
                         : 1;
  } else {
    m_sincsize = 0;
    m_sincoversize = 1;
  }
  m_filtercnt =
      filtercnt > 0 && m_sincsize == 0 ? (filtercnt > kMaxStages ? kMaxStages : filtercnt) : 0;
  m_interp = m_sincsize == 0 ? interp : false;
  if (m_sincsize == 0) {
    m_filter_coeffs.Resize(0);
    m_filter_coeffs_size = 0;
  }
  if (m_filtercnt == 0) {
    delete m_iirfilter;
    m_iirfilter = nullptr;
  }
}

void KIT_Resampler::SetRates(double rate_in, double rate_out) {
  // Written so that NaN fails the test as well.
  if (!(rate_in >= 1.0) || !std::isfinite(rate_in)) rate_in = 1.0;
  if (!(rate_out >= 1.0) || !std::isfinite(rate_out)) rate_out = 1.0;
  if (rate_in == m_sratein && rate_out == m_srateout) return;
  m_sratein = rate_in;
  m_srateout = rate_out;
  m_ratio = rate_in / rate_out;
}

void KIT_Resampler::Reset(double fracpos) {
  m_last_requested = 0;
  m_filterlatency = 0;
  m_samples_in_rsinbuf = 0;
  // A negative position would read before the buffer.
  m_fracpos = fracpos >= 0.0 && std::isfinite(fracpos) ? fracpos : 0.0;
  if (m_iirfilter) memset(m_iirfilter->state, 0, sizeof(m_iirfilter->state));
}

double KIT_Resampler::GetCurrentLatency() const {
  const double v = (m_samples_in_rsinbuf - m_filterlatency) / m_sratein;
  return v > 0.0 ? v : 0.0;
}

int KIT_Resampler::ResamplePrepare(int out_samples, int nch, double** inbuffer) {
  if (badChannelCount(nch)) return 0;
  const int fsize = m_sincsize > 1 ? m_sincsize : 0;
  const int hfs = fsize / 2 - 1;

  if (fsize >= 4 && hfs > m_samples_in_rsinbuf) {
    // Zeros ahead of what is held prime the sinc filter's history.
    const int held = m_samples_in_rsinbuf;
    const int add = hfs - held;
    double* b = m_rsinbuf.Resize(hfs * nch, false);
    if (b && m_rsinbuf.GetSize() == hfs * nch) {
      memmove(b + add * nch, b, sizeof(double) * held * nch);
      memset(b, 0, sizeof(double) * add * nch);
      m_filterlatency += add;
      m_samples_in_rsinbuf = hfs;
    }
  }

  const int held = m_samples_in_rsinbuf;
  double want = m_feedmode ? static_cast<double>(out_samples)
                           : std::trunc(out_samples * m_ratio) + fsize + 4 - held;
  // No buffer can go beyond what an int of bytes holds; asking for more only
  // makes the growth below fail and halve.
  const long long room = kMaxBytes / static_cast<long long>(sizeof(double)) / nch - held;
  if (!(want > 0.0) || room <= 0) want = 0.0;
  int r = want > static_cast<double>(room) ? static_cast<int>(room) : static_cast<int>(want);

  const int before = m_rsinbuf.GetSize();
  for (;;) {
    m_rsinbuf.Resize((held + r) * nch, false);
    const int got = m_rsinbuf.GetSize();
    if (got == (held + r) * nch || got != before || r < 5) break;
    r /= 2;
  }
  int grant = m_rsinbuf.GetSize() / nch - held;
  if (grant < 0) grant = 0;
  if (grant > r) grant = r;

  if (inbuffer) {
    double* base = m_rsinbuf.Get();
    *inbuffer = base ? base + static_cast<long long>(held) * nch : nullptr;
  }
  m_last_requested = grant;
  return grant;
}

void KIT_Resampler::RunFilter(double* buf, int frames, int nch, double freq) {
  if (!m_iirfilter) {
    m_iirfilter = new (std::nothrow) Biquad;
    if (!m_iirfilter) return;
  }
  Biquad& f = *m_iirfilter;
  if (std::fabs(freq - f.fc) >= 1e-6) {
    f.fc = freq;
    const double w = freq * kPi;
    const double alpha = std::sin(w) / (2.0 * m_filterq);
    const double k = 1.0 / (1.0 + alpha);
    const double c = std::cos(w);
    f.b1 = (1.0 - c) * k;
    f.b0 = f.b2 = f.b1 * 0.5;
    f.a1 = -2.0 * c * k;
    f.a2 = (1.0 - alpha) * k;
  }
  for (int ch = 0; ch < nch; ++ch) {
    for (int stage = 0; stage < m_filtercnt; ++stage) {
      double* st = f.state + (ch * m_filtercnt + stage) * 4;
      double x1 = st[0], x2 = st[1], y1 = st[2], y2 = st[3];
      double* p = buf + ch;
      for (int n = 0; n < frames; ++n, p += nch) {
        const double x = *p;
        double y = f.b0 * x + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
        if (std::fabs(y) < DBL_MIN) y = 0.0;  // zero or subnormal
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        *p = y;
      }
      st[0] = x1;
      st[1] = x2;
      st[2] = y1;
      st[3] = y2;
    }
  }
}

int KIT_Resampler::InterpolateNonSinc(double* out, const double* in, int avail, int nsamples_out,
                                      int nch) {
  // Comparing the position itself keeps any ratio from overflowing an index.
  const double limit = m_interp ? avail - 1 : avail;
  double pos = m_fracpos;
  int made = 0;
  while (made < nsamples_out && pos < limit) {
    const int i = static_cast<int>(pos);
    const double t = pos - i;
    const double* a = in + static_cast<long long>(i) * nch;
    if (m_interp) {
      for (int ch = 0; ch < nch; ++ch) out[ch] = (1.0 - t) * a[ch] + t * a[ch + nch];
    } else {
      for (int ch = 0; ch < nch; ++ch) out[ch] = a[ch];
    }
    out += nch;
    pos += m_ratio;
    ++made;
  }
  m_fracpos = pos;
  return made;
}

int KIT_Resampler::InterpolateSinc(double* out, const double* in, int avail, int nsamples_out,
                                   int nch) {
  BuildLowPass(m_ratio > 1.0 ? 1.0 / (1.03 * m_ratio) : 1.0);
  const int S = m_filter_coeffs_size;
  const int O = m_lp_oversize;
  const float* table = m_filter_coeffs.Get();
  // Without a table there is nothing to interpolate with.
  if (S < 1 || S != m_sincsize || O < 1 || !table) return 0;
  const double limit = static_cast<double>(avail) - S - 1;
  double pos = m_fracpos;
  int made = 0;
  while (made < nsamples_out && pos < limit) {
    const int i = static_cast<int>(pos);
    const double u = O * (pos - i);
    int k = static_cast<int>(u);
    if (k > O - 1) k = O - 1;
    const double g = u - k;
    const float* rowA = table + static_cast<long long>(O - k) * S;
    const float* rowB = rowA - S;
    const double* a = in + static_cast<long long>(i) * nch;
    for (int ch = 0; ch < nch; ++ch) {
      double sumA = 0.0, sumB = 0.0;
      const double* p = a + ch;
      for (int j = 0; j < S; ++j, p += nch) {
        sumA += *p * rowA[j];
        sumB += *p * rowB[j];
      }
      out[ch] = (1.0 - g) * sumA + g * sumB;
    }
    out += nch;
    pos += m_ratio;
    ++made;
  }
  m_fracpos = pos;
  return made;
}

int KIT_Resampler::ResampleOut(double* out, int nsamples_in, int nsamples_out, int nch) {
  if (badChannelCount(nch)) return 0;
  // A grant is used once: a second call without ResamplePrepare must not
  // count frames that were never written.
  const int requested = m_last_requested;
  m_last_requested = 0;
  const int held = m_samples_in_rsinbuf;
  int nin = nsamples_in < requested ? nsamples_in : requested;
  if (nin < 0) nin = 0;
  // Never beyond the buffer, even if the channel count changed since.
  const int space = m_rsinbuf.GetSize() / nch - held;
  if (nin > space) nin = space > 0 ? space : 0;

  if (m_filtercnt >= 1 && nin >= 1 && m_ratio > 1.0)
    RunFilter(m_rsinbuf.Get() + static_cast<long long>(held) * nch, nin, nch,
              m_filterpos * (1.0 / m_ratio));

  m_samples_in_rsinbuf += nin;
  int avail = m_samples_in_rsinbuf;
  bool padded = false;
  if (nin < requested) {
    // Zeros for this call only, so that a final short call flushes the tail.
    const long long pad = 2LL * (requested - nin + m_sincsize);
    const long long need = (avail + pad) * nch;
    if (need * static_cast<long long>(sizeof(double)) <= kMaxBytes) {
      double* b = m_rsinbuf.Resize(static_cast<int>(need), false);
      if (b && m_rsinbuf.GetSize() == need) {
        memset(b + static_cast<long long>(avail) * nch, 0, sizeof(double) * pad * nch);
        avail += static_cast<int>(pad);
        padded = true;
      }
    }
  }

  const double* in = m_rsinbuf.Get();
  int made = 0;
  if (out && nsamples_out > 0 && in && avail > 0) {
    made = m_sincsize ? InterpolateSinc(out, in, avail, nsamples_out, nch)
                      : InterpolateNonSinc(out, in, avail, nsamples_out, nch);
  }

  if (m_filtercnt >= 1 && made >= 1 && m_ratio < 1.0)
    RunFilter(out, made, nch, m_ratio * m_filterpos);

  if (padded && made >= 1) {
    const double latency = m_sincsize ? m_sincsize / 2 - 1 : 0;
    const double d = (latency + m_fracpos - m_samples_in_rsinbuf) / m_ratio;
    if (d > 0.0) {
      const double cut = d + 0.5;
      made = cut >= made ? 0 : made - static_cast<int>(cut);
    }
  }

  // Keep the input not yet consumed at the start of the buffer.
  const int keep = m_samples_in_rsinbuf;
  const int c = m_fracpos < keep ? static_cast<int>(m_fracpos) : keep;
  m_fracpos -= c;
  m_samples_in_rsinbuf -= c;
  if (m_samples_in_rsinbuf > 0 && c > 0) {
    double* b = m_rsinbuf.Get();
    memmove(b, b + static_cast<long long>(c) * nch,
            sizeof(double) * m_samples_in_rsinbuf * static_cast<long long>(nch));
  }
  return made;
}

void KIT_Resampler::BuildLowPass(double filtpos) {
  const int S = m_sincsize;
  const int O = m_sincoversize;
  if (filtpos == m_filter_ratio && m_filter_coeffs_size == S && m_lp_oversize == O) return;
  m_filter_ratio = filtpos;
  m_lp_oversize = O;
  const long long count = static_cast<long long>(O + 1) * S;
  float* t = nullptr;
  if (S > 0 && O > 0 && count * static_cast<long long>(sizeof(float)) <= kMaxBytes)
    t = m_filter_coeffs.Resize(static_cast<int>(count), false);
  if (!t || m_filter_coeffs.GetSize() != count) {
    m_filter_coeffs_size = 0;
    return;
  }
  m_filter_coeffs_size = S;

  const double half = S / 2;
  const double vstep = 2.0 * kPi / S;
  double total = 0.0;
  for (int r = 0; r <= O; ++r) {
    for (int j = 0; j < S; ++j) {
      const double x = static_cast<double>(r) / O + j;
      const double dx = x - half;
      double e = 1.0;
      if (dx != 0.0) {
        const double v = vstep * x;
        const double w = 0.35875 - 0.48829 * std::cos(v) + 0.14128 * std::cos(2.0 * v) -
                         0.01168 * std::cos(3.0 * v);
        const double u = dx * filtpos * kPi;
        e = u != 0.0 ? std::sin(u) * w / u : w;
      }
      t[static_cast<long long>(r) * S + j] = static_cast<float>(e);
      if (r < O) total += static_cast<float>(e);
    }
  }
  // Each row then sums to about 1: unity gain at DC.
  const double scale = O / total;
  for (long long k = 0; k < count; ++k) t[k] = static_cast<float>(t[k] * scale);
}

namespace {

// Delay at DC, in frames of the rate it runs at, of one low-pass stage with
// cut-off f (fraction of Nyquist) and the given Q: the mean of its impulse
// response, cot(w/2) / (2Q) for this design.
double lowPassDelay(double f, double q) {
  return 1.0 / (2.0 * q * std::tan(f * kPi * 0.5));
}

// Value b of the input extended by point reflection at both ends, repeated
// as often as the extension needs (pad values ahead of the input): a
// straight line runs on straight, so the filter meets no edge.
double extendedValue(const double* in, int nin, int pad, long long b) {
  const long long last = nin - 1;
  long long j = b - pad;
  double offset = 0.0, sign = 1.0;
  while (j < 0 || j > last) {
    if (j < 0) {
      offset += sign * 2.0 * in[0];
      j = -j;
    } else {
      offset += sign * 2.0 * in[last];
      j = 2 * last - j;
    }
    sign = -sign;
  }
  return offset + sign * in[j];
}

}  // namespace

bool KIT_ResampleShape(const double* in, int nin, double* out, int nout) {
  if (!in || !out || nin < 1 || nout < 1) return false;
  if (nin == nout) {
    memmove(out, in, sizeof(double) * nin);
    return true;
  }
  if (nin == 1 || nout == 1) {
    const double v = in[0];
    for (int i = 0; i < nout; ++i) out[i] = v;
    return true;
  }

  KIT_Resampler rs;
  rs.SetMode(true, 1, false, 0, 0);
  rs.m_feedmode = true;
  const double ratio = static_cast<double>(nin - 1) / (nout - 1);
  const double q = rs.m_filterq;
  const double fpos = rs.m_filterpos;

  // Point k must read input position k * ratio. The low-pass delays what it
  // filters, so the read position is moved on by its delay; the extension
  // in front lets the filter settle before the first point is made.
  int pad;
  long long skip;
  double start;
  if (ratio > 1.0) {  // the input is filtered
    const double delay = lowPassDelay(fpos * (1.0 / ratio), q);
    pad = static_cast<int>(std::ceil(32.0 * ratio)) + 8;
    skip = 0;
    start = pad + delay;
  } else {  // the output is filtered: make and drop points while it settles
    const double delay = lowPassDelay(ratio * fpos, q);
    pad = 40;
    skip = static_cast<long long>(std::floor(delay + pad / ratio));
    start = pad - (skip - delay) * ratio;
  }
  const long long total = 2LL * pad + nin;
  const long long want = skip + nout;
  if (total > 0x7fffffffLL || want > 0x7fffffffLL / static_cast<long long>(sizeof(double)))
    return false;

  rs.Reset(start);
  rs.SetRates(nin - 1, nout - 1);

  std::vector<double> made;
  try {
    made.resize(static_cast<size_t>(want));
  } catch (const std::bad_alloc&) {
    return false;
  }
  constexpr int kChunk = 4096;
  long long fed = 0;
  int got = 0;
  while (got < want && fed < total) {
    const int chunk = static_cast<int>(total - fed < kChunk ? total - fed : kChunk);
    double* where = nullptr;
    const int grant = rs.ResamplePrepare(chunk, 1, &where);
    if (grant < 1 || !where) return false;
    for (int k = 0; k < grant; ++k) where[k] = extendedValue(in, nin, pad, fed + k);
    fed += grant;
    got += rs.ResampleOut(made.data() + got, grant, static_cast<int>(want - got), 1);
  }
  if (got < want) return false;
  memcpy(out, made.data() + skip, sizeof(double) * nout);
  return true;
}
