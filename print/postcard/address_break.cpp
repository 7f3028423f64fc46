#include "print/postcard/address_break.h"

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

// How natural a break before position p of text is: 3 best, 0 inside a number.
int BreakRank(const CVerticalText& t, qsizetype p) {
  const QString& s = t.text;
  if (p <= 0 || p >= s.size()) return 0;
  if (IsBlank(s[p - 1]) || IsBlank(s[p])) return 3;
  if (t.inNumber[p - 1] && t.inNumber[p]) return 0;
  const QChar next = s[p];
  const QStringView before = QStringView(s).first(p);
  if (before.endsWith(u"丁目") || before.endsWith(u"番地")) return 3;
  if (before.endsWith(u'番') && next != u'地') return 3;
  if (before.endsWith(u'号') && !QStringView(u"室棟館").contains(next)) return 3;
  if (QStringView(u"都道府県市区郡町村").contains(s[p - 1])) return 2;
  return 1;
}

}  // namespace

QStringList BreakAddress(const CVerticalText& text, const std::function<bool(QStringView)>& fits) {
  QStringList columns;
  const QString& s = text.text;
  qsizetype begin = 0;
  const auto skipBlanks = [&] {
    while (begin < s.size() && IsBlank(s[begin])) ++begin;
  };
  const auto push = [&](qsizetype end) {
    qsizetype e = end;
    while (e > begin && IsBlank(s[e - 1])) --e;
    if (e > begin) columns << s.sliced(begin, e - begin);
    begin = end;
    skipBlanks();
  };
  skipBlanks();
  while (begin < s.size()) {
    if (fits(QStringView(s).sliced(begin))) {
      push(s.size());
      break;
    }
    // The longest column that fits, then the best break within it.
    qsizetype longest = begin + 1;
    while (longest < s.size() && fits(QStringView(s).sliced(begin, longest + 1 - begin))) ++longest;
    // A break that leaves the column less than a third full is taken only
    // when nothing better is found in the rest of it.
    const auto bestBreak = [&](qsizetype from) {
      qsizetype best = -1;
      int bestRank = 0;
      for (qsizetype p = longest; p > from; --p) {
        const int rank = BreakRank(text, p);
        if (rank > bestRank) {
          best = p;
          bestRank = rank;
          if (rank == 3) break;
        }
      }
      return best;
    };
    qsizetype best = bestBreak(begin + (longest - begin) / 3);
    if (best < 0) best = bestBreak(begin);
    push(best > begin ? best : longest);
  }
  return columns;
}
