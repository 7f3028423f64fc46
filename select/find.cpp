#include "select/find.h"

#include "core/card_store.h"
#include "japanese/kana_fold.h"
#include "select/folding_matcher.h"
#include "select/search_matcher.h"
#include "settings/settings.h"

#include <QChar>

#include <algorithm>

int FindForward(CCardStore& store, int start, bool restart) {
  CFoldingMatcher matcher(store);
  for (int n = std::max(start, 0); n < store.VisibleCount(); ++n) {
    if (matcher.Match(*store.VisibleCard(n), n == start ? restart : true, +1)) return n;
  }
  return -1;
}

int FindBackward(CCardStore& store, int start) {
  CFoldingMatcher matcher(store);
  for (int n = std::min(start, store.VisibleCount() - 1); n >= 0; --n) {
    if (matcher.Match(*store.VisibleCard(n), n != start, -1)) return n;
  }
  return -1;
}

namespace {
const QString kHistorySection = QStringLiteral("Search");
}

QStringList ReadSearchHistory(const CSettingsStore& settings) {
  QStringList history;
  for (int i = 0; i < kSearchHistorySize; ++i)
    history << settings.GetProfileString(kHistorySection, settings::SearchHistoryName(i), QString());
  return history;
}

void PushSearchHistory(CSettingsStore& settings, const QString& word) {
  // One read-modify-write under the settings lock: two copies searching at
  // once must not write over each other's words.
  settings.Update([&] {
    QStringList history = ReadSearchHistory(settings);
    const qsizetype at = history.indexOf(word);
    if (at >= 0) history.removeAt(at);
    history.prepend(word);
    for (int i = 0; i < kSearchHistorySize; ++i)
      settings.WriteProfileString(kHistorySection, settings::SearchHistoryName(i), history[i]);
  });
}

bool IncrementalMatch(QStringView cardText, QStringView text, bool foldKana) {
  if (cardText.isEmpty()) return false;
  QString folded;
  if (foldKana && NeedsKanaFold(cardText)) {
    folded = FoldKana(cardText);
    cardText = folded;
  }
  const auto same = [](QChar a, QChar b) { return QChar::toLower(a.unicode()) == QChar::toLower(b.unicode()); };
  const qsizetype last = cardText.size() - text.size();
  for (qsizetype at = 0; at <= last; ++at) {
    qsizetype i = 0;
    while (i < text.size() && same(cardText[at + i], text[i])) ++i;
    if (i == text.size()) return true;
  }
  return false;
}

int CIncrementalSearch::Search(const CCardStore& store, int item, QStringView text, int again, int currentEntry) {
  if (again == 1)
    m_start = currentEntry;
  else if (text.isEmpty())
    m_start = -1;
  const bool fold = KanaFoldOn(store.Services().settings);
  const QString word = fold ? FoldKana(text) : text.toString();
  for (int n = std::max(m_start + 1, 0); n < store.VisibleCount(); ++n)
    if (IncrementalMatch(store.GetItemValue(n, item), word, fold)) return n;
  return -1;
}
