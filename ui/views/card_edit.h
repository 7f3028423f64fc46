#pragma once

#include <QPlainTextEdit>

struct CStartSettings;

// The edit of one item (and nothing else): plain text with the card's CR LF
// line breaks shown as lines, the cursor keys that move between items, Enter
// that moves on in a single-line edit, and the item edits' context menu. It
// tells its card view what happened through its signals.
class CVelumEdit final : public QPlainTextEdit {
  Q_OBJECT

 public:
  // keys: the settings of the cursor keys (cursorMove, cursorRightMove),
  // which must outlive the edit.
  CVelumEdit(const CStartSettings& keys, int item, bool multiLine, QWidget* parent);

  int Item() const { return m_item; }
  bool MultiLineStyle() const { return m_multiLine; }
  // A multi-line edit wraps and, when more than one line high, scrolls.
  void SetStyle(bool multiLine, int lines);
  // The text as the card stores it: line breaks as CR LF.
  QString CardText() const;
  // Shows a card's text and clears the modified flag. A text longer than
  // kMaxEditChars is shown only by its beginning and "…", read-only: laying
  // out and shaping it whole would freeze the window for every keystroke and
  // paint. CardText() still answers the whole text, and the edit never counts
  // as modified then.
  void ShowCardText(QStringView text);
  static constexpr qsizetype kMaxEditChars = 256 * 1024;
  static constexpr qsizetype kShownChars = 4096;
  // A text with a run of more than this many characters that offers no place
  // to break a line (a long hexadecimal or base-62 string, digits) is wrapped
  // at any character: breaking at words would measure the whole run again for
  // every line, seconds for every keystroke and paint.
  static constexpr qsizetype kMaxUnbrokenRun = 1000;
  // Whether the edit wraps at any character now (see kMaxUnbrokenRun).
  bool WrapsAnywhere() const { return wordWrapMode() == QTextOption::WrapAnywhere; }
  bool Shortened() const { return m_shortened; }
  bool Modified() const;
  void SetModified(bool modified);
  // Replaces the selection; false when the edit refused (a single-line edit
  // refuses a line break).
  bool ReplaceSelection(const QString& text);
  // Whether the text runs past what the edit shows (to the right or below).
  bool Overflows() const;

 Q_SIGNALS:
  // A cursor key or Enter left the edit towards the next or the previous item.
  void nextItemRequested();
  void previousItemRequested();
  // The edit of item got or lost the focus.
  void itemFocusIn(int item);
  void itemFocusOut(int item);
  // The item edits' context menu is asked for at a global point.
  void contextMenuRequested(const QPoint& globalPos);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A text that runs past the edit carries a sign of it and, as its tooltip,
  // its beginning.
  void UpdateOverflow();
  // Chooses where lines break from the text held (kMaxUnbrokenRun).
  void ChooseWrap();

  const CStartSettings& m_keys;
  int m_item;
  bool m_multiLine;
  // The whole text while only its beginning is shown, and whether the edit
  // was read-only before.
  bool m_shortened = false;
  bool m_readOnlyBefore = false;
  QString m_whole;
};
