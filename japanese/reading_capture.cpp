#include "japanese/reading_capture.h"

#include "japanese/kana_fold.h"

void CReadingCapture::Begin(QStringView fieldText) {
  m_segments.clear();
  m_lastKana.clear();
  FieldChanged(fieldText);
}

void CReadingCapture::Preedit(QStringView text) {
  if (IsKanaText(text)) m_lastKana = text.toString();
}

void CReadingCapture::Commit(QStringView text) {
  if (!text.isEmpty()) {
    QString reading = IsKanaText(text) ? text.toString() : m_lastKana;
    if (!reading.isEmpty()) m_segments.push_back({text.toString(), ToHiragana(reading)});
  }
  m_lastKana.clear();
}

void CReadingCapture::FieldChanged(QStringView fieldText) {
  // The segments are kept where they still stand in order in the field.
  qsizetype from = 0;
  std::vector<CSegment> kept;
  for (CSegment& s : m_segments) {
    const qsizetype at = fieldText.indexOf(s.text, from);
    if (at < 0) continue;
    from = at + s.text.size();
    kept.push_back(std::move(s));
  }
  m_segments = std::move(kept);
}

QString CReadingCapture::Reading(bool katakana) const {
  QString out;
  for (const CSegment& s : m_segments) out += s.reading;
  return katakana ? HiraganaToKatakana(out) : out;
}
