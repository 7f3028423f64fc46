#include "render/postcard/pdf_text_map.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Qt writes one cross-reference section, "xref\n0 N\n" and N entries of 20
// bytes ("0000012345 00000 n \n"), found through the last startxref.
struct CXref {
  qsizetype at = -1;            // where "xref" starts
  qsizetype entriesAt = -1;     // where the first entry starts
  qsizetype startxrefValue = -1;  // where the number after startxref starts
  qsizetype startxrefLength = 0;
  std::vector<qsizetype> offsets;  // per object number; -1 for a free entry
};

bool ReadXref(const QByteArray& pdf, CXref& x) {
  const qsizetype s = pdf.lastIndexOf("startxref");
  if (s < 0) return false;
  qsizetype p = s + 9;
  while (p < pdf.size() && (pdf[p] == '\n' || pdf[p] == '\r' || pdf[p] == ' ')) ++p;
  qsizetype e = p;
  while (e < pdf.size() && pdf[e] >= '0' && pdf[e] <= '9') ++e;
  bool ok = false;
  x.at = pdf.mid(p, e - p).toLongLong(&ok);
  if (!ok || x.at < 0 || x.at >= pdf.size() || !pdf.sliced(x.at).startsWith("xref")) return false;
  x.startxrefValue = p;
  x.startxrefLength = e - p;
  static const QRegularExpression kHeader(u"^xref\\s+0\\s+(\\d+)\\s*\\n"_s);
  const auto m = kHeader.match(QString::fromLatin1(pdf.mid(x.at, 40)));
  if (!m.hasMatch()) return false;
  const qsizetype count = m.captured(1).toLongLong();
  x.entriesAt = x.at + m.capturedLength(0);
  if (count <= 0 || x.entriesAt + count * 20 > pdf.size()) return false;
  x.offsets.resize(count, -1);
  for (qsizetype i = 0; i < count; ++i) {
    const QByteArray entry = pdf.mid(x.entriesAt + i * 20, 20);
    if (entry.size() != 20 || entry[17] != 'n') continue;
    const qsizetype offset = entry.first(10).toLongLong(&ok);
    if (!ok || offset < 0 || offset >= x.at) return false;
    x.offsets[i] = offset;
  }
  return true;
}

// The dictionary of an object: its text up to its stream or its end.
QString ObjectHead(const QByteArray& pdf, qsizetype at) {
  QByteArray head = pdf.mid(at, 4096);
  for (const char* stop : {"stream", "endobj"}) {
    const qsizetype i = head.indexOf(stop);
    if (i >= 0) head.truncate(i);
  }
  return QString::fromLatin1(head);
}

int Capture(const QString& text, const QRegularExpression& re) {
  const auto m = re.match(text);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The entries of a text map Qt wrote: glyph number -> UTF-16 code.
std::map<int, uint> ReadMap(const QByteArray& cmap) {
  std::map<int, uint> out;
  static const QRegularExpression kRange(
      u"<([0-9A-Fa-f]{4})>\\s*<([0-9A-Fa-f]{4})>\\s*(?:<([0-9A-Fa-f]{4})>|\\[([^\\]]*)\\])"_s);
  static const QRegularExpression kCode(u"<([0-9A-Fa-f]{4})>"_s);
  const QString text = QString::fromLatin1(cmap);
  const qsizetype begin = text.indexOf(u"endcodespacerange"_s);
  for (auto it = kRange.globalMatch(text, std::max<qsizetype>(0, begin)); it.hasNext();) {
    const auto m = it.next();
    const int first = m.captured(1).toInt(nullptr, 16), last = m.captured(2).toInt(nullptr, 16);
    if (m.hasCaptured(3)) {
      const uint code = m.captured(3).toUInt(nullptr, 16);
      for (int g = first; g <= last; ++g) out[g] = code + uint(g - first);
    } else {
      int g = first;
      for (auto c = kCode.globalMatch(m.captured(4)); c.hasNext() && g <= last; ++g) out[g] = c.next().captured(1).toUInt(nullptr, 16);
    }
  }
  return out;
}

QByteArray Hex4(uint v) { return QByteArray::number(v, 16).toUpper().rightJustified(4, '0'); }

QByteArray MakeMap(const std::vector<QString>& text) {
  std::vector<QByteArray> entries;
  for (std::size_t g = 1; g < text.size() && g <= 0xFFFF; ++g) {
    if (text[g].isEmpty()) continue;
    QByteArray code;
    for (QChar c : text[g]) code += Hex4(c.unicode());
    entries.push_back('<' + Hex4(uint(g)) + "> <" + code + '>');
  }
  QByteArray map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  for (std::size_t i = 0; i < entries.size(); i += 100) {
    const std::size_t n = std::min<std::size_t>(100, entries.size() - i);
    map += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
    for (std::size_t k = i; k < i + n; ++k) map += entries[k] + '\n';
    map += "endbfchar\n";
  }
  map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return map;
}

struct CEdit {
  qsizetype at, length;
  QByteArray with;
};

}  // namespace

int FixPdfTextMaps(QByteArray& pdf, const std::vector<CPdfFontText>& fonts) {
  CXref xref;
  if (fonts.empty() || !ReadXref(pdf, xref)) return 0;
  static const QRegularExpression kBaseFont(u"/BaseFont\\s*/(?:[A-Z]{6}\\+)?([^\\s/\\[\\]<>()]+)"_s);
  static const QRegularExpression kDescendant(u"/DescendantFonts\\s*\\[\\s*(\\d+)\\s+0\\s+R"_s);
  static const QRegularExpression kToUnicode(u"/ToUnicode\\s+(\\d+)\\s+0\\s+R"_s);
  const auto objectAt = [&](int n) { return n >= 0 && n < int(xref.offsets.size()) ? xref.offsets[n] : -1; };
  std::vector<CEdit> edits;
  int fixed = 0;
  for (std::size_t n = 0; n < xref.offsets.size(); ++n) {
    if (xref.offsets[n] < 0) continue;
    const QString head = ObjectHead(pdf, xref.offsets[n]);
    if (!head.contains(u"/Subtype /Type0"_s)) continue;
    const auto base = kBaseFont.match(head);
    if (!base.hasMatch()) continue;
    const auto font = std::find_if(fonts.begin(), fonts.end(), [&](const CPdfFontText& f) {
      return QString::fromLatin1(f.postscriptName) == base.captured(1);
    });
    if (font == fonts.end()) continue;
    const qsizetype descendant = objectAt(Capture(head, kDescendant));
    const qsizetype map = objectAt(Capture(head, kToUnicode));
    if (descendant < 0 || map < 0) continue;
    // The map object: "N 0 obj\n<< /Length L >>\nstream\n...\nendstream\nendobj".
    const qsizetype streamAt = pdf.indexOf("stream\n", map);
    const qsizetype end = pdf.indexOf("endobj", map);
    const qsizetype streamEnd = pdf.lastIndexOf("endstream", end);
    if (streamAt < 0 || end < 0 || streamEnd < streamAt || streamAt > end) continue;
    const std::map<int, uint> old = ReadMap(pdf.mid(streamAt + 7, streamEnd - streamAt - 7));
    const bool agrees = std::all_of(old.begin(), old.end(), [&](const auto& entry) {
      const auto [glyph, code] = entry;
      if (glyph == 0 || code == 0) return true;
      return std::size_t(glyph) < font->glyphs.size() && font->glyphOf && font->glyphOf(code) == font->glyphs[glyph];
    });
    if (!agrees) continue;
    const QByteArray header = pdf.mid(map, pdf.indexOf("obj", map) + 3 - map);
    const QByteArray body = MakeMap(font->text);
    edits.push_back({map, end + 6 - map,
                     header + "\n<< /Length " + QByteArray::number(body.size()) + " >>\nstream\n" + body +
                         "\nendstream\nendobj"});
    if (font->vertical) {
      const qsizetype encoding = pdf.indexOf("/Identity-H", xref.offsets[n]);
      const qsizetype cidType = pdf.indexOf("/Subtype /CIDFontType2", descendant);
      if (encoding < 0 || encoding > xref.offsets[n] + head.size() || cidType < 0 ||
          cidType > pdf.indexOf("endobj", descendant)) {
        edits.pop_back();
        continue;
      }
      edits.push_back({encoding, 11, "/Identity-V"});
      // Every glyph's vertical origin at its horizontal one, advancing 1 em
      // down: the glyphs stay where Qt placed them.
      edits.push_back({cidType, 0, "/W2 [0 65535 -1000 0 0]\n"});
    }
    ++fixed;
  }
  if (edits.empty()) return 0;
  std::sort(edits.begin(), edits.end(), [](const CEdit& a, const CEdit& b) { return a.at < b.at; });
  // Where an old offset goes: moved by every edit that starts before it.
  const auto moved = [&](qsizetype offset) {
    qsizetype delta = 0;
    for (const CEdit& e : edits)
      if (e.at < offset) delta += e.with.size() - e.length;
    return offset + delta;
  };
  QByteArray out;
  out.reserve(pdf.size() + 4096);
  qsizetype from = 0;
  for (const CEdit& e : edits) {
    out += QByteArrayView(pdf).sliced(from, e.at - from);
    out += e.with;
    from = e.at + e.length;
  }
  const qsizetype newXref = moved(xref.at);
  out += QByteArrayView(pdf).sliced(from, xref.startxrefValue - from);
  const qsizetype entries = moved(xref.entriesAt);
  for (std::size_t n = 0; n < xref.offsets.size(); ++n) {
    if (xref.offsets[n] < 0) continue;
    const QByteArray value = QByteArray::number(moved(xref.offsets[n])).rightJustified(10, '0');
    out.replace(entries + qsizetype(n) * 20, 10, value);
  }
  out += QByteArray::number(newXref);
  out += QByteArrayView(pdf).sliced(xref.startxrefValue + xref.startxrefLength);
  pdf = std::move(out);
  return fixed;
}
