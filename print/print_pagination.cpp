#include "print/print_pagination.h"

#include "platform/text_util.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

bool IsBlank(char32_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }

// Characters a line may be cut after without a blank: CJK ideographs, kana,
// hangul and full-width forms.
bool IsCjk(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// The code point at i and how many UTF-16 units it takes.
char32_t CodePointAt(QStringView text, qsizetype i, qsizetype end, int* units) {
  const char16_t u = text[i].unicode();
  if (QChar::isHighSurrogate(u) && i + 1 < end && QChar::isLowSurrogate(text[i + 1].unicode())) {
    *units = 2;
    return QChar::surrogateToUcs4(u, text[i + 1].unicode());
  }
  *units = 1;
  return u;
}

double SpanWidth(const ITextMeasure& m, QStringView text, qsizetype from, qsizetype to) {
  double w = 0;
  for (qsizetype i = from; i < to;) {
    int units;
    w += m.CharWidth(CodePointAt(text, i, to, &units));
    i += units;
  }
  return w;
}

// Characters that hold a number, a date, a time, a postal code or a
// telephone number together: digits, their signs and separators, and the
// kanji of a written date or time.
bool IsNumberJoiner(char32_t c) {
  if ((c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19)) return true;
  static constexpr std::u32string_view kJoiners = U"+-.,/:()#%$\u00A5\u3012\u2212\u30FC\uFF0B\uFF0D\uFF0E\uFF0C\uFF0F\uFF1A"
                                                  U"\uFF08\uFF09\uFF03\uFF05\uFFE5\u5E74\u6708\u65E5\u6642\u5206\u79D2";
  return kJoiners.find(c) != std::u32string_view::npos;
}

bool IsDigit(char32_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19); }

// Longer runs of digits (a serial, a hex dump) are cut like any word.
constexpr qsizetype kMaxNumberRun = 40;

// The end of the number-like run that begins at i: IsNumberJoiner characters
// with a digit among them, two to kMaxNumberRun of them, not begun inside a
// longer run; i itself when there is none there.
qsizetype NumberRunEnd(QStringView text, qsizetype i, qsizetype end) {
  if (i > 0 && IsNumberJoiner(text[i - 1].unicode())) return i;
  qsizetype j = i;
  bool digit = false;
  while (j < end && j - i <= kMaxNumberRun && IsNumberJoiner(text[j].unicode())) {
    digit = digit || IsDigit(text[j].unicode());
    ++j;
  }
  if (!digit || j - i > kMaxNumberRun || j - i < 2) return i;
  return j;
}

// One unit a line is never cut inside: a number-like run (NumberRunEnd) or a
// single character.
struct CAtom {
  qsizetype end = 0;
  double width = 0;
  char32_t single = 0;  // the character when the atom is one, else 0
};

CAtom NextAtom(const ITextMeasure& m, QStringView text, qsizetype i, qsizetype end) {
  int units;
  const char32_t c = CodePointAt(text, i, end, &units);
  const qsizetype run = NumberRunEnd(text, i, end);
  if (run > i) return {run, SpanWidth(m, text, i, run), 0};
  return {i + units, m.CharWidth(c), c};
}

// Calls emit(start, length) for every printed line of text; see WrapText.
template <typename Emit>
void ForEachLine(const ITextMeasure& m, QStringView text, double width, Emit emit) {
  const qsizetype n = text.size();
  qsizetype s = 0;
  while (true) {
    qsizetype e = s;
    while (e < n && text[e] != u'\r' && text[e] != u'\n') ++e;
    qsizetype lineStart = s;
    qsizetype breakAt = -1;
    double w = 0;
    for (qsizetype i = s; i < e;) {
      const CAtom atom = NextAtom(m, text, i, e);
      if (w + atom.width > width && i > lineStart) {
        const qsizetype cut = breakAt > lineStart ? breakAt : i;
        qsizetype end = cut;
        while (end > lineStart && IsBlank(text[end - 1].unicode())) --end;
        emit(lineStart, end - lineStart);
        lineStart = cut;
        while (lineStart < e && IsBlank(text[lineStart].unicode())) ++lineStart;
        breakAt = -1;
        if (lineStart >= i) {
          i = lineStart;
          w = 0;
        } else {
          w = SpanWidth(m, text, lineStart, i);
        }
        continue;
      }
      w += atom.width;
      if (atom.single != 0 ? IsBlank(atom.single) || IsCjk(atom.single) : false) breakAt = atom.end;
      // A cut may follow a number too, when the text goes on with a word.
      if (atom.single == 0 && atom.end < e && !IsNumberJoiner(text[atom.end].unicode())) breakAt = atom.end;
      i = atom.end;
    }
    emit(lineStart, e - lineStart);
    if (e >= n) return;
    s = e + (text[e] == u'\r' && e + 1 < n && text[e + 1] == u'\n' ? 2 : 1);
  }
}

int CountLines(const ITextMeasure& m, QStringView text, double width) {
  int count = 0;
  ForEachLine(m, text, width, [&](qsizetype, qsizetype) { ++count; });
  return count;
}

bool Usable(double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; }

}  // namespace

double TextWidth(const ITextMeasure& measure, QStringView text) { return SpanWidth(measure, text, 0, text.size()); }

std::vector<CTextLine> WrapText(const ITextMeasure& measure, QStringView text, double width) {
  std::vector<CTextLine> lines;
  ForEachLine(measure, text, width, [&](qsizetype start, qsizetype length) { lines.push_back({start, length}); });
  return lines;
}

double WidestLine(const ITextMeasure& measure, QStringView text) {
  double widest = 0;
  ForEachLine(measure, text, INFINITY, [&](qsizetype start, qsizetype length) {
    widest = std::max(widest, SpanWidth(measure, text, start, start + length));
  });
  return widest;
}

double WidestUnbroken(const ITextMeasure& measure, QStringView text) {
  // The beginning is enough to size a column by.
  const qsizetype n = std::min<qsizetype>(text.size(), 4096);
  double widest = 0;
  for (qsizetype i = 0; i < n;) {
    const qsizetype run = NumberRunEnd(text, i, n);
    if (run > i) widest = std::max(widest, SpanWidth(measure, text, i, run));
    i = std::max(run, i + 1);
  }
  return widest;
}

bool IsNumberText(QStringView text) {
  if (text.size() > 64) return false;
  QString plain = text.trimmed().toString();
  plain.remove(u',');
  if (plain.isEmpty()) return false;
  qsizetype used = 0;
  WcsToD(plain, &used);
  return used == plain.size();
}

CPrintPagination::CPrintPagination(const CPrintRequest& request, QSizeF paperMM, const ITextMeasure& measure,
                                   PrintCellText text, QStringList names)
    : m_request(request), m_measure(measure), m_text(std::move(text)), m_names(std::move(names)) {
  if (!Usable(paperMM.width(), 50, 2000) || !Usable(paperMM.height(), 50, 2000)) paperMM = QSizeF(210, 297);
  m_paper = paperMM * 10;
  // Margins a damaged or odd record holds (negative, huge, not a number) give
  // way to 10 mm, so that there is always room to print in.
  std::array<double, 4> margins;
  for (int k = 0; k < 4; ++k) {
    const double v = request.layout.m_margins[std::size_t(k)];
    margins[std::size_t(k)] = Usable(v, 0, 100) ? v * 10 : 100;
  }
  if (m_paper.width() - margins[0] - margins[2] < 300) margins[0] = margins[2] = 100;
  if (m_paper.height() - margins[1] - margins[3] < 300 + kFooterHeight) margins[1] = margins[3] = 100;
  m_printable = QRectF(margins[0], margins[1], m_paper.width() - margins[0] - margins[2],
                       m_paper.height() - margins[1] - margins[3]);

  const CPrintLabel& l = request.sheet;
  m_sheet.across = LabelsAcross(l);
  m_sheet.down = LabelsDown(l);
  if (Usable(l.m_cx, 1, 2000)) m_sheet.width = l.m_cx * 10;
  if (Usable(l.m_cy, 1, 2000)) m_sheet.height = l.m_cy * 10;
  m_sheet.xGap = Usable(l.m_xSpace, 0, 2000) ? l.m_xSpace * 10 : 0;
  m_sheet.yGap = Usable(l.m_ySpace, 0, 2000) ? l.m_ySpace * 10 : 0;
  m_sheet.top = Usable(l.m_margins[0], 0, 2000) ? l.m_margins[0] * 10 : 100;
  m_sheet.left = Usable(l.m_margins[1], 0, 2000) ? l.m_margins[1] * 10 : 100;

  if (request.kind == PrintKind::kList)
    LayOutColumns();
  else if (request.kind == PrintKind::kCards)
    LayOutNameColumn();
}

QRectF CPrintPagination::Body() const { return m_printable.adjusted(0, 0, 0, -kFooterHeight); }

QRectF CPrintPagination::Footer() const {
  return QRectF(m_printable.left(), m_printable.bottom() - kFooterHeight + 10, m_printable.width(),
                kFooterHeight - 10);
}

void CPrintPagination::LayOutColumns() {
  const std::vector<int>& items = m_request.items;
  const std::size_t n = items.size();
  const double total = m_printable.width();
  m_columns.assign(n + 1, m_printable.left());
  m_rightAligned.assign(n, false);
  if (n == 0) return;
  // What each column would like: its heading and the widest line of the cards
  // sampled, no more than half the page; what it needs so that no number or
  // date is cut; and the width the layout gives it, if any.
  const double em = m_measure.CharWidth(U'あ');
  const double minimum = 4 * em + 2 * kPadX;
  const int cards = int(m_request.cards.size());
  const int samples = std::min(cards, kColumnSamples);
  std::vector<double> want(n), least(n), need(n, 0), fixed(n, 0);
  std::vector<bool> empty(n, true);
  for (std::size_t c = 0; c < n; ++c) {
    const QString name = m_names.value(items[c]);
    double w = WidestLine(m_measure, name);
    double unbroken = WidestUnbroken(m_measure, name);
    bool numbers = false, others = false;
    for (int s = 0; s < samples; ++s) {
      const int index = int(qint64(s) * cards / samples);
      const QString text = m_text(index, items[c]);
      if (text.isEmpty()) continue;
      empty[c] = false;
      w = std::max(w, WidestLine(m_measure, text));
      unbroken = std::max(unbroken, WidestUnbroken(m_measure, text));
      if (!text.trimmed().isEmpty()) (IsNumberText(text) ? numbers : others) = true;
    }
    m_rightAligned[c] = numbers && !others;
    if (empty[c]) {
      // Nothing to print: room for the heading a character a line.
      want[c] = least[c] = std::min(w, em) + 2 * kPadX;
    } else {
      // A column of short texts (codes, dates, amounts) needs no more than they do.
      want[c] = std::clamp(w + 2 * kPadX, std::min(minimum, 2 * em + 2 * kPadX), std::max(total / 2, minimum));
      if (unbroken > 0) need[c] = std::min(unbroken + 2 * kPadX, want[c]);
      least[c] = std::max(std::min(minimum, want[c]), need[c]);
    }
    if (const double mm = m_request.extras.WidthOf(name); mm > 0) fixed[c] = mm * 10;
  }

  // Widths the layout sets come first, but leave every other column a little.
  double sumFixed = 0;
  int open = 0;
  for (std::size_t c = 0; c < n; ++c) {
    sumFixed += fixed[c];
    open += fixed[c] > 0 ? 0 : 1;
  }
  const double fixedRoom = std::max(total - open * (em + 2 * kPadX), total / 2);
  const double fixedScale = sumFixed > fixedRoom ? fixedRoom / sumFixed : 1;
  std::vector<double> width(n, 0);
  std::vector<bool> done(n, false);
  double room = total;
  for (std::size_t c = 0; c < n; ++c)
    if (fixed[c] > 0) {
      width[c] = fixed[c] * fixedScale;
      room -= width[c];
      done[c] = true;
    }

  double sumWant = 0, sumLeast = 0;
  for (std::size_t c = 0; c < n; ++c)
    if (!done[c]) sumWant += want[c], sumLeast += least[c];
  if (open == 0) {
    // Every width set: what is left over (or missing) goes alike.
  } else if (sumWant <= room) {
    // Room to spare goes alike to the columns with something to print.
    int takers = 0;
    for (std::size_t c = 0; c < n; ++c) takers += !done[c] && !empty[c] ? 1 : 0;
    for (std::size_t c = 0; c < n; ++c)
      if (!done[c])
        width[c] = want[c] + (takers == 0 ? (room - sumWant) / open
                              : empty[c]  ? 0
                                          : (room - sumWant) / takers);
  } else if (sumLeast < room) {
    // Too narrow for every column: a column that wants no more than an equal
    // share of what is left gets all it wants, so short texts (codes, dates,
    // numbers) stay on one line; the wide ones share the rest by what they
    // want, each keeping what its numbers and dates need.
    double left = room;
    for (bool more = true; more;) {
      more = false;
      int still = 0;
      for (std::size_t c = 0; c < n; ++c) still += done[c] ? 0 : 1;
      for (std::size_t c = 0; c < n && still > 0; ++c) {
        if (done[c] || want[c] > left / still) continue;
        done[c] = true;
        width[c] = want[c];
        left -= want[c];
        more = true;
        break;
      }
    }
    double openWant = 0, openLeast = 0;
    for (std::size_t c = 0; c < n; ++c)
      if (!done[c]) openWant += want[c], openLeast += least[c];
    for (std::size_t c = 0; c < n; ++c) {
      if (done[c]) continue;
      width[c] = openWant > openLeast && left > openLeast
                     ? least[c] + (left - openLeast) * (want[c] - least[c]) / (openWant - openLeast)
                     : left * want[c] / openWant;
    }
  } else {
    // More columns than fit even at their least: numbers and dates keep the
    // width they need while it lasts, the others share the rest by their
    // least (past that, a number too wide for its column is printed narrower).
    room = std::max(room, 0.0);
    double sumNeed = 0, sumOther = 0;
    for (std::size_t c = 0; c < n; ++c)
      if (!done[c]) (need[c] > 0 ? sumNeed += need[c] : sumOther += least[c]);
    const bool keep = sumOther > 0 && sumNeed < room / 2;
    for (std::size_t c = 0; c < n; ++c) {
      if (done[c]) continue;
      if (!keep)
        width[c] = room * least[c] / sumLeast;
      else
        width[c] = need[c] > 0 ? need[c] : (room - sumNeed) * least[c] / sumOther;
    }
  }
  double sum = 0;
  for (double w : width) sum += w;
  if (open == 0 && sum > 0)
    for (double& w : width) w *= total / sum;
  for (std::size_t c = 0; c < n; ++c) m_columns[c + 1] = m_columns[c] + width[c];
  m_columns[n] = m_printable.right();
  int lines = 1;
  for (std::size_t c = 0; c < n; ++c)
    lines = std::max(lines, CountLines(m_measure, m_names.value(items[c]), width[c] - 2 * kPadX));
  m_headingHeight = std::min(lines * m_measure.LineHeight() + 2 * kPadY, Body().height() / 2);
}

void CPrintPagination::LayOutNameColumn() {
  double w = 0;
  for (int item : m_request.items) w = std::max(w, WidestLine(m_measure, m_names.value(item)));
  const double minimum = 4 * m_measure.CharWidth(U'あ') + 2 * kPadX;
  m_nameWidth = std::min(std::max(w + 2 * kPadX, std::min(minimum, m_printable.width() / 3)),
                         m_printable.width() * 0.4);
}

double CPrintPagination::RowHeight(int index) const {
  int lines = 1;
  const std::vector<int>& items = m_request.items;
  for (std::size_t c = 0; c < items.size(); ++c) {
    const QString text = m_text(index, items[c]);
    if (!text.isEmpty())
      lines = std::max(lines, CountLines(m_measure, text, m_columns[c + 1] - m_columns[c] - 2 * kPadX));
  }
  // A row taller than a page is cut at the page's foot.
  return std::min(lines * m_measure.LineHeight() + 2 * kPadY, Body().height() - m_headingHeight);
}

double CPrintPagination::CardLineHeight(int index, int item) const {
  const double valueWidth = m_printable.width() - m_nameWidth - 2 * kPadX;
  const int lines = std::max(CountLines(m_measure, m_names.value(item), m_nameWidth - 2 * kPadX),
                             CountLines(m_measure, m_text(index, item), valueWidth));
  return lines * m_measure.LineHeight() + 2 * kPadY;
}

std::vector<double> CPrintPagination::CardLineHeights(int index) const {
  std::vector<double> heights;
  double sum = 0;
  for (int item : m_request.items) {
    heights.push_back(CardLineHeight(index, item));
    sum += heights.back();
  }
  const double room = Body().height() / kMinCardScale;
  if (sum <= room) return heights;
  // The tallest lines are cut to one height, the least that fills the room.
  std::vector<double> sorted = heights;
  std::sort(sorted.begin(), sorted.end());
  double used = 0, cap = 0;
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    cap = (room - used) / double(sorted.size() - k);
    if (sorted[k] > cap) break;
    used += sorted[k];
  }
  for (double& h : heights) h = std::min(h, cap);
  return heights;
}

double CPrintPagination::CardHeight(int index) const {
  double h = 0;
  for (double line : CardLineHeights(index)) h += line;
  return std::max(h, m_measure.LineHeight() + 2 * kPadY);
}

bool CPrintPagination::LayOutTo(int page) {
  if (page < 0) return false;
  if (m_request.kind == PrintKind::kLabels) return page < PageCount();
  const int n = int(m_request.cards.size());
  const bool list = m_request.kind == PrintKind::kList;
  const double room = Body().height() - (list ? m_headingHeight : 0);
  while (!m_done && int(m_pageStarts.size()) <= page) {
    const int start = m_next;
    m_pageStarts.push_back(start);
    double y = 0;
    int i = start;
    while (i < n) {
      const double h = list ? RowHeight(i) : CardHeight(i);
      if (i > start && y + h > room) break;
      y += h + (list ? 0 : kCardGap);
      ++i;
      if (h > room) break;  // a card shrunk to the page stands alone
    }
    m_next = i;
    m_done = i >= n;
  }
  return page < int(m_pageStarts.size());
}

int CPrintPagination::PageCount() {
  if (m_request.kind == PrintKind::kLabels) {
    const qint64 used = qint64(std::clamp(m_request.startLabel, 0, m_sheet.PerPage() - 1)) +
                        qint64(m_request.cards.size());
    return int(std::max<qint64>(1, (used + m_sheet.PerPage() - 1) / m_sheet.PerPage()));
  }
  LayOutTo(INT_MAX - 1);
  return int(m_pageStarts.size());
}

std::vector<CPrintPagination::CBlock> CPrintPagination::Blocks(int page) const {
  std::vector<CBlock> blocks;
  if (m_request.kind == PrintKind::kLabels || page < 0 || page >= int(m_pageStarts.size())) return blocks;
  const bool list = m_request.kind == PrintKind::kList;
  const int from = m_pageStarts[std::size_t(page)];
  const int to = page + 1 < int(m_pageStarts.size()) ? m_pageStarts[std::size_t(page) + 1] : m_next;
  const double room = Body().height() - (list ? m_headingHeight : 0);
  double y = Body().top() + (list ? m_headingHeight : 0);
  for (int i = from; i < to; ++i) {
    CBlock b{i, y, list ? RowHeight(i) : CardHeight(i), 1};
    if (b.height > room) {
      b.scale = room / b.height;
      b.height = room;
    }
    blocks.push_back(b);
    y += b.height + (list ? 0 : kCardGap);
  }
  return blocks;
}

int CPrintPagination::LabelPage(int index) const {
  return (std::clamp(m_request.startLabel, 0, m_sheet.PerPage() - 1) + index) / m_sheet.PerPage();
}

QRectF CPrintPagination::LabelRect(int index) const {
  return PositionRect((std::clamp(m_request.startLabel, 0, m_sheet.PerPage() - 1) + index) % m_sheet.PerPage());
}

QRectF CPrintPagination::PositionRect(int p) const {
  const int row = p / m_sheet.across, col = p % m_sheet.across;
  return QRectF(m_sheet.left + col * (m_sheet.width + m_sheet.xGap), m_sheet.top + row * (m_sheet.height + m_sheet.yGap),
                m_sheet.width, m_sheet.height);
}

std::vector<int> CPrintPagination::LabelsOn(int page) const {
  std::vector<int> labels;
  const int start = std::clamp(m_request.startLabel, 0, m_sheet.PerPage() - 1);
  const qint64 from = std::max<qint64>(0, qint64(page) * m_sheet.PerPage() - start);
  const qint64 to = std::min<qint64>(qint64(m_request.cards.size()), qint64(page + 1) * m_sheet.PerPage() - start);
  for (qint64 i = from; i < to; ++i) labels.push_back(int(i));
  return labels;
}

QStringList CPrintPagination::LabelLines(int index) const {
  // The texts of the printed lines first, a joined line after the one before.
  QStringList texts;
  for (const CLabelLine& l : m_request.labelLines) {
    const QString value = l.item >= 0 && l.item < m_names.size() ? m_text(index, l.item) : QString();
    if (value.isEmpty() && l.prefix.isEmpty() && l.suffix.isEmpty()) continue;
    if (l.join && !texts.isEmpty())
      texts.last() += l.prefix + value + l.suffix;
    else
      texts << l.prefix + value + l.suffix;
  }
  QStringList lines;
  for (const QString& whole : texts) {
    for (const CTextLine& t : WrapText(m_measure, whole, INFINITY)) {
      const QString line = whole.mid(t.start, t.length);
      if (!line.trimmed().isEmpty()) lines << line;
    }
  }
  return lines;
}

double CPrintPagination::LabelScale(const QStringList& lines, const QRectF& rect) const {
  double widest = 0;
  for (const QString& l : lines) widest = std::max(widest, TextWidth(m_measure, l));
  const double height = double(lines.size()) * m_measure.LineHeight();
  double scale = 1;
  if (widest > 0) scale = std::min(scale, (rect.width() - 2 * kPadX) / widest);
  if (height > 0) scale = std::min(scale, (rect.height() - 2 * kPadY) / height);
  return std::max(scale, 0.01);
}
