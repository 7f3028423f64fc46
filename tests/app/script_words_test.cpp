#include "app/script_words.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

TEST(ScriptWords, Split) {
  const struct {
    QString line;
    bool ok;
    QStringList words;
  } rows[] = {
      {u""_s, true, {}},
      {u"  cmd   32769 "_s, true, {u"cmd"_s, u"32769"_s}},
      {u"type \"山田 太郎\""_s, true, {u"type"_s, u"山田 太郎"_s}},
      {u"type \"\""_s, true, {u"type"_s, u""_s}},
      {uR"(set #5 "a \"b\" \\ \n")"_s, true, {u"set"_s, u"#5"_s, uR"(a "b" \ \n)"_s}},
      {u"type a\"b"_s, true, {u"type"_s, u"a\"b"_s}},
      {u"type \"a\"b"_s, true, {u"type"_s, u"a"_s, u"b"_s}},
      {u"type \"abc"_s, false, {}},
      {uR"(type "abc\")"_s, false, {}},
      {u"\tkey\u3000Enter"_s, true, {u"key"_s, u"Enter"_s}},
  };
  for (const auto& r : rows) {
    QStringList words{u"left over"_s};
    EXPECT_EQ(SplitWords(r.line, &words), r.ok) << r.line;
    if (r.ok) EXPECT_EQ(words, r.words) << r.line;
  }
}

TEST(ScriptWords, TranscriptLinesAndAnswers) {
  using Kind = CScriptedPrompt::Kind;
  using Choice = IPrompt::Choice;
  const struct {
    CScriptedPrompt::Shown shown;
    QString line;
  } rows[] = {
      {{Kind::Notice, u"ファイルが開けません"_s, true}, u"message: ファイルが開けません"_s},
      {{Kind::Question, u"q"_s, true}, u"question: q -> ok"_s},
      {{Kind::Question, u"q"_s, false}, u"question: q -> cancel"_s},
      {{Kind::YesNo, u"q"_s, false}, u"question: q -> no"_s},
      {{Kind::YesNoCancel, u"%1 への変更"_s, false, Choice::Cancel}, u"question: %1 への変更 -> cancel"_s},
      {{Kind::YesNoCancel, u"q"_s, false, Choice::No}, u"question: q -> no"_s},
      {{Kind::YesNoCancel, u"q"_s, true, Choice::Yes}, u"question: q -> yes"_s},
  };
  for (const auto& r : rows) EXPECT_EQ(TranscriptLine(r.shown), r.line);

  const struct {
    QString word;
    bool ok;
    Choice choice;
  } answers[] = {{u"ok"_s, true, Choice::Yes},      {u"yes"_s, true, Choice::Yes}, {u"no"_s, true, Choice::No},
                 {u"cancel"_s, true, Choice::Cancel}, {u"OK"_s, false, Choice::Yes}, {u""_s, false, Choice::Yes}};
  for (const auto& a : answers) {
    Choice choice = Choice::Yes;
    EXPECT_EQ(ParseAnswerWord(a.word, &choice), a.ok) << a.word;
    if (a.ok) EXPECT_EQ(choice, a.choice) << a.word;
  }
}
