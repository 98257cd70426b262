// The figures the benchmarks report: medians, and ratios taken pair by pair
// with their spread, so that a busy machine, which slows both sides of a
// pair run one after the other, moves a ratio far less than either time.
#pragma once

#include <string>
#include <vector>

namespace pelloquin::bench {

double Median(std::vector<double> values);

struct Spread {
  double median = 0;
  double low = 0;
  double high = 0;
};
Spread SpreadOf(const std::vector<double>& values);

// numerators[i] / denominators[i], pair by pair.
std::vector<double> Ratios(const std::vector<double>& numerators,
                           const std::vector<double>& denominators);

std::string Fixed(double value, int decimals);
// Milliseconds, with two decimals below 10.
std::string Milliseconds(double seconds);
// "0.42x (0.38-0.47)": the median, then the lowest and highest.
std::string RatioText(const Spread& spread, int decimals = 2);

}  // namespace pelloquin::bench
