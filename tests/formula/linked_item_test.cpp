#include "formula/item_formula.h"

#include "core/card_store.h"
#include "support/test_support.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace {

void MakeLinked(CItemProperty& p, int source, const QString& target, const QString& path) {
  p.m_type = kItemLinked;
  p.m_linkSource = source;
  p.m_linkTargetName = target;
  p.m_choices = {u"\u0001"_s, path, u"code"_s};
  p.m_set = 1;
}

// Writes a card file with its property file (formulas and links), then puts
// the given card texts in place of what saving computed.
void WriteWithRecords(CTestWorld& w, const QString& name, const QString& lines,
                      const std::function<void(CCardStore&)>& records) {
  w.WriteFile(name, Sjis(lines));
  CCardStore store(*w.services);
  ASSERT_EQ(store.Read(w.Path(name)), 1);
  records(store);
  ASSERT_EQ(store.Write(w.Path(name)), 1);
  w.WriteFile(name, Sjis(lines));
}

}  // namespace

TEST(LinkedItem, LooksTheKeyUpInTheLinkedFile) {
  InstallItemFormulas();
  CTestWorld w;
  const QString master = w.Path(u"master.csv"_s);
  WriteWithRecords(w, u"master.csv"_s, u"code,Name,price,label,tax\r\nA01,りんご,1200,stale,\r\nB02,みかん,80,stale,\r\na01,dup,1,,\r\n"_s,
                   [](CCardStore& m) {
                     m.Property(3).m_formula = u"STR(%[Name]の%[price]円)"_s;
                     m.Property(4).m_formula = u"%[price]*1.1"_s;
                     m.Property(4).m_flags |= CItemProperty::kDigitGrouping;
                     m.Property(4).m_set = 1;
                   });
  w.WriteFile(u"main.csv"_s, Sjis(u"CODE,品名,単価,表示,price,逆\r\na01,,,,80,\r\nB02,,,,1200,\r\nC03,old,,,,\r\n"_s));
  CCardStore s(*w.services);
  ASSERT_EQ(s.Read(w.Path(u"main.csv"_s)), 1);
  MakeLinked(s.Property(1), 0, u"name"_s, master);  // names compared without regard to case
  MakeLinked(s.Property(2), 0, u"TAX"_s, master);
  MakeLinked(s.Property(3), 0, u"label"_s, master);
  MakeLinked(s.Property(5), 4, u"code"_s, master);  // keyed on "price", an item of both files
  auto row = [&](int card) {
    QStringList out;
    for (int i : {1, 2, 3, 5}) out << GetItemValue(s, card, false, i, true);
    return out;
  };
  // The first match wins (A01 before a01); the fetched value is shown as the
  // linked file's views show it: grouped, and its formula computed.
  EXPECT_EQ(row(0), (QStringList{u"りんご"_s, u"1,320"_s, u"りんごの1200円"_s, u"B02"_s}));
  EXPECT_EQ(row(1), (QStringList{u"みかん"_s, u"88"_s, u"みかんの80円"_s, u"A01"_s}));
  EXPECT_EQ(row(2), (QStringList{u""_s, u""_s, u""_s, u""_s}));                   // no match

  s.Property(4).m_formula = u"79+1"_s;  // a computed key
  EXPECT_EQ(GetItemValue(s, 0, false, 5, true), u"B02"_s);
  s.Property(2).m_linkTargetName = u"nope"_s;  // no such item there
  EXPECT_EQ(GetItemValue(s, 0, false, 2, true), u""_s);
  s.Property(1).m_linkSource = 1;  // keyed on itself
  EXPECT_EQ(GetItemValue(s, 0, false, 1, true), u"Err:連動項目で自分自身を参照"_s);
  s.Property(1).m_linkSource = 0;
  s.CCardRow::SetItem(0, u"Kode"_s);  // the linked file has no item of the key's name: the stored text
  EXPECT_EQ(GetItemValue(s, 2, false, 1, true), u"old"_s);
  s.CCardRow::SetItem(0, u"code"_s);
  // Saving stores the looked-up values.
  ASSERT_EQ(s.Write(w.Path(u"main.csv"_s)), 1);
  EXPECT_EQ(s.AllCard(1)->Item(1).toString(), u"みかん"_s);
  EXPECT_EQ(s.AllCard(1)->Item(3).toString(), u"みかんの80円"_s);
}

TEST(LinkedItem, LinkedKeysAndFilesThatReferToEachOtherEnd) {
  InstallItemFormulas();
  CTestWorld w;
  const QString a = w.Path(u"a.csv"_s);
  const QString b = w.Path(u"b.csv"_s);
  WriteWithRecords(w, u"b.csv"_s, u"key,link\r\nk1,bstored\r\n"_s,
                   [&](CCardStore& store) { MakeLinked(store.Property(1), 0, u"link"_s, a); });
  WriteWithRecords(w, u"a.csv"_s, u"key,link,other\r\nk1,astored,\r\n"_s,
                   [&](CCardStore& store) { MakeLinked(store.Property(1), 0, u"link"_s, b); });
  CCardStore s(*w.services);
  ASSERT_EQ(s.Read(a), 1);
  // a -> b -> a again: the chain ends with an empty store, so b's item shows its stored text.
  EXPECT_EQ(GetItemValue(s, 0, false, 1, true), u"bstored"_s);
  // Two linked items keyed on each other form a cycle.
  MakeLinked(s.Property(2), 1, u"link"_s, b);
  s.Property(1).m_linkSource = 2;
  EXPECT_EQ(GetItemValue(s, 0, false, 1, true), kCircularReference.toString());
  EXPECT_EQ(GetItemValue(s, 0, false, 2, true), kCircularReference.toString());
}
