#include "exchange/vcard_writer.h"

#include "exchange/vcard_items.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kFoldOctets = 75;

QString EscapeText(QStringView text) {
  QString out;
  out.reserve(text.size() + 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\' || c == u',' || c == u';') {
      out += u'\\';
      out += c;
    } else if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += QStringLiteral("\\n");
    } else if (c == u'\n') {
      out += QStringLiteral("\\n");
    } else {
      out += c;
    }
  }
  return out;
}

// A parameter value in double quotes, with ^ ' and line breaks written as
// ^^ ^' and ^n (the circumflex escapes of parameter values).
QString QuoteParam(QStringView text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'^') out += QStringLiteral("^^");
    else if (c == u'"') out += QStringLiteral("^'");
    else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += QStringLiteral("^n");
    } else out += c;
  }
  return u'"' + out + u'"';
}

QStringList Lines(const QString& text) {
  QStringList lines = ToLfLineBreaks(text).split(u'\n');
  return lines;
}

// Splits a name or its reading at the first blank (half or full width).
std::pair<QString, QString> SplitAtBlank(const QString& text) {
  const QString t = text.trimmed();
  static const QRegularExpression blank(QStringLiteral("[ \\x{3000}]+"));
  const QRegularExpressionMatch m = blank.match(t);
  if (!m.hasMatch()) return {t, QString()};
  return {t.left(m.capturedStart()), t.mid(m.capturedEnd())};
}

QString BirthdayValue(const QString& text, VCardVersion version) {
  static const QRegularExpression date(QStringLiteral("^(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
  const QRegularExpressionMatch m = date.match(text.trimmed());
  if (!m.hasMatch()) return {};
  const QString y = m.captured(1), mo = m.captured(2).rightJustified(2, u'0'), d = m.captured(3).rightJustified(2, u'0');
  return version == VCardVersion::k40 ? y + mo + d : y + u'-' + mo + u'-' + d;
}

class CCardWriter {
 public:
  explicit CCardWriter(QByteArray* out) : m_out(out) {}
  void Line(const QString& line) { *m_out += FoldVCardLine(line.toUtf8()); }

 private:
  QByteArray* m_out;
};

}  // namespace

QByteArray FoldVCardLine(const QByteArray& line) {
  QByteArray out;
  out.reserve(line.size() + line.size() / 70 * 3 + 2);
  qsizetype pos = 0;
  qsizetype room = kFoldOctets;
  bool first = true;
  while (pos < line.size()) {
    qsizetype take = std::min(room, line.size() - pos);
    // Back off so that the cut does not fall inside a character.
    while (take > 0 && pos + take < line.size() && (static_cast<unsigned char>(line[pos + take]) & 0xC0) == 0x80) --take;
    if (take == 0) take = std::min(room, line.size() - pos);
    if (!first) out += ' ';
    out += line.mid(pos, take);
    out += "\r\n";
    pos += take;
    first = false;
    room = kFoldOctets - 1;
  }
  if (first) out += "\r\n";
  return out;
}

QByteArray WriteVCard(const CExchangeTable& table, VCardVersion version, int* otherItems) {
  const bool v4 = version == VCardVersion::k40;
  auto column = [&](const QString& name) { return int(table.names.indexOf(name)); };
  const int cName = column(vcard_item::kName), cReading = column(vcard_item::kReading),
            cFamily = column(vcard_item::kFamily), cGiven = column(vcard_item::kGiven),
            cPostal = column(vcard_item::kPostal), cAddress = column(vcard_item::kAddress),
            cPhone = column(vcard_item::kPhone), cMobile = column(vcard_item::kMobile),
            cMail = column(vcard_item::kMail), cBirthday = column(vcard_item::kBirthday),
            cCompany = column(vcard_item::kCompany), cTitle = column(vcard_item::kTitle),
            cNote = column(vcard_item::kNote);
  std::vector<int> others;
  const QStringList mapped = vcard_item::All();
  for (int i = 0; i < table.names.size(); ++i)
    if (!mapped.contains(table.names[i])) others.push_back(i);
  if (otherItems) *otherItems = int(others.size());

  QByteArray out;
  CCardWriter w(&out);
  for (const QStringList& row : table.rows) {
    auto cell = [&](int c) { return c >= 0 && c < row.size() ? row[c] : QString(); };
    w.Line(QStringLiteral("BEGIN:VCARD"));
    w.Line(v4 ? QStringLiteral("VERSION:4.0") : QStringLiteral("VERSION:3.0"));
    QString family = cell(cFamily).trimmed(), given = cell(cGiven).trimmed();
    QString name = cell(cName).trimmed();
    if (family.isEmpty() && given.isEmpty() && cFamily < 0 && cGiven < 0) std::tie(family, given) = SplitAtBlank(name);
    if (name.isEmpty()) name = (family + u' ' + given).trimmed();
    const auto [readLast, readFirst] = SplitAtBlank(cell(cReading));
    w.Line(QStringLiteral("N:%1;%2;;;").arg(EscapeText(family), EscapeText(given)));
    w.Line(u"FN:"_s + EscapeText(name));
    if (!readLast.isEmpty()) w.Line(u"X-PHONETIC-LAST-NAME:"_s + EscapeText(readLast));
    if (!readFirst.isEmpty()) w.Line(u"X-PHONETIC-FIRST-NAME:"_s + EscapeText(readFirst));
    if (!v4 && !cell(cReading).trimmed().isEmpty()) w.Line(u"SORT-STRING:"_s + EscapeText(cell(cReading).trimmed()));
    for (const QString& line : Lines(cell(cPhone)))
      if (!line.trimmed().isEmpty()) w.Line((v4 ? u"TEL;TYPE=voice:"_s : u"TEL;TYPE=VOICE:"_s) + EscapeText(line.trimmed()));
    for (const QString& line : Lines(cell(cMobile)))
      if (!line.trimmed().isEmpty()) w.Line((v4 ? u"TEL;TYPE=cell:"_s : u"TEL;TYPE=CELL:"_s) + EscapeText(line.trimmed()));
    const QStringList addresses = Lines(cell(cAddress)), postals = Lines(cell(cPostal));
    for (qsizetype k = 0; k < std::max(addresses.size(), postals.size()); ++k) {
      const QString address = addresses.value(k).trimmed(), postal = postals.value(k).trimmed();
      if (address.isEmpty() && postal.isEmpty()) continue;
      w.Line(QStringLiteral("ADR;TYPE=%1:;;%2;;;%3;").arg(v4 ? u"home"_s : u"HOME"_s, EscapeText(address), EscapeText(postal)));
    }
    for (const QString& line : Lines(cell(cMail)))
      if (!line.trimmed().isEmpty()) w.Line((v4 ? u"EMAIL:"_s : u"EMAIL;TYPE=INTERNET:"_s) + EscapeText(line.trimmed()));
    if (const QString b = cell(cBirthday).trimmed(); !b.isEmpty()) {
      const QString value = BirthdayValue(b, version);
      if (!value.isEmpty()) w.Line(u"BDAY:"_s + value);
      else w.Line((v4 ? u"BDAY;VALUE=text:"_s : u"BDAY:"_s) + EscapeText(b));
    }
    if (!cell(cCompany).isEmpty()) w.Line(u"ORG:"_s + EscapeText(cell(cCompany)));
    if (!cell(cTitle).isEmpty()) w.Line(u"TITLE:"_s + EscapeText(cell(cTitle)));
    if (!cell(cNote).isEmpty()) w.Line(u"NOTE:"_s + EscapeText(cell(cNote)));
    for (int c : others)
      if (!cell(c).isEmpty())
        w.Line(QString::fromLatin1(kVelumItemProperty) + u";NAME="_s + QuoteParam(table.names[c]) + u':' + EscapeText(cell(c)));
    w.Line(QStringLiteral("END:VCARD"));
  }
  return out;
}
