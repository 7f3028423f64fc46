// The editing commands of velum-cli batch, run as a program.
#include <QFileInfo>

#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

class EditBatch : public ::testing::Test {
 protected:
  CCliRun Batch(const QString& script) {
    return RunCli({u"batch"_s, w.Path(u"a.csv"_s)}, script.toUtf8(), w.Path(u"velum.reg"_s));
  }
  CTestWorld w;
};

const QString kBook = u"名前,金額,メモ\r\n山田,100,\"a\"\r\n佐藤,200,\"b\"\r\n鈴木,300,\"c\"\r\n"_s;

}  // namespace

TEST_F(EditBatch, CardCommands) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const CCliRun r = Batch(
      u"set 0 メモ \"x,\\\"y\\\"\"\n"  // a quoted item: no question
      "set 0 金額 1,5\n"                 // a bare item: the comma question
      "copy 0 2\n"
      "card 1\n"
      "paste\n"
      "show --stored\n"
      "answer cancel\n"
      "delete 0 1 4\n"
      "delete 0 1 4\n"
      "cut 0\n"
      "append-paste\n"
      "add\n"
      "insert\n"
      "state\n"
      "show --stored\n"
      "save\n"_s);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            u"question: 項目内容にカンマが含まれています。\n項目をダブルクォーテーションで囲みますか？ -> ok\n"
            "名前\t金額\tメモ\n"
            "山田\t1,5\tx,\"y\"\n"
            "山田\t1,5\tx,\"y\"\n"
            "鈴木\t300\tc\n"
            "佐藤\t200\tb\n"
            "鈴木\t300\tc\n"
            "question: カードを削除します -> cancel\n"
            "question: カードを削除します -> ok\n"
            "{\"card\":2,\"item\":0,\"modified\":true,\"path\":\""_s +
                QFileInfo(w.Path(u"a.csv"_s)).absoluteFilePath() +
                u"\",\"total\":4,\"visible\":4}\n"
                "名前\t金額\tメモ\n"
                "佐藤\t200\tb\n"
                "鈴木\t300\tc\n"
                "\t\t\n"
                "\t\t\n"_s);
  // New cards take the quote flags of the (bare) header line.
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(u"名前,金額,メモ\r\n佐藤,200,\"b\"\r\n鈴木,300,\"c\"\r\n,,\r\n,,\r\n"_s));
}

TEST_F(EditBatch, ItemsAndTexts) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const CCliRun r = Batch(
      u"unify メモ 同じ\n"
      "set 1 名前 山田\n"
      "history 名前\n"
      "linebreak 名前 1\n"
      "item-add 住所\n"
      "item-add \"\"\n"
      "item-insert 金額 番号\n"
      "item-rename #0 氏名\n"
      "item-down 氏名\n"
      "item-up メモ\n"
      "answer cancel\n"
      "item-delete 金額\n"
      "item-delete 金額\n"
      "show --stored\n"
      "history 存在しない\n"_s);
  EXPECT_EQ(r.exitCode, 1) << r.err;  // the empty name and the unknown item
  EXPECT_EQ(r.out,
            u"[\"鈴木\",\"山田\"]\n"
            "message: 項目名は必ず入力してください\n"
            "question: 金額を削除します。よろしいですか？ -> cancel\n"
            "question: 金額を削除します。よろしいですか？ -> ok\n"
            "番号\t氏名\tメモ\t住所\n"
            "\t山\\n田\t同じ\t\n"
            "\t山田\t同じ\t\n"
            "\t鈴木\t同じ\t\n"_s);
  EXPECT_TRUE(r.err.contains(u"no item 存在しない"_s)) << r.err;
}

// undo and redo name the command they take back or do again; a save between
// leaves the file as saved and the undone document modified.
TEST_F(EditBatch, UndoAndRedo) {
  w.WriteFile(u"a.csv"_s, Sjis(kBook));
  const CCliRun r = Batch(
      u"undo\n"
      "set 1 メモ z\n"
      "delete 0\n"
      "item-add 追加\n"
      "save\n"
      "undo\n"
      "undo\n"
      "show --stored\n"
      "state\n"
      "redo\n"
      "show --stored\n"
      "redo\n"
      "redo\n"
      "undo\n"
      "undo\n"
      "undo\n"
      "undo\n"
      "show --stored\n"_s);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            u"nothing to undo\n"
            "question: カードを削除します -> ok\n"
            "undo: 項目の追加\n"
            "undo: カードの削除\n"
            "名前\t金額\tメモ\n山田\t100\ta\n佐藤\t200\tz\n鈴木\t300\tc\n"
            "{\"card\":0,\"item\":0,\"modified\":true,\"path\":\""_s +
                QFileInfo(w.Path(u"a.csv"_s)).absoluteFilePath() +
                u"\",\"total\":3,\"visible\":3}\n"
                "redo: カードの削除\n"
                "名前\t金額\tメモ\n佐藤\t200\tz\n鈴木\t300\tc\n"
                "redo: 項目の追加\n"
                "nothing to redo\n"
                "undo: 項目の追加\n"
                "undo: カードの削除\n"
                "undo: 項目の入力\n"
                "nothing to undo\n"
                "名前\t金額\tメモ\n山田\t100\ta\n佐藤\t200\tb\n鈴木\t300\tc\n"_s);
  // The save wrote the document before the undo.
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(u"名前,金額,メモ,\"追加\"\r\n佐藤,200,\"z\",\"\"\r\n鈴木,300,\"c\",\"\"\r\n"_s));
}
