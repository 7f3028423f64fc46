#include "ui/card_edit.h"

#include "ui/card_view.h"
#include "ui/velum_application.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTextBlock>

CVelumEdit::CVelumEdit(CCardView& view, int item, bool multiLine, QWidget* parent)
    : QPlainTextEdit(parent), m_view(view), m_item(item), m_multiLine(multiLine) {
  setTabChangesFocus(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(1);
  SetStyle(multiLine, multiLine ? 2 : 1);
}

void CVelumEdit::SetStyle(bool multiLine, int lines) {
  m_multiLine = multiLine;
  setLineWrapMode(multiLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(multiLine && lines > 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

QString CVelumEdit::CardText() const {
  if (m_shortened) return m_whole;
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return text;
}

void CVelumEdit::ShowCardText(QStringView text) {
  const bool shorten = text.size() > kMaxEditChars;
  if (shorten && !m_shortened) m_readOnlyBefore = isReadOnly();
  if (!shorten && m_shortened) setReadOnly(m_readOnlyBefore);
  m_shortened = shorten;
  m_whole = shorten ? text.toString() : QString();
  QString shown;
  if (shorten) {
    qsizetype cut = kShownChars;
    if (text[cut - 1].isHighSurrogate() || text[cut - 1] == u'\r') --cut;
    shown = text.left(cut).toString() + QStringLiteral("…");
    setReadOnly(true);
  } else {
    shown = text.toString();
  }
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (shown != toPlainText()) setPlainText(shown);
  document()->setModified(false);
}

bool CVelumEdit::Modified() const { return !m_shortened && document()->isModified(); }
void CVelumEdit::SetModified(bool modified) { document()->setModified(modified); }

bool CVelumEdit::ReplaceSelection(const QString& text) {
  if (!m_multiLine && text.contains(u'\n')) return false;
  if (isReadOnly()) return false;
  insertPlainText(text);
  return true;
}

void CVelumEdit::keyPressEvent(QKeyEvent* event) {
  const CStartSettings& cache = const_cast<CVelumApp&>(m_view.App()).Cache();
  const bool plain = (event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)) == 0;
  const int key = event->key();
  if (plain && cache.cursorMove) {
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      QTextCursor c = textCursor();
      if (!c.movePosition(key == Qt::Key_Up ? QTextCursor::Up : QTextCursor::Down)) {
        key == Qt::Key_Up ? m_view.PreviousItem() : m_view.NextItem();
        return;
      }
    }
  }
  if (plain && cache.cursorRightMove) {
    if (key == Qt::Key_Left && textCursor().position() == 0 && !textCursor().hasSelection()) {
      m_view.PreviousItem();
      return;
    }
    if (key == Qt::Key_Right) {
      const int before = textCursor().position();
      QPlainTextEdit::keyPressEvent(event);
      if (textCursor().position() == before) m_view.NextItem();
      return;
    }
  }
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain && !m_multiLine) {
    m_view.NextItem();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void CVelumEdit::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  // The edit's own history starts when the user comes to it: what was typed
  // on an earlier visit is stored already, and Ctrl+Z then belongs to the
  // document. A menu or another window closing is no new visit.
  const Qt::FocusReason reason = event->reason();
  if (!Modified() && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
    document()->clearUndoRedoStacks();
  m_view.OnItemFocusIn(m_item);
}

void CVelumEdit::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  m_view.OnItemFocusOut(m_item);
}

void CVelumEdit::contextMenuEvent(QContextMenuEvent* event) { m_view.ContextMenuAt(event->globalPos()); }
