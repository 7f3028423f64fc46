// Item formulas over the cards of a small file: the first line gives the
// formulas (separated by tabs, one per item from the first; an empty one
// leaves the item a plain one), the rest is the card file. Every value of
// every card must come back, the same each time it is asked for, however the
// formulas refer to each other.
#include "core/card_file.h"
#include "core/card_store.h"
#include "formula/function_catalog.h"
#include "formula/item_formula.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "item_formula_fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentPrompt prompt;
  static CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 0), Qt::LocalTime));
  static CMemoryClipboard clipboard;
  static CRecordingShell shell;
  static CSettingsStore settings(QStringLiteral("/nonexistent/velum-fuzz.reg"));
  static const bool ready = (CompleteFunctionCatalog(), InstallItemFormulas(), true);
  (void)ready;
  if (size > 4096) return 0;  // many cards of long formulas say nothing more
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype nl = bytes.indexOf('\n');
  const QStringList formulas = QString::fromUtf8(nl < 0 ? bytes : bytes.left(nl)).split(u'\t');
  const CServices services{prompt, clock, clipboard, shell, settings, CodePage::Utf8};
  CCardStore store(services);
  store.FileProperty().m_firstLine = 1;
  ReadCardBytes(store, nl < 0 ? QByteArray() : bytes.mid(nl + 1), false);
  for (int i = 0; i < store.ItemCount() && i < formulas.size(); ++i) {
    if (formulas[i].isEmpty()) continue;
    store.Property(i).m_formula = formulas[i];
    store.Property(i).m_type = kItemStandard;
  }
  std::vector<QString> first;
  for (int round = 0; round < 2; ++round) {
    std::size_t n = 0;
    for (int k = 0; k < store.AllCount(); ++k) {
      for (int i = 0; i < store.ItemCount(); ++i) {
        for (const bool display : {true, false}) {
          const QString value = GetItemValue(store, k, true, i, display);
          if (round == 0)
            first.push_back(value);
          else
            Check(first[n] == value, "a value changed when asked again");
          ++n;
        }
      }
    }
    // The second round from a fresh cache.
    store.SetValueCache(nullptr);
  }
  for (int i = 0; i < store.ItemCount(); ++i) ComputeColumnStatistics(store, i);
  store.RecalcAll();
  return 0;
}
