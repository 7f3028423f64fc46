#pragma once

#include <QCollator>
#include <QStringView>

// The order of a Japanese dictionary (よみ順), through ICU's collation for the
// ja locale with numbers read as numbers:
// - hiragana, katakana and half-width katakana are the same letters at the
//   first level (かとう, カトウ and ｶﾄｳ sort together), as are Latin letters of
//   either case and width;
// - a voiced or semi-voiced kana comes after its plain one (かとう < がとう <
//   かとうa: the letters decide before the marks do);
// - small kana and the long vowel mark follow the dictionary (きって after
//   きつて's letters are weighed, かーど beside かあど);
// - digits inside a text compare as numbers ("1丁目2番" < "1丁目10番"),
//   full-width digits too.
// Texts that differ only in kana kind compare equal, so a stable sort keeps
// their order before the sort.
class CYomiCollator {
 public:
  CYomiCollator();

  // <0, 0 or >0 as a comes before, with or after b.
  int Compare(QStringView a, QStringView b) const;
  // A key whose compare() orders as Compare does; for sorting many texts.
  QCollatorSortKey SortKey(QStringView text) const;

 private:
  QCollator m_collator;
};
