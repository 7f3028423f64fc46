#pragma once

#include "records/item_property.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class CVelumDoc;
class IDocView;
class IPrompt;

// The views refresh with this hint once an item's properties were confirmed.
inline constexpr std::uint32_t kItemPropertyHint = 6;

inline const QString kFormulaReplaceQuestion = QStringLiteral(
    "計算式を設定します。今までにこの項目に入力されていたデータは計算結果に全て置き換わります（元に戻せません）。よろしいですか？");
// The same while the undo steps are on: ［元に戻す］ brings the texts back.
inline const QString kFormulaReplaceUndoable = QStringLiteral(
    "計算式を設定します。今までにこの項目に入力されていたデータは計算結果に全て置き換わります（［元に戻す］で戻せます）。よろしいですか？");
inline const QString kFileReferenceSet =
    QStringLiteral("ファイル参照指定されています。ファイル参照を解除後、選択肢を指定してください");
inline const QString kDeleteChoiceQuestion = QStringLiteral("削除しますか？");

// Confirms an item's property record, as the item property sheet's OK and
// `velum-cli prop` do: the record (with its set flag now 1) replaces the
// item's, the document is marked modified and the views are updated with
// kItemPropertyHint from sender. False, with nothing changed, for an item
// outside the document's items.
bool ApplyItemProperty(CVelumDoc& doc, int item, const CItemProperty& record, IDocView* sender = nullptr);

// The formula an item keeps after the formula editor answered `edited`: giving
// a formula to an item that had none replaces the item's texts by computed
// values, so that asks kFormulaReplaceQuestion first, and Cancel keeps
// `current`. Any other change is taken without a question. `undoable`: the
// change can be undone (System/UndoSteps is above 0), and the question says so.
QString ConfirmFormula(IPrompt& prompt, const QString& current, const QString& edited, bool undoable = false);

// The point size a font height stands for: height * -72 / dots per inch,
// rounded to the nearest point (truncating would shrink the font a point each
// time it is shown: 10 points are -13 pixels at 96 dpi, and 9.75 points back).
int PointFromHeight(std::int32_t height, int pixelsPerInchY);

// The choice list as the choice list dialog edits it. Every change answers the
// line to select afterwards (-1: none); a selection outside the list does nothing.
class CChoiceList {
 public:
  explicit CChoiceList(QStringList choices) : m_choices(std::move(choices)) {}
  const QStringList& Choices() const { return m_choices; }
  int Count() const { return int(m_choices.size()); }

  // The text is appended and selected.
  int Add(const QString& text);
  int Replace(int line, const QString& text);
  // The line goes; the selection stays at its index (at most the last line).
  int Remove(int line);
  // The line changes places with its neighbour and stays selected; the first
  // line does not go up, the last not down.
  int MoveUp(int line);
  int MoveDown(int line);

 private:
  bool Valid(int line) const { return line >= 0 && line < Count(); }
  QStringList m_choices;
};

namespace settings {
struct CFontRecord;
}

// A font of the settings as the property record stores it, with the height
// made for the given dots per inch.
CArchiveFont ArchiveFontFromSettings(const settings::CFontRecord& font, int pixelsPerInchY);
// The font the font dialog's choice makes of `base`: its face, the height of
// the point size, weight 700 when bold else 400, italic as chosen; underline
// and character set stay.
CArchiveFont ChosenFont(const CArchiveFont& base, const QString& face, int point, bool bold, bool italic,
                        int pixelsPerInchY);
