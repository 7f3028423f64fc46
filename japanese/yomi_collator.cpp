#include "japanese/yomi_collator.h"

#include <QLocale>

CYomiCollator::CYomiCollator() : m_collator(QLocale(QLocale::Japanese, QLocale::Japan)) {
  m_collator.setNumericMode(true);
  // Case-sensitive keeps ICU's third level (small kana, width, case) as the
  // last tie-break; the first level already ignores them.
  m_collator.setCaseSensitivity(Qt::CaseSensitive);
  m_collator.setIgnorePunctuation(false);
}

int CYomiCollator::Compare(QStringView a, QStringView b) const { return m_collator.compare(a, b); }

QCollatorSortKey CYomiCollator::SortKey(QStringView text) const { return m_collator.sortKey(text.toString()); }
