#pragma once

// The abstract filter that every unit holds: run-time parameters as a block of native values,
// self-describing parameters, two-channel block processing and a complex response.

#include <string>
#include <vector>

#include "Common.h"
#include "Layout.h"
#include "Params.h"

namespace Dsp {

class Biquad;
class DirectFormI;
class DirectFormII;

// What a filter hands over to be run together with others: its sections and the two
// channels' histories and denormal guards, or that it passes the block unchanged. The
// filter's own end-of-block work runs through finish(context).
template <class StateType>
struct SectionLink {
  static const int kMaxSections = 4;  // per filter
  bool passThrough = false;
  const Biquad* sections = nullptr;
  int numSections = 0;
  StateType* left = nullptr;
  StateType* right = nullptr;
  double* leftGuard = nullptr;
  double* rightGuard = nullptr;
  void (*finish)(void* context) = nullptr;
  void* context = nullptr;
};

// Direct form I sections, for processSeries.
using SeriesLink = SectionLink<DirectFormI>;
// Direct form II sections, for processSideBySide.
using SideLink = SectionLink<DirectFormII>;

enum FilterKind {
  kindLowPass = 0,
  kindHighPass = 1,
  kindBandPass = 2,
  kindBandStop = 3,
  kindLowShelf = 4,
  kindHighShelf = 5,
  kindBandShelf = 6
};

class Filter {
public:
  virtual ~Filter() {}

  virtual FilterKind getKind() const = 0;
  virtual std::string getName() const = 0;
  virtual int getNumParams() const = 0;
  // Throws std::logic_error("invalid usage of ParamInfo") for a position the filter lacks.
  virtual ParamInfo getParamInfo(int index) const = 0;
  virtual std::vector<PoleZeroPair> getPoleZeros() const = 0;
  // Transfer function at a frequency in cycles per sample (0..0.5).
  virtual complex_t response(double normalizedFrequency) const = 0;

  virtual int getNumChannels() = 0;
  // Clears the sample history of every channel.
  virtual void reset() = 0;
  // Filters in place, one buffer per channel. Allocates nothing and takes no locks.
  virtual void process(int numSamples, float* const* arrayOfChannels) = 0;
  virtual void process(int numSamples, double* const* arrayOfChannels) = 0;

protected:
  // Applies a parameter block to the design; reached through setParams and setParamById.
  virtual void doSetParams(const Params& parameters) = 0;

public:
  // Sets the length of parameter glides in samples (smoothed filters; others ignore it).
  virtual void doSetTransitionSamples(int samples) = 0;

  // Fills the link when the filter's next double block can run through processSeries: two
  // channels of direct form I sections, no glide to run. False otherwise.
  virtual bool seriesLink(SeriesLink&) { return false; }
  // The same for processSideBySide: two channels of direct form II sections, no glide to run.
  virtual bool sideLink(SideLink&) { return false; }

  // The last block handed over (all zeros before the first).
  const Params& getParams() const { return m_params; }

  // Every position in use at its descriptor's default, the rest 0.
  Params getDefaultParams() const;

  // Stores the block as the current one and applies it.
  void setParams(const Params& parameters) {
    m_params = parameters;
    doSetParams(parameters);
  }

  // Highest position whose descriptor has the id, or -1.
  int findParamId(int paramId) const;

  // Stores the value unconverted at the highest position with that id and applies the block;
  // an id no position carries changes and applies nothing.
  void setParamById(int paramId, double nativeValue);

  // Takes over, clamped to the own descriptors, every parameter the other filter shares by id;
  // the rest at defaults. Applies the block also when other is null or nothing matched.
  void copyParamsFrom(const Filter* other);

private:
  Params m_params;
};

}  // namespace Dsp
