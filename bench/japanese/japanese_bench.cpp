// The postal-code list of skkdic-extra (about 140,000 codes): the first
// lookup, which reads the list, later lookups of a code and of an address,
// and the memory the list holds; よみ順 sort keys and kana folding.
#include "japanese/kana_fold.h"
#include "japanese/postal_codes.h"
#include "japanese/yomi_collator.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>

#include <fstream>
#include <string>

namespace {

const QStringList kFiles{QStringLiteral("/usr/share/skk/SKK-JISYO.zipcode"),
                         QStringLiteral("/usr/share/skk/SKK-JISYO.office.zipcode")};

bool Available() { return QFile::exists(kFiles[0]); }

// Resident memory of the process in KiB (VmRSS).
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

void BM_PostalFirstLoad(benchmark::State& state) {
  if (!Available()) return state.SkipWithError("skkdic-extra is not installed");
  long grew = 0;
  for (auto _ : state) {
    const long before = ResidentKiB();
    CPostalCodes codes;
    for (const QString& f : kFiles) codes.Load(f, nullptr);
    benchmark::DoNotOptimize(codes.Lookup(u"1000001"));
    grew = ResidentKiB() - before;
    state.counters["codes"] = double(codes.Count());
  }
  state.counters["list_MiB"] = double(grew) / 1024.0;
}
BENCHMARK(BM_PostalFirstLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

const CPostalCodes& Loaded() {
  static CPostalCodes codes = [] {
    CPostalCodes c;
    for (const QString& f : kFiles) c.Load(f, nullptr);
    return c;
  }();
  return codes;
}

void BM_PostalLookup(benchmark::State& state) {
  if (!Available()) return state.SkipWithError("skkdic-extra is not installed");
  const CPostalCodes& codes = Loaded();
  const QString samples[] = {QStringLiteral("100-0001"), QStringLiteral("〒４９８－００００"),
                             QStringLiteral("0600042"), QStringLiteral("9999999")};
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(codes.Lookup(samples[n++ % std::size(samples)]));
}
BENCHMARK(BM_PostalLookup)->Unit(benchmark::kMicrosecond);

void BM_PostalAddressLookup(benchmark::State& state) {
  if (!Available()) return state.SkipWithError("skkdic-extra is not installed");
  const CPostalCodes& codes = Loaded();
  codes.CodesForAddress(u"東京都");  // the address index is made on first use
  for (auto _ : state) benchmark::DoNotOptimize(codes.CodesForAddress(u"東京都千代田区千代田１丁目１番１号"));
}
BENCHMARK(BM_PostalAddressLookup)->Unit(benchmark::kMicrosecond);

void BM_PostalAddressIndex(benchmark::State& state) {
  if (!Available()) return state.SkipWithError("skkdic-extra is not installed");
  for (auto _ : state) {
    state.PauseTiming();
    CPostalCodes codes;
    for (const QString& f : kFiles) codes.Load(f, nullptr);
    state.ResumeTiming();
    benchmark::DoNotOptimize(codes.CodesForAddress(u"東京都"));
  }
}
BENCHMARK(BM_PostalAddressIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_YomiSortKeys(benchmark::State& state) {
  const CYomiCollator collator;
  const QStringList names{QStringLiteral("かとう たろう"), QStringLiteral("ｶﾄｳ ﾀﾛｳ"), QStringLiteral("わたなべ"),
                          QStringLiteral("1丁目10番"), QStringLiteral("ＡＢＣ商店")};
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(collator.SortKey(names[qsizetype(n++ % 5)]));
}
BENCHMARK(BM_YomiSortKeys);

void BM_FoldKana(benchmark::State& state) {
  const QString text = QStringLiteral("ｶﾄｳ ﾀﾛｳ カトウタロウ ＡＢＣ１２３ 東京都千代田区");
  for (auto _ : state) benchmark::DoNotOptimize(FoldKana(text));
}
BENCHMARK(BM_FoldKana);

}  // namespace
