// Any text given to the evaluator ends with one of its result codes, and the
// number texts survive any value it delivers.
#include "formula/expression_evaluator.h"
#include "formula/function_catalog.h"
#include "formula/number_text.h"
#include "platform/clock.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(QStringView expression, const IClock& clock) {
  const CEvalResult r = Evaluate(expression, clock);
  if (r.code < kEvalDivideByZero || r.code > kEvalOk) std::abort();
  if (r.code == kEvalEmpty && !expression.isEmpty()) std::abort();
  if (r.Ok()) {
    const QString grouped = FormatGrouped(r.value);
    if (grouped.isEmpty()) std::abort();
    // Reading the grouped text back gives the "%.10g" value again.
    if (!grouped.contains(u'e') && !grouped.contains(u'n') &&
        FormatDouble(TextToNumber(grouped), 10) != FormatDouble(r.value, 10))
      std::abort();
  }
  TextToNumber(expression);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  static const bool completed = (CompleteFunctionCatalog(), true);
  (void)completed;
  const auto* chars = reinterpret_cast<const char*>(data);
  Check(QString::fromUtf8(chars, static_cast<qsizetype>(size)), clock);
  // The same bytes as UTF-16 units, lone surrogates included.
  Check(QStringView(reinterpret_cast<const char16_t*>(data), static_cast<qsizetype>(size / 2)), clock);
  return 0;
}
