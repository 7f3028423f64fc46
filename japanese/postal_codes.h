#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

class CSettingsStore;

// Japan Post's postal codes and the addresses they stand for, read from
// - the input-method dictionaries SKK-JISYO.zipcode (a line "1000001
//   /東京都千代田区千代田/", several addresses between slashes) and
//   SKK-JISYO.office.zipcode (codes of large offices, "NAME @ ADDRESS"), in
//   EUC-JIS-2004, from Debian's skkdic-extra; or
// - Japan Post's own list KEN_ALL.CSV (CP932) or utf_ken_all.csv (UTF-8):
//   the code in the third column, prefecture, city and town in the seventh
//   to ninth. A town's notes in parentheses are dropped (also where a long
//   note runs over several lines), and the towns that stand for "the rest of
//   the city" (以下に掲載がない場合, ...の次に番地がくる場合) give the city alone.

// One address of a code. office: the name of the office for an office code
// (empty for an area).
struct CPostalAddress {
  QString address;
  QString office;
  bool operator==(const CPostalAddress&) const = default;
};

// A code and one of its addresses, as an address lookup answers.
struct CPostalMatch {
  QString code;
  QString address;
};

// The seven digits of a postal code as people write it: "123-4567",
// "1234567", full-width digits, a leading 〒, a hyphen of any kind (including
// the long vowel mark an input method may give for one) after the third
// digit, blanks around. Empty when the text is no such code.
QString NormalizePostalCode(QStringView text);

// The form in which addresses are compared: blanks dropped, full-width
// letters and digits in ASCII, katakana as hiragana (ヶ and ケ alike).
QString AddressKey(QStringView address);

class CPostalCodes {
 public:
  // Reads one file, adding its codes to those read before. SKK dictionaries
  // are told from Japan Post's lists by their lines. False, with the reason in
  // error, when the file cannot be read or holds no code; lines that are no
  // entry are skipped.
  bool Load(const QString& path, QString* error);
  // The same from bytes in memory; name is used in messages.
  bool LoadBytes(const QByteArray& bytes, const QString& name, QString* error);

  // The addresses of a code (any form NormalizePostalCode reads), areas
  // before offices, each once, in the order of the files.
  std::vector<CPostalAddress> Lookup(QStringView code) const;
  // The codes of areas (not offices) whose address begins the text, the
  // longest address first (the best match), then by code.
  std::vector<CPostalMatch> CodesForAddress(QStringView text) const;
  // The addresses of a code that the text begins with (compared as
  // AddressKey does); empty when the code is unknown or none is.
  bool AddressMatches(QStringView code, QStringView address) const;

  qsizetype Count() const { return qsizetype(m_entries.size()); }
  bool IsEmpty() const { return m_entries.empty(); }

  // Sorts what was loaded (Load calls it); public for tests that build a list.
  void Finish();

 private:
  struct CEntry {
    std::uint32_t code;
    std::uint32_t at;        // the address in m_text
    std::uint16_t length;
    std::uint16_t officeLength;  // the office's name just before the address
    std::uint32_t order;     // the place in the files, to keep their order
  };
  void Add(std::uint32_t code, QStringView address, QStringView office);
  bool ParseSkk(QStringView text);
  bool ParseJapanPost(QStringView text);
  QStringView Address(const CEntry& e) const { return QStringView(m_text).sliced(e.at, e.length); }
  void BuildAddressIndex() const;

  QString m_text;  // every address and office name, one after another
  std::vector<CEntry> m_entries;  // by code
  mutable std::vector<std::uint32_t> m_byAddress;  // area entries by AddressKey, made on first use
  mutable std::vector<QString> m_keys;             // AddressKey of each entry in m_byAddress
};

// The files the program reads its postal codes from: the file the setting
// System/PostalFile names when it is set (a newer list from Japan Post),
// else the two dictionaries of skkdic-extra. VELUM_POSTAL_DIR, when set,
// names the folder of the dictionaries instead of /usr/share/skk.
QStringList PostalCodeFiles(const CSettingsStore& settings);

// The list of the program, read once per process on first use from
// PostalCodeFiles; error (when given) tells why it is empty.
const CPostalCodes& SharedPostalCodes(const CSettingsStore& settings, QString* error = nullptr);
