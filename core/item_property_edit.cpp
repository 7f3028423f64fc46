#include "core/item_property_edit.h"

#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "platform/prompt.h"
#include "settings/settings.h"

#include <algorithm>
#include <cmath>

bool ApplyItemProperty(CVelumDoc& doc, int item, const CItemProperty& record, IDocView* sender) {
  if (item < 0 || item >= doc.ItemCount()) return false;
  doc.UndoStack().RecordRecords(doc, undo_label::kItemProperty);
  CItemProperty& target = doc.Store().Property(item);
  target = record;
  target.m_set = 1;
  doc.SetModifiedFlag();
  doc.UpdateAllViews(sender, kItemPropertyHint);
  return true;
}

QString ConfirmFormula(IPrompt& prompt, const QString& current, const QString& edited, bool undoable) {
  if (current.isEmpty() && !edited.isEmpty() &&
      !prompt.Question(undoable ? kFormulaReplaceUndoable : kFormulaReplaceQuestion))
    return current;
  return edited;
}

int PointFromHeight(std::int32_t height, int pixelsPerInchY) {
  if (pixelsPerInchY <= 0) return 0;
  return int(std::lround(double(height) * -72.0 / pixelsPerInchY));
}

int CChoiceList::Add(const QString& text) {
  m_choices.append(text);
  return Count() - 1;
}

int CChoiceList::Replace(int line, const QString& text) {
  if (!Valid(line)) return -1;
  m_choices[line] = text;
  return line;
}

int CChoiceList::Remove(int line) {
  if (!Valid(line)) return -1;
  m_choices.removeAt(line);
  return Count() == 0 ? -1 : std::min(line, Count() - 1);
}

int CChoiceList::MoveUp(int line) {
  if (!Valid(line)) return -1;
  if (line == 0) return line;
  m_choices.swapItemsAt(line, line - 1);
  return line - 1;
}

int CChoiceList::MoveDown(int line) {
  if (!Valid(line)) return -1;
  if (line == Count() - 1) return line;
  m_choices.swapItemsAt(line, line + 1);
  return line + 1;
}

CArchiveFont ArchiveFontFromSettings(const settings::CFontRecord& font, int pixelsPerInchY) {
  CArchiveFont out;
  out.faceName = font.faceName;
  out.height = settings::FontHeight(font.point, pixelsPerInchY);
  out.weight = font.weight;
  out.italic = std::uint8_t(font.italic != 0);
  out.underline = std::uint8_t(font.underline != 0);
  out.charSet = std::uint8_t(font.charSet);
  return out;
}

CArchiveFont ChosenFont(const CArchiveFont& base, const QString& face, int point, bool bold, bool italic,
                        int pixelsPerInchY) {
  CArchiveFont out = base;
  out.faceName = face;
  out.height = settings::FontHeight(std::uint32_t(std::max(point, 1)), pixelsPerInchY);
  out.weight = bold ? 700 : 400;
  out.italic = italic ? 1 : 0;
  return out;
}
