#pragma once

#include "platform/code_page.h"

#include <QString>

class CCardRow;
class CCardStore;
class CVelumDoc;
class IPrompt;

namespace html_msg {
inline const QString kNeedTemplate =
    QStringLiteral("ブラウザ表示にはテンプレートファイルの作成が必要です。ブラウザ表示設定を行ってください。");
// Followed by the template's path.
inline const QString kCannotOpenTemplate = QStringLiteral("テンプレートファイルが開けません - ");
// %1: the limit in MB.
inline const QString kPreviewTooLarge =
    QStringLiteral("ブラウザ表示のファイルが大きくなりすぎるため作成できません（上限%1MB）");
// After "PATH: ": the preview would overwrite its own template.
inline const QString kPreviewIsTemplate = QStringLiteral("テンプレートファイルと同じファイルには書き込みません");
}  // namespace html_msg

// The largest preview, in UTF-16 code units: item texts that bring in
// placeholders again can double the page with every item.
inline constexpr qsizetype kMaxPreviewText = qsizetype(8) << 20;
namespace html_msg {
}  // namespace html_msg

// The placeholder of item number k (from 1): "%%k%%".
QString Placeholder(int k);

// One template line with the placeholders %%1%% ... %%n%% of the card's n items
// replaced, from item 1 upward, by the item's stored text with every CR LF as
// "<br>" and nothing escaped. Placeholders beyond the items stay. A line that
// would grow beyond limit is left as it stood and *tooLarge set.
QString FillLine(QString line, const CCardRow& card, qsizetype limit = kMaxPreviewText, bool* tooLarge = nullptr);

// Copies the template into the preview file (replaced) with the placeholders of
// visible card n filled in (a formula or linked item with its value, as the
// card shows it), in the code page. 1 written; 0 the template could
// not be read (a regular file of at most 64 MB) or the preview not written
// (also when it is the template itself); -1 a character has no form in the
// code page and the user declined UTF-8, or the preview would pass
// kMaxPreviewText (a message; nothing written). Without such a card the
// placeholders stay. When the preview could not be written, error (when
// given) receives "PATH: reason"; when the template could not be read,
// templateError (when given) does.
int MakePreview(const CCardStore& store, int n, const QString& templatePath, const QString& previewPath, CodePage cp,
                IPrompt& prompt, QString* error = nullptr, QString* templateError = nullptr);

// True when both paths name one existing file (through links and other names).
bool IsSameFile(const QString& a, const QString& b);

// The starting template: an HTML page with each item's name as a heading and its
// placeholder as a paragraph, every line ended by CR LF.
QString StartTemplateText(const CCardStore& store);
// Writes the starting template (replaced) in the code page. 1 written; 0 with
// "テンプレートファイルが開けません - " and the path (with the system's reason
// where there is one); -1 declined as above.
int WriteStartTemplate(const CCardStore& store, const QString& templatePath, CodePage cp, IPrompt& prompt);

// ブラウザ表示: the current card into the preview file of the document's HTML
// settings, which is then handed to the shell. False when no preview was made
// (after the message that asks for the settings, unless the user declined UTF-8).
bool ShowInBrowser(CVelumDoc& doc);
// テンプレートの作成 of the settings dialog: the starting template of the document.
int CreateStartTemplate(CVelumDoc& doc, const QString& templatePath);
