// The line parser and writer against plain restatements of their rules, over
// random lines and rows built from the characters the rules treat apart.
#include "core/card_line.h"
#include "core/line_joiner.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>

#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct CItem {
  QString text;
  bool quoted;
  bool operator==(const CItem&) const = default;
};

struct CParsed {
  ParseStatus status;
  std::vector<CItem> items;
  bool operator==(const CParsed&) const = default;
};

void PrintTo(const CParsed& p, std::ostream* os) {
  *os << (p.status == ParseStatus::kOk ? "ok" : "too many") << " [";
  for (const CItem& i : p.items) {
    *os << (i.quoted ? " q'" : " b'");
    for (const QChar c : i.text) {
      if (c.unicode() < 0x20 || c.unicode() > 0x7E)
        *os << "\\u" << std::hex << int(c.unicode()) << std::dec;
      else
        *os << char(c.unicode());
    }
    *os << "'";
  }
  *os << " ]";
}

// The rules of a record, one character at a time: a doubled quote after the
// first unit is marked (0x03 0x03) unless it can close a quoted item before
// the last closing quote; a quoted item ends at the first quote-comma after
// its opening quote, else at a quote before the line feed, else it is bare; a
// bare item ends at the next comma, else at the line feed.
CParsed ReferenceParse(QStringView line) {
  std::u16string b(reinterpret_cast<const char16_t*>(line.utf16()), line.size());
  if (b.empty() || b.back() != u'\n') b.push_back(u'\n');
  const std::size_t npos = std::u16string::npos;
  if (b.find(u"\"\"", 1) != npos) {
    const std::size_t a = b.rfind(u"\","), c = b.rfind(u"\"\n");
    const std::size_t lastPair = a == npos ? c : c == npos ? a : std::max(a, c);
    auto pairAt = [&](std::size_t i) { return i + 1 < b.size() && b[i] == u'"' && b[i + 1] == u'"'; };
    enum { kStart, kBare, kQuoted } state = kStart;
    for (std::size_t i = 0; i < b.size();) {
      const char16_t c = b[i];
      if (state == kStart && c == u'"' && lastPair != npos && lastPair >= i) {
        state = kQuoted;
        ++i;
        continue;
      }
      if (state == kStart)
        state = c == u',' ? kStart : kBare;
      else if (state == kBare && c == u',')
        state = kStart;
      if (pairAt(i)) {
        b[i] = b[i + 1] = 0x03;
        i += 2;
        continue;
      }
      if (state == kQuoted && c == u'"') state = kStart;
      ++i;
    }
  }
  CParsed out{ParseStatus::kOk, {}};
  std::size_t p = 0;
  while (p < b.size() && out.items.size() <= 200) {
    std::size_t begin = p, end = npos, next = npos;
    bool quoted = false;
    if (b[p] == u'"') {
      std::size_t q = b.find(u"\",", p + 1);
      if (q == npos) q = b.find(u"\"\n", p);
      if (q != npos) {
        begin = p + 1, end = std::max(q, p + 1), next = q + 2, quoted = true;
        b[q] = b[q + 1] = 0;
      }
    }
    if (!quoted) {
      end = b.find(u',', p);
      if (end == npos) end = b.find(u'\n', p);
      if (end == npos) break;
      b[end] = 0;
      next = end + 1;
    }
    QString t = QString::fromUtf16(b.data() + begin, qsizetype(end - begin));
    t.replace(u"\x01\x02"_s, u"\r\n"_s)
        .replace(u"\x03\x03"_s, u"\""_s)
        .replace(u"\x03\x04"_s, u"\","_s)
        .replace(u"\x04\x03"_s, u",\""_s)
        .replace(QChar(0x04), u","_s);
    out.items.push_back({t, quoted});
    p = next;
  }
  if (out.items.size() > 200) return {ParseStatus::kTooManyItems, {}};
  return out;
}

CParsed Parse(QStringView line) {
  CCardRow row;
  CParsed out{ParseLine(row, line), {}};
  for (int i = 0; i < row.ItemCount(); ++i) out.items.push_back({row.Item(i).toString(), row.Quoted(i)});
  return out;
}

// A text of count pieces, each a character the rules treat apart or a plain one.
QString RandomText(QRandomGenerator& rng, int count) {
  static const QStringList kPieces = {u"\""_s, u"\"\""_s, u","_s, u"\","_s, u",\""_s, u"\r"_s, u"\n"_s,
                                      u"\r\n"_s, u"\x01"_s, u"\x02"_s, u"\x01\x02"_s, u"\x03"_s, u"\x04"_s,
                                      u"a"_s, u"xyz"_s, u"あ"_s, u"漢字"_s, u" "_s, u"\x1A"_s};
  QString t;
  for (int k = 0; k < count; ++k) t += kPieces[rng.bounded(int(kPieces.size()))];
  return t;
}

// A line of items: bare, quoted (now and then with doubled quotes or left
// open), and empty ones, joined by commas.
QString RandomLine(QRandomGenerator& rng) {
  const int shape = int(rng.bounded(10));
  if (shape == 0) return RandomText(rng, int(rng.bounded(40)));
  const int items = shape == 1 ? 195 + int(rng.bounded(12)) : 1 + int(rng.bounded(14));
  QString line;
  for (int i = 0; i < items; ++i) {
    if (i > 0) line += u',';
    switch (rng.bounded(5)) {
      case 0:
        break;
      case 1:
        line += u'"' + RandomText(rng, int(rng.bounded(6))).replace(u"\""_s, u"\"\""_s) + u'"';
        break;
      case 2:
        line += u'"' + RandomText(rng, int(rng.bounded(6)));
        break;
      default:
        line += shape == 2 ? RandomText(rng, int(rng.bounded(4))) : u"項目"_s + QString::number(rng.bounded(999));
    }
  }
  if (rng.bounded(3) == 0) line += u'\n';
  return line;
}

// Each item as it is written, by the rules of the form, character by character.
QString ReferenceLine(const CCardRow& row, const CLineForm& form, std::vector<int>* quote) {
  const bool loneCr = form.record == LineEnd::kCr;
  const QString inner = LineEndText(form.inner == LineEnd::kCr && !loneCr ? LineEnd::kLf : form.inner).toString();
  const QString lineBreak = form.multiLine ? inner : u"\x01\x02"_s;
  QString out;
  for (int i = 0; i < row.ItemCount(); ++i) {
    if (i > 0) out += u',';
    const QString t = row.Item(i).toString();
    bool quoted = row.Quoted(i);
    if (form.multiLine && !quoted &&
        (t.contains(u'\n') || t.contains(u',') || t.contains(u'"') || (loneCr && t.contains(u'\r')))) {
      quote->push_back(i);
      quoted = true;
    }
    if (quoted) out += u'"';
    for (qsizetype k = 0; k < t.size(); ++k) {
      const QChar c = t[k];
      if (c == u'\r' && k + 1 < t.size() && t[k + 1] == u'\n') {
        out += lineBreak;
        ++k;
      } else if (c == u'\n' || (c == u'\r' && loneCr)) {
        out += lineBreak;
      } else if (c == u'"') {
        out += quoted || form.multiLine ? u"\"\""_s : u"\x03\x03"_s;
      } else if (c == u',' && !quoted && !form.multiLine) {
        out += QChar(0x04);
      } else {
        out += c;
      }
    }
    if (quoted) out += u'"';
  }
  return out + LineEndText(form.record).toString();
}

}  // namespace

// Hand-picked lines whose reading turns on where a doubled quote or a closing
// quote stands, then many random ones: the parser reads each as the rules do.
TEST(CardLine, ParserAgreesWithRules) {
  const QStringList picked = {
      u""_s, u"\n"_s, u"\""_s, u"\"\n"_s, u"\"\""_s, u"\"\"\""_s, u"\"\"\"\""_s, u",\"\"\""_s, u"a\"\"b"_s,
      u"\"a\"\"\",\"\"b\""_s, u"\"a,\"b\",c"_s, u"\"x\ny\",z"_s, u"a\nb,c"_s, u"a\nb"_s, u"\"a\nb\""_s,
      u"x\"\"\n\"y"_s, u"\"\x03\x03\",\x04\x03,\x03\x04"_s, u"\x01\x02\x01\x01\x02\x02"_s,
      QString(200, u','), QString(199, u','), u"\"a\",\"b"_s, u"\"\",\"\"\"\",\"\"\"\"\"\""_s,
  };
  for (const QString& line : picked) EXPECT_EQ(Parse(line), ReferenceParse(line)) << line.toStdString();
  QRandomGenerator rng(7);
  for (int k = 0; k < 40000; ++k) {
    const QString line = RandomLine(rng);
    const CParsed want = ReferenceParse(line);
    const CParsed got = Parse(line);
    ASSERT_EQ(got, want) << "line " << k << ": " << line.toStdString();
  }
}

// Random rows in every form and with every line end: the same text as the
// rules give, the same items marked to be quoted, and nothing before the line
// touched.
TEST(CardLine, WriterAgreesWithRules) {
  QRandomGenerator rng(11);
  const LineEnd ends[] = {LineEnd::kCrLf, LineEnd::kLf, LineEnd::kCr};
  for (int k = 0; k < 20000; ++k) {
    CCardRow row;
    const int count = rng.bounded(8) == 0 ? 200 : 1 + int(rng.bounded(12));
    row.MakeEmpty(count);
    for (int i = 0; i < count; ++i) {
      row.SetItem(i, RandomText(rng, int(rng.bounded(8))));
      row.SetQuoted(i, rng.bounded(2) == 0);
    }
    const CLineForm form{rng.bounded(2) == 0, ends[rng.bounded(3)], ends[rng.bounded(3)]};
    std::vector<int> want, got;
    const QString expected = ReferenceLine(row, form, &want);
    QString out = u"before"_s;
    if (k % 2 == 0) out.reserve(7);
    AppendLine(out, row, form, &got);
    ASSERT_EQ(out, u"before"_s + expected) << "row " << k;
    ASSERT_EQ(got, want) << "row " << k;
  }
}

// The own form written by the card's writer reads back item for item.
TEST(CardLine, OwnFormReadsBack) {
  QRandomGenerator rng(13);
  for (int k = 0; k < 5000; ++k) {
    CCardRow row;
    const int count = 1 + int(rng.bounded(20));
    row.MakeEmpty(count);
    for (int i = 0; i < count; ++i) {
      // A lone CR or LF is written as a line break and reads back as CR LF.
      row.SetItem(i, RandomText(rng, int(rng.bounded(8))).remove(u'\r').remove(u'\n').remove(QChar(1)).remove(
                         QChar(2)).remove(QChar(3)).remove(QChar(4)));
      row.SetQuoted(i, rng.bounded(2) == 0);
    }
    CCardRow copy = row;
    // The reader hands the parser a line without its CR LF.
    const CParsed back = Parse(FormatLine(copy, false).chopped(2));
    ASSERT_EQ(back.status, ParseStatus::kOk);
    ASSERT_EQ(int(back.items.size()), count) << "row " << k;
    for (int i = 0; i < count; ++i) ASSERT_EQ(back.items[i].text, row.Item(i).toString()) << "row " << k;
  }
}

// The quote scan that joins lines, against the rules a unit at a time: at the
// start of an item a quote opens a quoted item and anything but a comma a
// bare one; a bare item ends at a comma, a quoted one at a quote that is not
// doubled; a line feed ends the scan.
TEST(CardLine, QuoteScanAgreesWithRules) {
  auto reference = [](QStringView line, int state) {
    for (qsizetype i = 0; i < line.size() && line[i] != u'\n'; ++i) {
      const QChar c = line[i];
      if (state == 0)
        state = c == u'"' ? 2 : c == u',' ? 0 : 1;
      else if (state == 1 && c == u',')
        state = 0;
      else if (state == 2 && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
        ++i;
      else if (state == 2 && c == u'"')
        state = 0;
    }
    return state;
  };
  QRandomGenerator rng(17);
  for (int k = 0; k < 20000; ++k) {
    const QString line = k % 2 ? RandomLine(rng) : RandomText(rng, int(rng.bounded(30)));
    for (const int state : {0, 1, 2})
      ASSERT_EQ(ScanQuotes(line, state), reference(line, state)) << "line " << k << ": " << line.toStdString();
  }
}
