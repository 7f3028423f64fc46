#include "ui/views/card_edit.h"

#include "ui/views/start_settings.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

CVelumEdit::CVelumEdit(const CStartSettings& keys, int item, bool multiLine, QWidget* parent)
    : QPlainTextEdit(parent), m_keys(keys), m_item(item), m_multiLine(multiLine) {
  setTabChangesFocus(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(1);
  SetStyle(multiLine, multiLine ? 2 : 1);
  // The ranges change whenever the text or the size does.
  connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &CVelumEdit::UpdateOverflow);
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &CVelumEdit::UpdateOverflow);
  // A large paste may bring a long run of its own.
  connect(document(), &QTextDocument::contentsChange, this, [this](int, int, int added) {
    if (added > kMaxUnbrokenRun && !WrapsAnywhere()) ChooseWrap();
  });
}

namespace {

// Whether the text has a run longer than limit without a blank, a line break
// or a CJK character, the places a line may break at besides punctuation.
bool HasLongRun(QStringView text, qsizetype limit) {
  qsizetype run = 0;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    const bool breaks = c.isSpace() || u == 0x2029 || (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) ||
                        (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) || c.isSurrogate();
    run = breaks ? 0 : run + 1;
    if (run > limit) return true;
  }
  return false;
}

}  // namespace

void CVelumEdit::ChooseWrap() {
  const bool anywhere = HasLongRun(toPlainText(), kMaxUnbrokenRun);
  setWordWrapMode(anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
}

bool CVelumEdit::Overflows() const {
  return horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
}

void CVelumEdit::UpdateOverflow() {
  constexpr int kTipLength = 400;
  if (!Overflows()) {
    setToolTip({});
    return;
  }
  // The tip shows the beginning of a long text, never all of a huge one.
  QString tip;
  for (QTextBlock b = document()->begin(); b.isValid() && tip.size() <= kTipLength; b = b.next())
    tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + b.text().left(kTipLength + 1);
  if (tip.size() > kTipLength) tip = tip.left(kTipLength) + QStringLiteral("…");
  setToolTip(tip);
  viewport()->update();
}

void CVelumEdit::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  if (hasFocus() || !Overflows()) return;
  // "…" at the lower right corner says there is more than is shown.
  QPainter p(viewport());
  const QString more = QStringLiteral("…");
  const QFontMetrics fm(font());
  const QRect r(viewport()->width() - fm.horizontalAdvance(more) - 4, viewport()->height() - fm.height(),
                fm.horizontalAdvance(more) + 4, fm.height());
  p.fillRect(r, viewport()->palette().color(viewport()->backgroundRole()));
  p.setPen(palette().color(QPalette::PlaceholderText));
  p.drawText(r, Qt::AlignCenter, more);
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
  if (shown != toPlainText()) {
    // The wrap is chosen before the text is laid out, never after.
    const bool anywhere = HasLongRun(shown, kMaxUnbrokenRun);
    if (anywhere != WrapsAnywhere())
      setWordWrapMode(anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    setPlainText(shown);
  }
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
  const CStartSettings& cache = m_keys;
  const bool plain = (event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)) == 0;
  const int key = event->key();
  if (plain && cache.cursorMove) {
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      QTextCursor c = textCursor();
      if (!c.movePosition(key == Qt::Key_Up ? QTextCursor::Up : QTextCursor::Down)) {
        if (key == Qt::Key_Up)
          Q_EMIT previousItemRequested();
        else
          Q_EMIT nextItemRequested();
        return;
      }
    }
  }
  if (plain && cache.cursorRightMove) {
    if (key == Qt::Key_Left && textCursor().position() == 0 && !textCursor().hasSelection()) {
      Q_EMIT previousItemRequested();
      return;
    }
    if (key == Qt::Key_Right) {
      const int before = textCursor().position();
      QPlainTextEdit::keyPressEvent(event);
      if (textCursor().position() == before) Q_EMIT nextItemRequested();
      return;
    }
  }
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain && !m_multiLine) {
    Q_EMIT nextItemRequested();
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
  Q_EMIT itemFocusIn(m_item);
}

void CVelumEdit::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  Q_EMIT itemFocusOut(m_item);
}

void CVelumEdit::contextMenuEvent(QContextMenuEvent* event) { Q_EMIT contextMenuRequested(event->globalPos()); }
