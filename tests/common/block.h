#pragma once

#include <vector>

// A stereo block owned by a test, with the channel array the units take.
struct Block {
  explicit Block(int n, double left = 0.0, double right = 0.0)
      : l(n, left), r(n, right), io{l.data(), r.data()} {}
  Block(std::vector<double> left, std::vector<double> right)
      : l(std::move(left)), r(std::move(right)), io{l.data(), r.data()} {}
  Block(const Block& o) : l(o.l), r(o.r), io{l.data(), r.data()} {}
  Block& operator=(const Block&) = delete;
  int size() const { return static_cast<int>(l.size()); }

  std::vector<double> l, r;
  double* io[2];
};
