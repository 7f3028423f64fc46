#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The reading of a name, kept from what the user typed through an input
// method: the kana shown before each conversion, in the order the converted
// texts stand in the field.
//
// An input method shows a composition (the preedit) while the user types
// (か, かと, かとう), shows the candidate of a conversion in it (加藤), and
// commits the chosen text. The last preedit that was kana alone is the
// reading of what the composition commits; a committed text that is itself
// kana is its own reading. Editing the field afterwards drops the readings of
// the committed texts that are no longer in it.
class CReadingCapture {
 public:
  // The field's text when editing begins; what stands there has no reading.
  void Begin(QStringView fieldText);
  // A composition's preedit text changed.
  void Preedit(QStringView text);
  // A composition committed text (empty: the composition was cancelled).
  void Commit(QStringView text);
  // The field's text after any change (typing, deleting, a commit): the
  // segments whose committed text is gone are dropped.
  void FieldChanged(QStringView fieldText);

  // The reading of the field as it stands, in hiragana (katakana when asked),
  // or empty when no composition left anything in it.
  QString Reading(bool katakana = false) const;
  bool IsEmpty() const { return m_segments.empty(); }

 private:
  struct CSegment {
    QString text;
    QString reading;
  };
  std::vector<CSegment> m_segments;
  QString m_lastKana;  // the last preedit of the composition that was kana alone
};
