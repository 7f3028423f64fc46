#include "datetime/date_serial.h"
#include "datetime/holiday.h"

#include <benchmark/benchmark.h>

namespace {

// Conversions over the span of valid date texts, one serial after another, as
// the working-day walks of formulas use them.
void BM_SerialToDate(benchmark::State& state) {
  const DateSerial first = DateToSerial(1972, 1, 1);
  const DateSerial last = DateToSerial(2036, 12, 31);
  DateSerial s = first;
  int y = 0, m = 0, d = 0;
  for (auto _ : state) {
    SerialToDate(s, &y, &m, &d);
    benchmark::DoNotOptimize(y);
    benchmark::DoNotOptimize(m);
    benchmark::DoNotOptimize(d);
    s = s == last ? first : s + 1;
  }
}
BENCHMARK(BM_SerialToDate);

// Serials spread over years 1 to 9999 in an order the branch predictor cannot follow.
void BM_SerialToDateScattered(benchmark::State& state) {
  const auto last = static_cast<std::uint32_t>(DateToSerial(9999, 12, 31));
  std::uint32_t x = 12345;
  int y = 0, m = 0, d = 0;
  for (auto _ : state) {
    x = x * 1664525u + 1013904223u;
    SerialToDate(static_cast<DateSerial>(367 + (x >> 8) % (last - 367)), &y, &m, &d);
    benchmark::DoNotOptimize(y);
    benchmark::DoNotOptimize(m);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_SerialToDateScattered);

void BM_DateToSerial(benchmark::State& state) {
  int day = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DateToSerial(2010, 9, day));
    day = day == 28 ? 1 : day + 1;
  }
}
BENCHMARK(BM_DateToSerial);

void BM_IsDayOff(benchmark::State& state) {
  const DateSerial first = DateToSerial(1972, 1, 1);
  const DateSerial last = DateToSerial(2036, 12, 31);
  DateSerial s = first;
  int y = 0, m = 0, d = 0;
  for (auto _ : state) {
    SerialToDate(s, &y, &m, &d);
    benchmark::DoNotOptimize(IsDayOff(y, m, d, true));
    s = s == last ? first : s + 1;
  }
}
BENCHMARK(BM_IsDayOff);

}  // namespace
