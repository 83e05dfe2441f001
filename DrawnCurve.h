#pragma once

// The distortion curve as the user draws it in the curve editor: one value
// per pixel column, in screen orientation (-1 at the top edge, +1 at the
// bottom), so the effect negates what it reads. The editor writes it while
// drawing and the audio block reads it when the changed flag is set, without
// a lock: the size never changes after construction and every value is a
// relaxed atomic, so a stroke that overlaps a read mixes old and new columns
// at worst, and the flag the stroke sets brings another read.

#include <atomic>
#include <memory>

namespace Rawnfield {

class DrawnCurve {
public:
  // `columns` values; column k starts at 1 - 2k/columns, the identity curve.
  explicit DrawnCurve(int columns);
  DrawnCurve(const DrawnCurve&) = delete;
  DrawnCurve& operator=(const DrawnCurve&) = delete;

  int size() const { return n; }
  // The stored value of a column; 0 outside.
  double value(int column) const;
  // Stores v (unclamped) at a column 0..size()-1; anything else is ignored.
  void setCurveValue(int column, double v);
  // The curve at x in 0..1 (outside taken as the nearer end) by cubic
  // interpolation between columns, clamped to -1..1.
  double getCurveValue(double x) const;
  // The same without the clamp: values drawn beyond +-1 read as stored.
  double interpolate(double x) const;
  // A drag of the pointer that arrives at a column with value v, dX columns
  // from where it was: the column takes v, both neighbours move 0.7 of the
  // way to it, and a move of two columns or more fills the columns it
  // skipped (never column 0). Nothing outside 0..size()-1.
  void drag(int column, double v, int dX);

  // Set by the editor after every stroke; taken by whoever copies the curve.
  void markChanged() { changed.store(true, std::memory_order_release); }
  bool isChanged() const { return changed.load(std::memory_order_acquire); }
  // True once per stroke: clears the flag and reports whether it was set.
  bool takeChanged() { return changed.exchange(false, std::memory_order_acq_rel); }

private:
  int n;
  std::unique_ptr<std::atomic<double>[]> values;
  std::atomic<bool> changed{false};
};

}  // namespace Rawnfield
