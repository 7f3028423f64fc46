#include "settings/settings.h"

#include <QStandardPaths>

std::uint32_t ReadSetting(const CSettingsStore& store, const IntSetting& s) {
  return store.GetProfileInt(s.section.toString(), s.name.toString(), s.def);
}

QString ReadSetting(const CSettingsStore& store, const StringSetting& s) {
  return store.GetProfileString(s.section.toString(), s.name.toString(), s.def.toString());
}

void WriteSetting(CSettingsStore& store, const IntSetting& s, std::uint32_t value) {
  store.WriteProfileInt(s.section.toString(), s.name.toString(), value);
}

void WriteSetting(CSettingsStore& store, const StringSetting& s, const QString& value) {
  store.WriteProfileString(s.section.toString(), s.name.toString(), value);
}

namespace settings {

namespace {
const QString kSystem = QStringLiteral("System");
}

std::uint32_t ReadMru(const CSettingsStore& store, int screenWidth, int screenHeight) {
  return store.GetProfileInt(kSystem, QStringLiteral("MRU"), screenWidth < screenHeight ? 7 : 10);
}

void WriteMru(CSettingsStore& store, std::uint32_t count) {
  store.WriteProfileInt(kSystem, QStringLiteral("MRU"), count);
}

QString ReadKeycust(const CSettingsStore& store, const QString& programFolder) {
  QString def = programFolder;
  if (!def.endsWith(u'/')) def += u'/';
  def += QStringLiteral("velum.key");
  return store.GetProfileString(kSystem, QStringLiteral("Keycust"), def);
}

QString ReadInitDir(const CSettingsStore& store) {
  return store.GetProfileString(kSystem, QStringLiteral("InitDir"),
                                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void WriteInitDir(CSettingsStore& store, const QString& folder) {
  store.WriteProfileString(kSystem, QStringLiteral("InitDir"), folder);
}

QString FormatLastTime(const QDateTime& local) {
  const QDate d = local.date();
  const QTime t = local.time();
  return QString::asprintf("%04d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute());
}

void WriteLastTime(CSettingsStore& store, const QDateTime& local) {
  // Section and value names compare without regard to case, so "system" is the
  // section System; the lower-case spelling is what existing settings files
  // hold, and a name keeps the spelling of its first write.
  store.WriteProfileString(QStringLiteral("system"), QStringLiteral("lasttime"), FormatLastTime(local));
}

QString FontSectionName(FontSection s) {
  switch (s) {
    case FontSection::Font: return QStringLiteral("Font");
    case FontSection::Item: return QStringLiteral("Item");
    case FontSection::ItemFont: return QStringLiteral("ItemFont");
    case FontSection::VListFont: return QStringLiteral("VListFont");
  }
  return {};
}

CFontRecord DefaultFont(FontSection s) {
  CFontRecord f;
  f.faceName = s == FontSection::ItemFont ? QStringLiteral("SYSTEM") : QStringLiteral("ＭＳ Ｐゴシック");
  f.charSet = s == FontSection::ItemFont ? 128 : 1;
  return f;
}

CFontRecord ReadFont(const CSettingsStore& store, FontSection s) {
  const QString sec = FontSectionName(s);
  CFontRecord f = DefaultFont(s);
  f.faceName = store.GetProfileString(sec, QStringLiteral("FaceName"), f.faceName);
  f.point = store.GetProfileInt(sec, QStringLiteral("Point"), f.point);
  f.weight = store.GetProfileInt(sec, QStringLiteral("Weight"), f.weight);
  f.italic = store.GetProfileInt(sec, QStringLiteral("Italic"), f.italic);
  f.underline = store.GetProfileInt(sec, QStringLiteral("Underline"), f.underline);
  // The item-name font is always made with the default character set.
  if (s != FontSection::Item) f.charSet = store.GetProfileInt(sec, QStringLiteral("CharSet"), f.charSet);
  return f;
}

void WriteFont(CSettingsStore& store, FontSection s, const CFontRecord& f) {
  const QString sec = FontSectionName(s);
  // One font is one write: never half of one font and half of another.
  store.Update([&] {
    store.WriteProfileString(sec, QStringLiteral("FaceName"), f.faceName);
    store.WriteProfileInt(sec, QStringLiteral("Point"), f.point);
    store.WriteProfileInt(sec, QStringLiteral("Weight"), f.weight);
    store.WriteProfileInt(sec, QStringLiteral("Italic"), f.italic);
    store.WriteProfileInt(sec, QStringLiteral("Underline"), f.underline);
    store.WriteProfileInt(sec, QStringLiteral("CharSet"), f.charSet);
  });
}

int FontHeight(std::uint32_t point, int pixelsPerInchY) {
  return -static_cast<int>((static_cast<long long>(point) * pixelsPerInchY) / 72);
}

std::uint32_t ReadCustomColor(const CSettingsStore& store, int index) {
  const QString text = store.GetProfileString(QStringLiteral("ColorDlg"), QStringLiteral("Custom%1").arg(index),
                                              QStringLiteral("16777215"));
  std::uint64_t n = 0;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') break;
    n = n * 10 + (c.unicode() - u'0');
    if (n > 0xFFFFFFFFu) break;
  }
  return static_cast<std::uint32_t>(n);
}

void WriteCustomColor(CSettingsStore& store, int index, std::uint32_t color) {
  store.WriteProfileString(QStringLiteral("ColorDlg"), QStringLiteral("Custom%1").arg(index), QString::number(color));
}

QString SearchHistoryName(int index) { return QString::asprintf("Str%02d", index); }

QStringList ReadRecentFiles(const CSettingsStore& store, int count) {
  QStringList out;
  for (int i = 1; i <= count; ++i) {
    const QString f = store.GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i), {});
    if (!f.isEmpty()) out << f;
  }
  return out;
}

void WriteRecentFiles(CSettingsStore& store, const QStringList& files, int count) {
  store.Update([&] {
    for (int i = 1; i <= count; ++i)
      store.WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i),
                               i <= files.size() ? files[i - 1] : QString());
  });
}

void WriteKeycust(CSettingsStore& store, const QString& path) {
  store.WriteProfileString(kSystem, QStringLiteral("Keycust"), path);
}

}  // namespace settings
