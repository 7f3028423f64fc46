// The template reader and the preview: the first line gives the card's item
// texts (separated by '|'), the rest is the template's bytes in any encoding.
// The lines read back make the template again; filling stays within its
// limit; a preview is written, refused as too large, or not made at all.
#include "core/card_row.h"
#include "core/card_store.h"
#include "html/html_preview.h"
#include "html/text_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "template_fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentPrompt prompt;
  static CFixedClock clock(QDateTime(QDate(2024, 5, 3), QTime(10, 0), Qt::LocalTime));
  static CMemoryClipboard clipboard;
  static CRecordingShell shell;
  static CSettingsStore settings(QStringLiteral("/nonexistent/velum-fuzz.reg"));
  static const CServices services{prompt, clock, clipboard, shell, settings, CodePage::Cp932};
  static QTemporaryDir dir;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype nl = bytes.indexOf('\n');
  const QByteArray templ = nl < 0 ? QByteArray() : bytes.mid(nl + 1);

  CCardStore store(services);
  CItemNameRow names;
  const QStringList texts = QString::fromUtf8(nl < 0 ? bytes : bytes.left(nl)).split(u'|');
  const int count = int(std::min<qsizetype>(texts.size(), CCardRow::kMaxItems));
  names.MakeEmpty(count);
  store.SetItemNames(names, true);
  for (int i = 0; i < count; ++i) store.SetItemText(0, i, texts[i]);

  // Every line as it stood, line ends included.
  CTextReader reader(templ);
  QString whole, line;
  constexpr qsizetype kLimit = 1 << 16;
  while (reader.ReadLine(&line)) {
    whole += line;
    bool tooLarge = false;
    const QString filled = FillLine(line, *store.VisibleCard(0), kLimit, &tooLarge);
    Check(filled.size() <= std::max(kLimit, line.size()), "a line grew past the limit");
    Check(!tooLarge || filled == line, "a line past the limit was changed");
  }
  CTextReader again(templ);
  QString first;
  if (again.ReadLine(&first)) Check(whole.startsWith(first), "lines read twice differ");

  const QString templatePath = dir.filePath(QStringLiteral("t.html"));
  const QString previewPath = dir.filePath(QStringLiteral("p.html"));
  QFile::remove(previewPath);
  QFile out(templatePath);
  Check(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(templ) == templ.size(), "template not written");
  out.close();
  const int result = MakePreview(store, 0, templatePath, previewPath, CodePage::Utf8, prompt);
  Check(result >= -1 && result <= 1, "preview result");
  Check((result == 1) == QFile::exists(previewPath), "preview written or not as answered");
  return 0;
}
