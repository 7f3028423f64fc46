#include "formula/date_functions.h"
#include "formula/expression_evaluator.h"
#include "formula/function_catalog.h"
#include "formula/number_text.h"
#include "platform/clock.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

// 20 tokens, two function calls, with the catalog as the application has it.
void BM_Evaluate(benchmark::State& state) {
  CompleteFunctionCatalog();
  const CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  const QString expression = QStringLiteral("max(12.5*3,40)+round(7/3,2)*2");
  for (auto _ : state) {
    const CEvalResult r = Evaluate(expression, clock);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Evaluate);

// The item-formula shape: numbers with thousands separators outside parentheses.
void BM_EvaluateGroupedNumbers(benchmark::State& state) {
  CompleteFunctionCatalog();
  const CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  const QString expression = QStringLiteral("1,234,567*3+dateserial(2024,5,3)-now");
  for (auto _ : state) {
    const CEvalResult r = Evaluate(expression, clock);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_EvaluateGroupedNumbers);

void BM_FormatGrouped(benchmark::State& state) {
  double v = 1234567.25;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatGrouped(v));
    v += 1;
  }
}
BENCHMARK(BM_FormatGrouped);

void BM_TextToNumber(benchmark::State& state) {
  const QString text = QStringLiteral("\\1,234,567.25");
  for (auto _ : state) benchmark::DoNotOptimize(TextToNumber(text));
}
BENCHMARK(BM_TextToNumber);

// WORKDAY with a count of working days from 2024 on (range(0)): a year's,
// one that ends near the last known date (a walk through nearly every known
// day) and one far beyond it (answered without a walk).
void BM_WorkDay(benchmark::State& state) {
  const CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  const QString args = QStringLiteral("2024/1/1,%1").arg(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(WorkDay(args, clock));
}
BENCHMARK(BM_WorkDay)->Arg(250)->Arg(1900000)->Arg(2000000000)->Unit(benchmark::kMillisecond);

}  // namespace
