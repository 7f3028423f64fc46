#include "select/folding_matcher.h"

#include "core/card_store.h"
#include "japanese/kana_fold.h"
#include "japanese/wide_digits.h"

namespace {

QString Prepared(QStringView word, bool fold, bool numbers) {
  if (fold) return FoldKana(word);
  if (numbers && WideDigitsAsNumbers() && HasWideNumberChars(word)) return NarrowNumberText(word);
  return word.toString();
}

}  // namespace

CFoldingMatcher::CFoldingMatcher(CSearchRequest& request, bool foldKana)
    : m_request(request),
      m_fold(foldKana),
      m_numbers(request.condition == kGreaterThan || request.condition == kLessThan),
      m_text(request.condition, Prepared(request.word, foldKana, m_numbers), request.caseFlag != 0) {}

CFoldingMatcher::CFoldingMatcher(CCardStore& store)
    : CFoldingMatcher(store.SearchRequest(), KanaFoldOn(store.Services().settings)) {}

bool CFoldingMatcher::Matches(QStringView text) const {
  if (m_fold && NeedsKanaFold(text)) return m_text.Matches(FoldKana(text));
  if (m_numbers && WideDigitsAsNumbers() && HasWideNumberChars(text)) return m_text.Matches(NarrowNumberText(text));
  return m_text.Matches(text);
}

int CFoldingMatcher::Match(const CCardRow& card, bool restart, int direction) {
  const int count = int(m_request.items.size());
  std::int32_t& cursor = m_request.itemCursor;
  if (restart)
    cursor = direction > 0 ? 0 : count - 1;
  else
    cursor += direction;
  for (; cursor >= 0 && cursor < count; cursor += direction)
    if (Matches(card.Item(m_request.items[std::size_t(cursor)]))) return 1;
  return 0;
}
