// Any bytes as a settings file: every value the store reads before a write
// of another value reads the same after it (no value lost), and the written
// value reads back.
#include "settings/settings_store.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    std::abort();
  }
}

const QString kAbsent = QStringLiteral("\u0001absent");

// The section and value names the text seems to hold: a line "[KEY\section]"
// names the section of the "name"= lines after it.
std::vector<std::pair<QString, QString>> Names(const QString& text) {
  static const QRegularExpression section(QStringLiteral("^\\[(?:.*\\\\)?([^\\\\\\]]*)\\]"));
  static const QRegularExpression value(QStringLiteral("^\"((?:[^\"\\\\]|\\\\.)*)\"="));
  std::vector<std::pair<QString, QString>> names;
  QString current;
  for (const QString& line : text.split(u'\n')) {
    if (const auto m = section.match(line); m.hasMatch()) current = m.captured(1);
    if (const auto m = value.match(line); m.hasMatch() && names.size() < 64) {
      QString name = m.captured(1);
      name.replace(QStringLiteral("\\\\"), QStringLiteral("\\")).replace(QStringLiteral("\\\""), QStringLiteral("\""));
      names.emplace_back(current, name);
    }
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("velum.reg"));
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  {
    QFile::remove(path);
    QFile f(path);
    Check(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size(), "file not written");
  }
  const auto names = Names(QString::fromUtf8(bytes));
  std::vector<std::pair<QString, std::uint32_t>> before;
  {
    CSettingsStore store(path);
    for (const auto& [section, name] : names)
      before.emplace_back(store.GetProfileString(section, name, kAbsent), store.GetProfileInt(section, name, 7));
  }
  CSettingsStore store(path);
  // A text with every character that needs an escape, a line break before a
  // section header among them.
  const QString probe = QStringLiteral("a\"b\\c\r\n[x]\n") + QChar(0) + QStringLiteral("\"=dword:1");
  if (!store.WriteProfileString(QStringLiteral("FuzzProbe"), QStringLiteral("Probe"), probe)) return 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto& [section, name] = names[i];
    if (section.compare(QStringLiteral("FuzzProbe"), Qt::CaseInsensitive) == 0) continue;
    Check(store.GetProfileString(section, name, kAbsent) == before[i].first, "a text changed by another write");
    Check(store.GetProfileInt(section, name, 7) == before[i].second, "a number changed by another write");
  }
  Check(store.GetProfileString(QStringLiteral("FuzzProbe"), QStringLiteral("Probe"), kAbsent) == probe,
        "the written text does not read back");
  return 0;
}
