#include "select/search_matcher.h"

#include "core/card_store.h"
#include "platform/text_util.h"

#include <QChar>

#include <array>

namespace {

// CharUpper of every UTF-16 unit, looked up rather than computed: a filter
// folds every unit of every text it examines.
const std::array<char16_t, 0x10000>& UpperTable() {
  static const auto table = [] {
    std::array<char16_t, 0x10000> t{};
    for (std::size_t c = 0; c < t.size(); ++c) t[c] = char16_t(QChar::toUpper(char32_t(c)));
    return t;
  }();
  return table;
}

}  // namespace

void SetSearchRequest(CCardStore& store, const std::vector<int>& items, int condition, const QString& word,
                      std::uint32_t requestFlag) {
  CSearchRequest& r = store.SearchRequest();
  r.items.assign(items.begin(), items.end());
  r.condition = condition;
  r.word = word;
  r.requestFlag = requestFlag;
}

CTextMatcher::CTextMatcher(int condition, QStringView word, bool distinguishCase)
    : m_condition(condition), m_word(distinguishCase ? word.toString() : CharUpper(word)),
      m_distinguishCase(distinguishCase), m_upper(&UpperTable()) {
  if (condition == kGreaterThan || condition == kLessThan) m_number = WcsToD(m_word);
}

char16_t CTextMatcher::Fold(char16_t c) const { return m_distinguishCase ? c : (*m_upper)[c]; }

// Whether the word stands in text at `at` (the word is already folded).
bool CTextMatcher::SameAt(QStringView text, qsizetype at) const {
  const qsizetype n = m_word.size();
  if (at < 0 || at + n > text.size()) return false;
  const char16_t* w = reinterpret_cast<const char16_t*>(m_word.constData());
  const char16_t* t = reinterpret_cast<const char16_t*>(text.utf16()) + at;
  for (qsizetype i = 0; i < n; ++i)
    if (Fold(t[i]) != w[i]) return false;
  return true;
}

bool CTextMatcher::Matches(QStringView text) const {
  switch (m_condition) {
    case kContains: {
      if (m_distinguishCase) return text.contains(m_word);
      const qsizetype last = text.size() - m_word.size();
      for (qsizetype at = 0; at <= last; ++at)
        if (SameAt(text, at)) return true;
      return false;
    }
    case kEquals: {
      // Without regard to case in any setting; with the case flag 0 the text
      // is compared in its upper-case form, as the word is.
      if (text.size() != m_word.size()) return false;
      for (qsizetype i = 0; i < text.size(); ++i)
        if (QChar::toLower(Fold(text[i].unicode())) != QChar::toLower(m_word[i].unicode())) return false;
      return true;
    }
    case kBeginsWith:
      return SameAt(text, 0);
    case kEndsWith:
      return SameAt(text, text.size() - m_word.size());
    case kGreaterThan:
      return WcsToD(text) > m_number;
    case kLessThan:
      return WcsToD(text) < m_number;
    default:
      return false;
  }
}

CCardMatcher::CCardMatcher(CSearchRequest& request)
    : m_request(request), m_text(request.condition, request.word, request.caseFlag != 0) {}

int CCardMatcher::Match(const CCardRow& card, bool restart, int direction) {
  const int count = int(m_request.items.size());
  std::int32_t& cursor = m_request.itemCursor;
  if (restart)
    cursor = direction > 0 ? 0 : count - 1;
  else
    cursor += direction;
  for (; cursor >= 0 && cursor < count; cursor += direction)
    if (m_text.Matches(card.Item(m_request.items[std::size_t(cursor)]))) return 1;
  return 0;
}

int MatchCard(CCardStore& store, const CCardRow& card, bool restart, int direction) {
  return CCardMatcher(store.SearchRequest()).Match(card, restart, direction);
}
