#include "japanese/reading_capture.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

// One composition as an input method sends it: the kana typed, the candidate
// of the conversion, then the commit; the field grows by the commit.
void Compose(CReadingCapture& c, QString& field, const QString& kana, const QString& commit) {
  for (qsizetype n = 1; n <= kana.size(); ++n) c.Preedit(QStringView(kana).first(n));
  c.Preedit(commit);
  c.Commit(commit);
  field += commit;
  c.FieldChanged(field);
}

TEST(ReadingCaptureTest, CompositionsInOrder) {
  CReadingCapture c;
  QString field;
  c.Begin(field);
  Compose(c, field, u"かとう"_qs, u"加藤"_qs);
  Compose(c, field, u"たろう"_qs, u"太郎"_qs);
  EXPECT_EQ(field, u"加藤太郎"_qs);
  EXPECT_EQ(c.Reading(), u"かとうたろう"_qs);
  EXPECT_EQ(c.Reading(true), u"カトウタロウ"_qs);
}

TEST(ReadingCaptureTest, RomajiWhileTypingAndKanaCommits) {
  CReadingCapture c;
  QString field;
  c.Begin(field);
  // "かt" on the way to "かと" is no reading; the last kana preedit is.
  c.Preedit(u"k");
  c.Preedit(u"か");
  c.Preedit(u"かt");
  c.Preedit(u"かと");
  c.Preedit(u"かとう");
  c.Preedit(u"加藤");
  c.Commit(u"加藤");
  field += u"加藤"_qs;
  c.FieldChanged(field);
  // A commit that stays kana is its own reading, katakana kept as hiragana.
  Compose(c, field, u"はなこ"_qs, u"ハナコ"_qs);
  EXPECT_EQ(c.Reading(), u"かとうはなこ"_qs);
}

TEST(ReadingCaptureTest, DeletionDropsTheReadingOfWhatWentAway) {
  CReadingCapture c;
  QString field;
  c.Begin(field);
  Compose(c, field, u"かとう"_qs, u"加藤"_qs);
  Compose(c, field, u"たろう"_qs, u"太郎"_qs);
  field = u"加藤"_qs;  // the user deletes 太郎
  c.FieldChanged(field);
  Compose(c, field, u"じろう"_qs, u"次郎"_qs);
  EXPECT_EQ(c.Reading(), u"かとうじろう"_qs);
  field.clear();
  c.FieldChanged(field);
  EXPECT_TRUE(c.IsEmpty());
  EXPECT_EQ(c.Reading(), QString());
}

TEST(ReadingCaptureTest, CancelledCompositionAndTextThatWasThere) {
  CReadingCapture c;
  QString field = u"佐藤"_qs;
  c.Begin(field);  // what stood in the field has no reading
  c.Preedit(u"あ");
  c.Commit(u"");  // cancelled
  Compose(c, field, u"はなこ"_qs, u"花子"_qs);
  EXPECT_EQ(c.Reading(), u"はなこ"_qs);
}

}  // namespace
