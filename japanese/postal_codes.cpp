#include "japanese/postal_codes.h"

#include "japanese/kana_fold.h"
#include "platform/code_page.h"
#include "platform/euc_jis.h"
#include "japanese/japanese_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <mutex>

namespace {

// Files larger than this are refused: Japan Post's full list is about 18 MB.
constexpr qint64 kMaxPostalFile = 64 * 1024 * 1024;

bool IsHyphen(QChar c) {
  switch (c.unicode()) {
    case u'-': case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212:
    case 0xFF0D: case 0x30FC: case 0xFF70:
      return true;
    default:
      return false;
  }
}

int DigitValue(QChar c) {
  if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
  if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) return c.unicode() - 0xFF10;
  return -1;
}

std::uint32_t CodeNumber(QStringView sevenDigits) {
  std::uint32_t n = 0;
  for (const QChar c : sevenDigits) n = n * 10 + std::uint32_t(c.unicode() - u'0');
  return n;
}

QString CodeText(std::uint32_t code) { return QStringLiteral("%1").arg(code, 7, 10, QLatin1Char('0')); }

// The fields of one CSV line of Japan Post's list (quoted or not; its
// fields hold no commas of their own).
QList<QStringView> SplitCsv(QStringView line) {
  QList<QStringView> fields;
  for (QStringView f : line.split(u',')) {
    if (f.size() >= 2 && f.front() == u'"' && f.back() == u'"') f = f.sliced(1, f.size() - 2);
    fields.push_back(f);
  }
  return fields;
}

// A town as an address continues: notes in parentheses dropped, and the
// names Japan Post gives to "the rest of the city" as nothing.
QString CleanTown(QString town) {
  for (qsizetype open = town.indexOf(u'（'); open >= 0; open = town.indexOf(u'（')) {
    const qsizetype close = town.indexOf(u'）', open);
    town.remove(open, close < 0 ? town.size() - open : close + 1 - open);
  }
  if (town == u"以下に掲載がない場合" || town.endsWith(u"の次に番地がくる場合") || town.endsWith(u"一円"))
    return {};
  return town;
}

}  // namespace

QString NormalizePostalCode(QStringView text) {
  text = text.trimmed();
  if (text.startsWith(u'〒')) text = text.sliced(1).trimmed();
  QString digits;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int d = DigitValue(text[i]);
    if (d >= 0) {
      digits += QChar(u'0' + d);
    } else if (!(IsHyphen(text[i]) && digits.size() == 3) || (i > 0 && IsHyphen(text[i - 1]))) {
      return {};
    }
  }
  return digits.size() == 7 ? digits : QString();
}

QString AddressKey(QStringView address) {
  QString key = FoldKana(address);
  key.removeIf([](QChar c) { return c.isSpace(); });
  for (QChar& c : key) {
    if (c == u'ゖ') c = u'け';
    if (c == u'ゕ') c = u'か';
    if (IsHyphen(c)) c = u'-';
  }
  return key;
}

void CPostalCodes::Add(std::uint32_t code, QStringView address, QStringView office) {
  if (address.isEmpty() || address.size() > 0xFFFF || office.size() > 0xFFFF) return;
  CEntry e{code, std::uint32_t(m_text.size() + office.size()), std::uint16_t(address.size()),
           std::uint16_t(office.size()), std::uint32_t(m_entries.size())};
  m_text += office;
  m_text += address;
  m_entries.push_back(e);
}

bool CPostalCodes::ParseSkk(QStringView text) {
  const qsizetype before = Count();
  for (QStringView line : text.split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    // "1234567 /A/B/"
    if (line.size() < 11 || line[7] != u' ' || line[8] != u'/') continue;
    const QStringView code = line.first(7);
    if (!std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) continue;
    for (QStringView candidate : line.sliced(9).split(u'/', Qt::SkipEmptyParts)) {
      // An annotation after ';' is no part of the candidate.
      if (const qsizetype semi = candidate.indexOf(u';'); semi >= 0) candidate = candidate.first(semi);
      QStringView office;
      if (const qsizetype at = candidate.indexOf(u" @ "); at >= 0) {
        office = candidate.first(at).trimmed();
        candidate = candidate.sliced(at + 3);
      }
      Add(CodeNumber(code), candidate.trimmed(), office);
    }
  }
  return Count() > before;
}

bool CPostalCodes::ParseJapanPost(QStringView text) {
  const qsizetype before = Count();
  std::uint32_t openCode = 0;  // a town whose note runs on to the next line
  QString prefix;
  QString town;
  const auto flush = [&] {
    if (!prefix.isEmpty()) Add(openCode, prefix + CleanTown(town), {});
    prefix.clear();
    town.clear();
  };
  for (QStringView line : text.split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    const QList<QStringView> f = SplitCsv(line);
    if (f.size() < 9) continue;
    const QStringView code = f[2];
    if (code.size() != 7 || !std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
      continue;
    const bool open = town.count(u'（') > town.count(u'）');
    if (open && CodeNumber(code) == openCode && prefix == f[6].toString() + f[7].toString()) {
      town += f[8];
      continue;
    }
    flush();
    openCode = CodeNumber(code);
    prefix = f[6].toString() + f[7].toString();
    town = f[8].toString();
  }
  flush();
  return Count() > before;
}

bool CPostalCodes::LoadBytes(const QByteArray& bytes, const QString& name, QString* error) {
  const QByteArray head = bytes.left(4096);
  const bool skk = head.contains(";; ") || head.contains(" /");
  bool ok;
  if (skk) {
    ok = ParseSkk(DecodeEucJis2004(bytes));
  } else {
    // Japan Post's list: UTF-8 (utf_ken_all.csv) when it reads as UTF-8, else CP932.
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    DecodeResult utf8 = DecodeBytes(bom ? bytes.mid(3) : bytes, CodePage::Utf8);
    if (utf8.badCount == 0)
      ok = ParseJapanPost(utf8.text);
    else
      ok = ParseJapanPost(DecodeBytes(bytes, CodePage::Cp932).text);
  }
  Finish();
  if (!ok && error) *error = QStringLiteral("%1: 郵便番号が見つかりません").arg(name);
  return ok;
}

bool CPostalCodes::Load(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
  }
  if (file.size() > kMaxPostalFile) {
    if (error) *error = QStringLiteral("%1: ファイルが大きすぎます").arg(path);
    return false;
  }
  return LoadBytes(file.readAll(), path, error);
}

void CPostalCodes::Finish() {
  std::stable_sort(m_entries.begin(), m_entries.end(), [](const CEntry& a, const CEntry& b) {
    if (a.code != b.code) return a.code < b.code;
    if ((a.officeLength == 0) != (b.officeLength == 0)) return a.officeLength == 0;
    return a.order < b.order;
  });
  m_byAddress.clear();
  m_keys.clear();
}

std::vector<CPostalAddress> CPostalCodes::Lookup(QStringView code) const {
  const QString digits = NormalizePostalCode(code);
  std::vector<CPostalAddress> out;
  if (digits.isEmpty()) return out;
  const std::uint32_t n = CodeNumber(digits);
  auto it = std::lower_bound(m_entries.begin(), m_entries.end(), n,
                             [](const CEntry& e, std::uint32_t c) { return e.code < c; });
  for (; it != m_entries.end() && it->code == n; ++it) {
    CPostalAddress a{Address(*it).toString(),
                     QStringView(m_text).sliced(it->at - it->officeLength, it->officeLength).toString()};
    if (std::find(out.begin(), out.end(), a) == out.end()) out.push_back(std::move(a));
  }
  return out;
}

void CPostalCodes::BuildAddressIndex() const {
  if (!m_byAddress.empty()) return;
  std::vector<std::pair<QString, std::uint32_t>> keyed;
  for (std::uint32_t i = 0; i < m_entries.size(); ++i)
    if (m_entries[i].officeLength == 0) keyed.emplace_back(AddressKey(Address(m_entries[i])), i);
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  m_byAddress.reserve(keyed.size());
  m_keys.reserve(keyed.size());
  for (auto& [key, index] : keyed) {
    m_keys.push_back(std::move(key));
    m_byAddress.push_back(index);
  }
}

std::vector<CPostalMatch> CPostalCodes::CodesForAddress(QStringView text) const {
  BuildAddressIndex();
  const QString key = AddressKey(text);
  std::vector<CPostalMatch> out;
  // Every beginning of the text, longest first, looked up as a whole address.
  for (qsizetype length = key.size(); length > 0; --length) {
    const QStringView prefix = QStringView(key).first(length);
    auto it = std::lower_bound(m_keys.begin(), m_keys.end(), prefix,
                               [](const QString& k, QStringView p) { return QStringView(k) < p; });
    std::vector<CPostalMatch> same;
    for (; it != m_keys.end() && QStringView(*it) == prefix; ++it) {
      const CEntry& e = m_entries[m_byAddress[std::size_t(it - m_keys.begin())]];
      same.push_back({CodeText(e.code), Address(e).toString()});
    }
    std::sort(same.begin(), same.end(), [](const CPostalMatch& a, const CPostalMatch& b) { return a.code < b.code; });
    for (CPostalMatch& m : same) {
      const bool seen = std::any_of(out.begin(), out.end(),
                                    [&](const CPostalMatch& o) { return o.code == m.code && o.address == m.address; });
      if (!seen) out.push_back(std::move(m));
    }
  }
  return out;
}

bool CPostalCodes::AddressMatches(QStringView code, QStringView address) const {
  const QString key = AddressKey(address);
  for (const CPostalAddress& a : Lookup(code))
    if (key.startsWith(AddressKey(a.address))) return true;
  return false;
}

QStringList PostalCodeFiles(const CSettingsStore& settings) {
  const QString own = ReadSetting(settings, settings::kPostalFile);
  if (!own.isEmpty()) return {own};
  QString dir = qEnvironmentVariable("VELUM_POSTAL_DIR");
  if (dir.isEmpty()) dir = QStringLiteral("/usr/share/skk");
  return {QDir(dir).filePath(QStringLiteral("SKK-JISYO.zipcode")),
          QDir(dir).filePath(QStringLiteral("SKK-JISYO.office.zipcode"))};
}

const CPostalCodes& SharedPostalCodes(const CSettingsStore& settings, QString* error) {
  static std::mutex mutex;
  static QStringList loadedFrom;
  static CPostalCodes codes;
  static QString loadError;
  static bool loaded = false;
  const QStringList files = PostalCodeFiles(settings);
  std::lock_guard lock(mutex);
  if (!loaded || files != loadedFrom) {
    codes = CPostalCodes();
    loadError.clear();
    for (const QString& f : files) {
      QString e;
      if (!codes.Load(f, &e) && loadError.isEmpty()) loadError = e;
    }
    if (!codes.IsEmpty()) loadError.clear();
    loadedFrom = files;
    loaded = true;
  }
  if (error) *error = loadError;
  return codes;
}
