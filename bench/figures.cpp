// Medians, per-pair ratios and their spread, as text.
#include "figures.h"

#include <algorithm>
#include <sstream>

namespace pelloquin::bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Spread SpreadOf(const std::vector<double>& values) {
  if (values.empty()) return {};
  auto [low, high] = std::minmax_element(values.begin(), values.end());
  return {Median(values), *low, *high};
}

std::vector<double> Ratios(const std::vector<double>& numerators,
                           const std::vector<double>& denominators) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < numerators.size() && i < denominators.size(); ++i) {
    ratios.push_back(denominators[i] > 0 ? numerators[i] / denominators[i] : 0);
  }
  return ratios;
}

std::string Fixed(double value, int decimals) {
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(decimals);
  text << value;
  return text.str();
}

std::string Milliseconds(double seconds) {
  double ms = seconds * 1000;
  return Fixed(ms, ms < 10 ? 2 : 1);
}

std::string RatioText(const Spread& spread, int decimals) {
  return Fixed(spread.median, decimals) + "x (" + Fixed(spread.low, decimals) + "-" +
         Fixed(spread.high, decimals) + ")";
}

}  // namespace pelloquin::bench
