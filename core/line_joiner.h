#pragma once

#include "core/card_line.h"
#include "core/line_ends.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

// The quote scan of line joining: 0 at the start of an item, 1 in a bare item,
// 2 in a quoted item. Continues from state over the line up to its line feed.
// In a bare item only a comma matters and in a quoted item only a quote, so
// each state runs to its character in a tight loop.
int ScanQuotes(QStringView line, int state);

// The joining of lines into records in the Microsoft-CSV style: a line that
// leaves a quoted item open is kept back and the following lines are added,
// each line break as 0x01 0x02, until the item closes.
class CLineJoiner {
 public:
  explicit CLineJoiner(bool join) : m_join(join) {}

  // Feeds line lineNo, ended by end (none: the text's last line);
  // take(record, startLine) receives each complete record and answers as the
  // reader does (1 go on); while it runs, Inner() holds the record's line
  // breaks inside items. Answers 1 when the line was kept back.
  template <typename Take>
  int Line(QStringView line, qsizetype lineNo, std::optional<LineEnd> end, Take&& take) {
    m_done = {};
    if (!m_join) return take(line, lineNo);
    m_state = ScanQuotes(line, m_state);
    const bool unfinished = m_state == 2;
    if (unfinished && end) m_open.Add(*end);
    if (m_acc.isEmpty()) {
      if (!unfinished) {
        m_state = 0;
        return take(line, lineNo);
      }
      m_acc = line.toString();
      m_acc += QStringLiteral("\x01\x02");
      m_start = lineNo;
      m_multiLine = true;
      return 1;
    }
    m_acc += line;
    if (!unfinished) {
      m_acc += card_char::kLf;
      const QString joined = std::move(m_acc);
      m_acc.clear();
      m_state = 0;
      m_done = std::exchange(m_open, {});
      return take(joined, m_start);
    }
    m_acc += QStringLiteral("\x01\x02");
    return 1;
  }
  // The line ends inside the items of the record being taken.
  const CLineEndCount& Inner() const { return m_done; }

  // No record is open: the next line starts one.
  bool Clean() const { return m_acc.isEmpty(); }
  // A record spanning lines was begun.
  bool MultiLine() const { return m_multiLine; }
  // The open record, its first line.
  const QString& Open() const { return m_acc; }
  qsizetype OpenStart() const { return m_start; }
  const CLineEndCount& OpenInner() const { return m_open; }
  // Takes over a record left open where another joiner stopped.
  void Resume(QString acc, qsizetype start, const CLineEndCount& inner) {
    m_acc = std::move(acc);
    m_start = start;
    m_state = 2;
    m_open = inner;
  }
  // The open record closed by a quote, as the last record of the file; Inner()
  // then holds its line breaks.
  QString Closed() {
    m_done = std::exchange(m_open, {});
    QString text = std::move(m_acc);
    m_acc.clear();
    text.chop(2);  // the 0x01 0x02 that stood for the final line feed
    text += QStringLiteral("\"\n");
    return text;
  }

 private:
  const bool m_join;
  int m_state = 0;
  QString m_acc;
  qsizetype m_start = -1;
  bool m_multiLine = false;
  CLineEndCount m_open;  // the line breaks of the open record so far
  CLineEndCount m_done;  // those of the record being taken
};
