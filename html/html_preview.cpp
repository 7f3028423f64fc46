#include "html/html_preview.h"

#include "core/card_store.h"
#include "core/messages.h"
#include "core/velum_doc.h"
#include "html/html_settings.h"
#include "html/text_file.h"
#include "platform/input_file.h"
#include "records/item_property.h"

#include <QFile>

#include <optional>

#include <sys/stat.h>

QString Placeholder(int k) { return QStringLiteral("%%") + QString::number(k) + QStringLiteral("%%"); }

QString FillLine(QString line, const CCardRow& card, qsizetype limit, bool* tooLarge) {
  // A line without "%%" has no placeholder, and a replacement can only bring
  // one in where there was one.
  if (!line.contains(QStringLiteral("%%"))) return line;
  for (int k = 1; k <= card.ItemCount(); ++k) {
    const QString placeholder = Placeholder(k);
    if (!line.contains(placeholder)) continue;
    QString text = card.Item(k - 1).toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    const qsizetype grow = text.size() - placeholder.size();
    if (grow > 0 && line.size() + line.count(placeholder) * grow > limit) {
      if (tooLarge) *tooLarge = true;
      return line;
    }
    line.replace(placeholder, text);
  }
  return line;
}

int MakePreview(const CCardStore& store, int n, const QString& templatePath, const QString& previewPath, CodePage cp,
                IPrompt& prompt, QString* error, QString* templateError) {
  if (error) error->clear();
  if (IsSameFile(templatePath, previewPath)) {
    if (error) *error = previewPath + QStringLiteral(": ") + html_msg::kPreviewIsTemplate;
    return 0;
  }
  QByteArray bytes;
  QString reason;
  if (ReadInputFile(templatePath, kMaxTemplateFile, &bytes, &reason) != InputStatus::kOk) {
    if (templateError) *templateError = templatePath + QStringLiteral(": ") + reason;
    return 0;
  }
  CTextReader reader(bytes);
  bytes.clear();
  const CCardRow* card = store.VisibleCard(n);
  // Formula and linked items show their values, as on the card.
  std::optional<CCardRow> shown;
  for (int i = 0; card && i < store.ItemCount(); ++i) {
    if (!IsFormulaOrLinked(store.Property(i))) continue;
    if (!shown) shown.emplace(*card);
    shown->SetItem(i, store.GetItemValue(n, i));
  }
  if (shown) card = &*shown;
  QString out;
  QString line;
  bool tooLarge = false;
  while (!tooLarge && reader.ReadLine(&line)) {
    if (card) line = FillLine(std::move(line), *card, kMaxPreviewText - out.size(), &tooLarge);
    tooLarge = tooLarge || out.size() + line.size() > kMaxPreviewText;
    out += line;
  }
  if (tooLarge) {
    prompt.Notice(html_msg::kPreviewTooLarge.arg(kMaxPreviewText * 2 >> 20));
    return -1;
  }
  return WriteTextFile(previewPath, out, cp, prompt, error);
}

bool IsSameFile(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString StartTemplateText(const CCardStore& store) {
  QString t = QStringLiteral("<html>\r\n<head>\r\n<title>");
  t += QStringLiteral("</title>\r\n</head>\r\n<body>\r\n");
  for (int i = 1; i <= store.ItemCount(); ++i) {
    t += QStringLiteral("<h3>");
    t += store.Item(i - 1);
    t += QStringLiteral("</h3>\r\n<p>\r\n");
    t += Placeholder(i);
    t += QStringLiteral("\r\n</p>\r\n");
  }
  t += QStringLiteral("</body>\r\n</html>\r\n");
  return t;
}

int WriteStartTemplate(const CCardStore& store, const QString& templatePath, CodePage cp, IPrompt& prompt) {
  QString error;
  const int result = WriteTextFile(templatePath, StartTemplateText(store), cp, prompt, &error);
  // error names the path (or the private folder that could not be made) and the reason.
  if (result == 0) prompt.Notice(html_msg::kCannotOpenTemplate + (error.isEmpty() ? templatePath : error));
  return result;
}

bool ShowInBrowser(CVelumDoc& doc) {
  doc.StoreCards();
  const CServices& services = doc.Services();
  const CHtmlSettings html = CHtmlSettings::Read(services.settings, doc.PathName());
  const QString preview = html.EffectivePreview();
  QString error;
  const int result = MakePreview(doc.Store(), doc.CurrentCard(), html.EffectiveTemplate(), preview,
                                 services.FileCodePage(), services.prompt, &error);
  // A template that cannot be read asks for the settings; a preview that
  // cannot be written says where and why.
  if (result == 0)
    services.prompt.Notice(error.isEmpty() ? html_msg::kNeedTemplate
                                           : msg::kCannotWrite + msg::kReasonSeparator + error);
  if (result != 1) return false;
  services.shell.Open(preview);
  return true;
}

int CreateStartTemplate(CVelumDoc& doc, const QString& templatePath) {
  return WriteStartTemplate(doc.Store(), templatePath, doc.Services().FileCodePage(), doc.Services().prompt);
}
