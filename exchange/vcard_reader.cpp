#include "exchange/vcard_reader.h"

#include "exchange/vcard_items.h"
#include "japanese/kana_fold.h"
#include "platform/code_page.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

namespace {

// Half-width katakana as full-width katakana; a text without any stays as it is.
QString WideKatakana(const QString& text) {
  const bool half =
      std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xFF66 && c.unicode() <= 0xFF9F; });
  return half ? HiraganaToKatakana(ToHiragana(text)) : text;
}

// One property after unfolding: group.NAME;params:value, with the line it
// began on.
struct CProperty {
  QByteArray name;                 // upper case, without its group
  std::vector<QByteArray> params;  // as written, "TYPE=CELL" or bare "CELL"
  QByteArray value;                // still encoded
  int line = 0;
  bool binary = false;
  bool quotedPrintable = false;
  QByteArray charset;  // upper case; empty: the file's
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether a physical line starts a property: a name of letters, digits, '-',
// '_' and '.' (the group) followed by ';' or ':'. Base64 text never does,
// having neither.
bool StartsProperty(const QByteArray& line) {
  qsizetype i = 0;
  while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '-' ||
                             line[i] == '_' || line[i] == '.'))
    ++i;
  return i > 0 && i < line.size() && (line[i] == ';' || line[i] == ':');
}

QByteArray ParamValue(const QByteArray& param) {
  const qsizetype eq = param.indexOf('=');
  QByteArray v = eq < 0 ? param : param.mid(eq + 1);
  if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) v = v.mid(1, v.size() - 2);
  return v;
}

QByteArray ParamName(const QByteArray& param) {
  const qsizetype eq = param.indexOf('=');
  return eq < 0 ? QByteArray() : param.left(eq).trimmed().toUpper();
}

// Splits the head (before the first ':' outside quotes) into name and
// parameters.
bool ParseHead(const QByteArray& logical, CProperty* p) {
  bool quoted = false;
  qsizetype colon = -1;
  for (qsizetype i = 0; i < logical.size(); ++i) {
    if (logical[i] == '"') quoted = !quoted;
    if (logical[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon <= 0) return false;
  const QByteArray head = logical.left(colon);
  p->value = logical.mid(colon + 1);
  std::vector<QByteArray> parts;
  QByteArray part;
  quoted = false;
  for (char c : head) {
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  QByteArray name = parts[0].trimmed().toUpper();
  if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0) name = name.mid(dot + 1);
  if (name.isEmpty()) return false;
  p->name = name;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const QByteArray param = parts[i].trimmed();
    if (param.isEmpty()) continue;
    p->params.push_back(param);
    const QByteArray pname = ParamName(param);
    const QByteArray pvalue = ParamValue(param).toUpper();
    if ((pname == "ENCODING" || pname.isEmpty()) && (pvalue == "QUOTED-PRINTABLE")) p->quotedPrintable = true;
    if ((pname == "ENCODING" || pname.isEmpty()) && (pvalue == "BASE64" || pvalue == "B")) p->binary = true;
    if (pname == "CHARSET") p->charset = pvalue;
  }
  if (p->value.startsWith("data:") && p->value.left(200).contains(";base64,")) p->binary = true;
  return true;
}

// The type words of a property: bare parameters (2.1) and the values of
// TYPE=, split at commas, upper case.
QList<QByteArray> Types(const CProperty& p) {
  QList<QByteArray> types;
  for (const QByteArray& param : p.params) {
    const QByteArray name = ParamName(param);
    if (!name.isEmpty() && name != "TYPE") continue;
    for (const QByteArray& t : ParamValue(param).split(',')) types << t.trimmed().toUpper();
  }
  return types;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Quoted-printable: "=XX" is a byte, "=" at a line end was a soft break
// (already joined). A broken "=" is kept as it stands; *broken says so.
QByteArray DecodeQuotedPrintable(const QByteArray& in, bool* broken) {
  QByteArray out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] != '=') {
      out += in[i];
      continue;
    }
    if (i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 && HexDigit(in[i + 2]) >= 0) {
      out += char(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
      i += 2;
    } else if (i + 1 == in.size()) {
      // a soft break at the very end
    } else {
      *broken = true;
      out += '=';
    }
  }
  return out;
}

// \n \N \, \; \: \\ as their characters; structured values are split at
// unescaped ';' before this.
QString Unescape(QStringView in) {
  QString out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == u'\\' && i + 1 < in.size()) {
      const QChar c = in[i + 1];
      if (c == u'n' || c == u'N') {
        out += QStringLiteral("\r\n");
        ++i;
        continue;
      }
      if (c == u',' || c == u';' || c == u':' || c == u'\\') {
        out += c;
        ++i;
        continue;
      }
    }
    out += in[i];
  }
  return ToCardLineBreaks(out);
}

// A parameter value's ^^ ^' and ^n as ^, " and a line break.
QString CircumflexDecode(QStringView in) {
  QString out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == u'^' && i + 1 < in.size()) {
      const QChar c = in[i + 1];
      if (c == u'^' || c == u'\'' || c == u'n') {
        out += c == u'^' ? QStringLiteral("^") : c == u'\'' ? QStringLiteral("\"") : QStringLiteral("\r\n");
        ++i;
        continue;
      }
    }
    out += in[i];
  }
  return out;
}

QStringList SplitStructured(const QString& value) {
  QStringList parts;
  QString part;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) {
      part += value[i];
      part += value[i + 1];
      ++i;
    } else if (value[i] == u';') {
      parts << Unescape(part);
      part.clear();
    } else {
      part += value[i];
    }
  }
  parts << Unescape(part);
  return parts;
}

QString JoinNonEmpty(const QStringList& parts, const QString& separator) {
  QStringList kept;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) kept << p.trimmed();
  return kept.join(separator);
}

// yyyy/mm/dd from 19800102, 1980-01-02 or 1980-01-02T...; any other text as it is.
QString BirthdayText(const QString& value) {
  static const QRegularExpression date(QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(T.*)?$"));
  const QRegularExpressionMatch m = date.match(value.trimmed());
  if (!m.hasMatch()) return value.trimmed();
  return m.captured(1) + u'/' + m.captured(2) + u'/' + m.captured(3);
}

class CDecoder {
 public:
  CDecoder(CodePage fileCodePage, const QString& fileName, CExchangeReport* report)
      : m_fileCodePage(fileCodePage), m_fileName(fileName), m_report(report) {}

  QString Decode(const CProperty& p) {
    QByteArray bytes = p.value;
    if (p.quotedPrintable) {
      bool broken = false;
      bytes = DecodeQuotedPrintable(bytes, &broken);
      if (broken)
        m_report->notes << QStringLiteral("%1: %2 行目: quoted-printable の壊れた部分をそのまま読み込みました")
                               .arg(m_fileName)
                               .arg(p.line);
    }
    const QByteArray cs = p.charset;
    if (cs.isEmpty()) {
      // A value of a file in plain ASCII (quoted-printable) tells its own
      // encoding as a file does.
      qsizetype bom = 0;
      const CodePage cp = m_fileCodePage == CodePage::Utf8 ? CodePage::Utf8
                                                           : DetectEncoding(bytes, CodePage::Cp932, false, &bom).codePage;
      return DecodeIn(bytes, cp == CodePage::Utf8 ? cp : CodePage::Cp932, p.line);
    }
    if (cs == "SHIFT_JIS" || cs == "SHIFT-JIS" || cs == "SJIS" || cs == "CP932" || cs == "WINDOWS-31J" ||
        cs == "MS932" || cs == "X-SJIS")
      return DecodeIn(bytes, CodePage::Cp932, p.line);
    if (cs == "UTF-8" || cs == "UTF8") return DecodeIn(bytes, CodePage::Utf8, p.line);
    if (cs == "US-ASCII" || cs == "ISO-8859-1" || cs == "LATIN1") return QString::fromLatin1(bytes);
    QStringDecoder decoder(cs.constData());
    if (decoder.isValid()) {
      QString text = decoder.decode(bytes);
      if (decoder.hasError()) NoteBadBytes(p.line);
      return text;
    }
    m_report->notes << QStringLiteral("%1: %2 行目: 文字コード %3 は読めないため、ファイルの文字コードで読みました")
                           .arg(m_fileName)
                           .arg(p.line)
                           .arg(QString::fromLatin1(cs));
    return DecodeIn(bytes, m_fileCodePage, p.line);
  }

 private:
  QString DecodeIn(const QByteArray& bytes, CodePage cp, int line) {
    DecodeResult r = DecodeBytes(bytes, cp);
    if (r.badCount > 0) NoteBadBytes(line);
    return r.text;
  }
  void NoteBadBytes(int line) {
    if (m_badLines++ < 3)
      m_report->notes << QStringLiteral("%1: %2 行目: 文字にならないバイトを \uFFFD にしました").arg(m_fileName).arg(line);
  }

  CodePage m_fileCodePage;
  QString m_fileName;
  CExchangeReport* m_report;
  int m_badLines = 0;
};

// The values of one contact by item, each a list of lines.
struct CContact {
  std::map<QString, QStringList> items;
  QStringList phoneticLast, phoneticFirst, sortString, irmcName, sortAs;
  QStringList postal, address;  // one entry per ADR, kept in step
  QString fullName, family, given;

  void Add(const QString& item, const QString& text) {
    if (!text.isEmpty()) items[item] << text;
  }
};

// Properties read for what they say about the file or the card, or taken into
// another property's item.
bool IgnoredProperty(const QByteArray& name) {
  static const QList<QByteArray> kIgnored = {"VERSION", "PRODID", "REV", "KIND", "X-ABLABEL"};
  return kIgnored.contains(name);
}

bool IsPhotoProperty(const QByteArray& name) { return name == "PHOTO" || name == "LOGO"; }

}  // namespace

CExchangeTable ReadVCard(const QByteArray& rawBytes, const QString& fileName, CExchangeReport* report,
                         CVCardStats* stats) {
  // The text's own encoding: a byte-order mark, UTF-8 when the text reads as
  // UTF-8, else CP932. UTF-16 is turned into UTF-8 first.
  qsizetype body = 0;
  const FileEncoding encoding = DetectEncoding(rawBytes, CodePage::Cp932, false, &body);
  QByteArray bytes;
  CodePage fileCodePage = encoding.codePage;
  if (encoding.codePage == CodePage::Utf16Le || encoding.codePage == CodePage::Utf16Be) {
    bytes = DecodeBytes(rawBytes.mid(body), encoding.codePage).text.toUtf8();
    fileCodePage = CodePage::Utf8;
  } else {
    bytes = rawBytes.mid(body);
  }
  CDecoder decoder(fileCodePage, fileName, report);

  // Physical lines, without their line ends.
  std::vector<QByteArray> lines;
  {
    qsizetype start = 0;
    while (start < bytes.size()) {
      qsizetype end = bytes.indexOf('\n', start);
      if (end < 0) end = bytes.size();
      qsizetype stop = end;
      if (stop > start && bytes[stop - 1] == '\r') --stop;
      lines.push_back(bytes.mid(start, stop - start));
      start = end + 1;
    }
  }

  std::vector<CContact> contacts;
  std::optional<CContact> current;
  QMap<QString, int> unmapped;
  QStringList velumItems;
  int photos = 0;
  int strayLines = 0, firstStray = 0;
  int openLine = 0;

  auto finishContact = [&] {
    CContact& c = *current;
    QString name = c.fullName;
    if (name.isEmpty()) name = JoinNonEmpty({c.family, c.given}, QStringLiteral(" "));
    c.Add(vcard_item::kName, name);
    c.Add(vcard_item::kFamily, c.family);
    c.Add(vcard_item::kGiven, c.given);
    QString reading = JoinNonEmpty({c.phoneticLast.value(0), c.phoneticFirst.value(0)}, QStringLiteral(" "));
    if (reading.isEmpty()) reading = c.sortString.value(0).trimmed();
    // Feature phones write the reading in half-width katakana: it comes in full width.
    if (reading.isEmpty()) reading = WideKatakana(c.irmcName.value(0));
    if (reading.isEmpty()) reading = c.sortAs.value(0);
    c.Add(vcard_item::kReading, reading);
    bool anyPostal = false;
    for (const QString& p : c.postal) anyPostal = anyPostal || !p.isEmpty();
    if (!c.address.isEmpty()) {
      bool anyAddress = false;
      for (const QString& a : c.address) anyAddress = anyAddress || !a.isEmpty();
      if (anyAddress) c.items[vcard_item::kAddress] = c.address;
      if (anyPostal) c.items[vcard_item::kPostal] = c.postal;
    }
    contacts.push_back(std::move(c));
    current.reset();
  };

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int lineNo = int(i) + 1;
    QByteArray logical = lines[i];
    if (logical.trimmed().isEmpty()) continue;
    CProperty p;
    // Unfolding: quoted-printable soft breaks first, then continuation lines.
    const qsizetype colon = logical.indexOf(':');
    const QByteArray headUpper = (colon < 0 ? logical : logical.left(colon)).toUpper();
    const bool qp = headUpper.contains("QUOTED-PRINTABLE");
    const bool binary = headUpper.contains("BASE64") || headUpper.contains("ENCODING=B");
    while (qp && logical.endsWith('=') && i + 1 < lines.size()) {
      logical.chop(1);
      logical += lines[++i];
    }
    while (i + 1 < lines.size() && !lines[i + 1].isEmpty() && IsBlank(lines[i + 1][0])) {
      ++i;
      if (!binary) logical += lines[i].mid(1);
    }
    // Base64 in 2.1 files may go on without a leading blank until an empty line.
    while (binary && i + 1 < lines.size() && !lines[i + 1].trimmed().isEmpty() && !StartsProperty(lines[i + 1])) ++i;
    if (!ParseHead(logical, &p)) {
      if (current) {
        report->notes << QStringLiteral("%1: %2 行目: 読めない行を読み飛ばしました").arg(fileName).arg(lineNo);
      } else if (strayLines++ == 0) {
        firstStray = lineNo;
      }
      continue;
    }
    p.line = lineNo;
    if (p.name == "BEGIN" && p.value.trimmed().toUpper() == "VCARD") {
      if (current) {
        report->notes << QStringLiteral("%1: %2 行目: END:VCARD のないカードを、次の BEGIN:VCARD までで区切りました")
                             .arg(fileName)
                             .arg(openLine);
        finishContact();
      }
      current.emplace();
      openLine = lineNo;
      continue;
    }
    if (!current) {
      if (strayLines++ == 0) firstStray = lineNo;
      continue;
    }
    if (p.name == "END") {
      finishContact();
      continue;
    }
    if (p.binary || (IsPhotoProperty(p.name) && !p.value.isEmpty())) {
      if (IsPhotoProperty(p.name)) ++photos;
      else ++unmapped[QString::fromLatin1(p.name)];
      continue;
    }
    if (IgnoredProperty(p.name)) continue;
    const QString raw = decoder.Decode(p);
    CContact& c = *current;
    const QByteArray& n = p.name;
    if (n == "FN") {
      c.fullName = Unescape(raw).trimmed();
    } else if (n == "N") {
      const QStringList parts = SplitStructured(raw);
      c.family = parts.value(0).trimmed();
      c.given = parts.value(1).trimmed();
      for (const QByteArray& param : p.params)
        if (ParamName(param) == "SORT-AS") c.sortAs << JoinNonEmpty(Unescape(QString::fromUtf8(ParamValue(param))).split(u','), QStringLiteral(" "));
    } else if (n == "X-PHONETIC-LAST-NAME") {
      c.phoneticLast << Unescape(raw).trimmed();
    } else if (n == "X-PHONETIC-FIRST-NAME") {
      c.phoneticFirst << Unescape(raw).trimmed();
    } else if (n == "SORT-STRING") {
      c.sortString << Unescape(raw);
    } else if (n == "SOUND" && Types(p).contains("X-IRMC-N")) {
      c.irmcName << JoinNonEmpty(SplitStructured(raw), QStringLiteral(" "));
    } else if (n == "ADR") {
      const QStringList a = SplitStructured(raw);
      // PO box, extended, street, locality, region, postal code, country:
      // Japanese order runs from the region down to the building.
      QString country = a.value(6).trimmed();
      static const QStringList kJapan = {QStringLiteral("日本"), QStringLiteral("JAPAN"), QStringLiteral("JP"),
                                         QStringLiteral("日本国")};
      if (kJapan.contains(country.toUpper())) country.clear();
      QString text = a.value(4).trimmed() + a.value(3).trimmed() + a.value(2).trimmed();
      text = JoinNonEmpty({country, text, a.value(1), a.value(0)}, QStringLiteral(" "));
      // One line per address: the lines of a street are joined.
      text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
      c.address << text;
      c.postal << a.value(5).trimmed();
    } else if (n == "TEL") {
      const QList<QByteArray> types = Types(p);
      const QString number = Unescape(raw).trimmed();
      const bool mobile = types.contains("CELL") || types.contains("MOBILE") || types.contains("IPHONE");
      const bool fax = types.contains("FAX") && !types.contains("VOICE");
      QString number2 = number;
      if (number2.startsWith(QStringLiteral("tel:"))) number2 = number2.mid(4);
      if (fax) ++unmapped[QStringLiteral("TEL;FAX")];
      else c.Add(mobile ? vcard_item::kMobile : vcard_item::kPhone, number2);
    } else if (n == "EMAIL") {
      c.Add(vcard_item::kMail, Unescape(raw).trimmed());
    } else if (n == "BDAY") {
      c.Add(vcard_item::kBirthday, BirthdayText(Unescape(raw)));
    } else if (n == "ORG") {
      c.Add(vcard_item::kCompany, JoinNonEmpty(SplitStructured(raw), QStringLiteral(" ")));
    } else if (n == "TITLE") {
      c.Add(vcard_item::kTitle, Unescape(raw).trimmed());
    } else if (n == "NOTE") {
      c.Add(vcard_item::kNote, Unescape(raw));
    } else if (n == kVelumItemProperty) {
      QString item;
      for (const QByteArray& param : p.params)
        if (ParamName(param) == "NAME") item = CircumflexDecode(QString::fromUtf8(ParamValue(param)));
      if (item.isEmpty()) {
        ++unmapped[QString::fromLatin1(n)];
      } else {
        if (!velumItems.contains(item) && !vcard_item::All().contains(item)) velumItems << item;
        c.items[item] << Unescape(raw);
      }
    } else {
      ++unmapped[QString::fromLatin1(n)];
    }
  }
  if (current) {
    report->notes << QStringLiteral("%1: %2 行目で始まるカードに END:VCARD がありません").arg(fileName).arg(openLine);
    finishContact();
  }
  if (strayLines > 0)
    report->notes << QStringLiteral("%1: カードの外の %2 行を読み飛ばしました (最初は %3 行目)")
                         .arg(fileName)
                         .arg(strayLines)
                         .arg(firstStray);
  if (stats) *stats = {int(contacts.size()), photos};

  CExchangeTable table;
  if (contacts.empty()) {
    report->Fail(QStringLiteral("%1: vCard の連絡先 (BEGIN:VCARD) がありません").arg(fileName));
    return table;
  }
  QStringList order = vcard_item::All() + velumItems;
  for (const QString& item : order) {
    for (const CContact& c : contacts) {
      if (c.items.count(item)) {
        table.names << item;
        break;
      }
    }
  }
  table.rows.reserve(contacts.size());
  for (const CContact& c : contacts) {
    QStringList row;
    row.reserve(table.names.size());
    for (const QString& item : table.names) {
      const auto it = c.items.find(item);
      row << (it == c.items.end() ? QString() : it->second.join(QStringLiteral("\r\n")));
    }
    table.rows.push_back(std::move(row));
  }
  if (photos > 0) report->notes << QStringLiteral("写真 %1 枚は読み込みませんでした").arg(photos);
  if (!unmapped.isEmpty()) {
    QStringList parts;
    for (auto it = unmapped.cbegin(); it != unmapped.cend(); ++it) parts << QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value());
    report->notes << QStringLiteral("項目に当てはまらない内容は読み込みませんでした: %1").arg(parts.join(QStringLiteral(", ")));
  }
  return table;
}
