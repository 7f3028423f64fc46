#include "cli/postcard_print.h"

#include "core/velum_doc.h"
#include "render/postcard/postcard_document.h"

#include <numeric>

using namespace Qt::StringLiterals;

CPostcardPrintOutcome PrintPostcards(CVelumDoc& doc, const CParsedArgs& a, const QString& out) {
  if (a.Has(u"--labels"_s) || a.Has(u"--form"_s))
    return {kExitUsage, u"--postcard goes with neither --labels nor --form"_s, true};
  const CPostcardSettings settings = ReadPostcardSettings(doc.Services().settings);
  QString error;
  if (a.Has(u"--calibrate"_s)) {
    if (a.Has(u"--start"_s)) return {kExitUsage, u"--calibrate prints one page: no --start"_s, true};
    if (!WritePostcardCalibrationPdf(settings, out, &error)) return {kExitFailed, error};
    return {};
  }
  const int count = doc.Store().VisibleCount();
  int start = 1;
  if (a.Has(u"--start"_s)) {
    bool ok = false;
    start = a.Value(u"--start"_s).toInt(&ok);
    if (!ok || start < 1 || start > std::max(count, 1))
      return {kExitUsage, u"--start takes a card from 1 to %1 (the visible cards)"_s.arg(std::max(count, 1)), true};
  }
  if (count == 0) return {kExitFailed, u"印刷するはがきがありません"_s};
  std::vector<int> cards(std::size_t(count - (start - 1)));
  std::iota(cards.begin(), cards.end(), start - 1);
  CPostcardDocument postcards(doc.Store(), std::move(cards), settings);
  if (!WritePostcardPdf(postcards, out, &error)) return {kExitFailed, error};
  for (const QString& problem : postcards.Problems(0, -1)) doc.Services().prompt.Notice(problem);
  return {};
}
