#include "core/property_file.h"

#include "core/card_store.h"
#include "core/linked_store.h"
#include "core/velum_doc.h"
#include "platform/input_file.h"
#include "records/form_set.h"
#include "records/print_prop.h"
#include "records/velum_property.h"
#include "records/velum_select.h"
#include "records/velum_set.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "property_file_builder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kTwoItems = "a,b\r\n1,2\r\n";

QString ReadInto(const QByteArray& bytes, CVelumProperty* record) { return ReadPropertyBytes(bytes, record); }

// A property file as earlier versions wrote it: the record, then the names of
// the items it was written for.
QByteArray WithItemNames(const QByteArray& record, const QStringList& names) {
  CArchiveWriter ar;
  ar.WriteString(u"Velum:ItemNames"_s);
  ar.WriteStringList(names);
  return record + ar.Bytes();
}

}  // namespace

TEST(PropertyFile, PathRule) {
  const std::pair<QString, QString> cases[] = {
      {u"/d/住所.csv"_s, u"/d/住所.vcv"_s}, {u"/d/a.vcsv"_s, u"/d/a.vcv"_s}, {u"/d/a.b.txt"_s, u"/d/a.b.vcv"_s},
      {u"/d/a.vcv"_s, u"/d/a.vcv"_s},       {u"/d/noext"_s, u"/d/noextvcv"_s}, {u"/d.x/noext"_s, u"/d.x/noextvcv"_s},
  };
  for (const auto& [card, prop] : cases) EXPECT_EQ(PropertyFilePath(card), prop) << card;
}

TEST(PropertyFile, DefaultsOfNewRecords) {
  for (const auto& [item, firstLine] : {std::pair{0u, 1u}, std::pair{1u, 0u}}) {
    CTestWorld w;
    WriteSetting(*w.settings, settings::kItem, item);
    WriteSetting(*w.settings, settings::kPrintSotowaku, 3);
    WriteSetting(*w.settings, settings::kPFontFaceName, u"IPAGothic"_s);
    const CVelumProperty p = CVelumProperty::Defaults(*w.settings);
    EXPECT_EQ(p.m_firstLine, firstLine);
    EXPECT_EQ(p.m_set, 0);
    EXPECT_EQ(p.m_backColor, kColor3DFace);
    EXPECT_EQ(p.m_htmlTexts, (std::array<QString, 7>{u"search.cgi"_s, {}, {}, u"search.html"_s, u"検索"_s,
                                                      u"/usr/local/bin/perl"_s, {}}));
    EXPECT_EQ(p.m_value10, 1u);
    EXPECT_EQ(p.m_bodyTag, u"<BODY BGCOLOR=\"#FFFFFF\">\r\n"_s);
    EXPECT_EQ(p.m_htmlColors, (std::array<ColorRef, 2>{0x80FF80, 0xFFFFFF}));
    EXPECT_EQ(p.m_value12, 1u);
    EXPECT_EQ(p.m_texts15b[2], u"詳細"_s);
    EXPECT_EQ(p.m_cardPosition, 0u);
    ASSERT_EQ(p.m_printLayouts.Size(), 1);
    const auto* layout = p.m_printLayouts.As<CPrintProp>(0);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->m_sotowaku, 3u);
    EXPECT_EQ(layout->m_font.faceName, u"IPAGothic"_s);
    EXPECT_TRUE(p.m_itemCopies.Empty() && p.m_sortSets.Empty() && p.m_selectSets.Empty() && p.m_formSets.Empty());
  }
  const CItemProperty item;
  EXPECT_EQ(item.m_set, 0u);
  EXPECT_EQ(item.m_textColor, kColorWindowText);
  EXPECT_EQ(item.m_backColor, kColorWindow);
  EXPECT_EQ(item.m_nameTextColor, kColorWindowText);
  EXPECT_EQ(item.m_nameBackColor, kColor3DFace);
  EXPECT_EQ(item.m_value13, 1u);
  EXPECT_EQ(item.m_values20, (std::array<std::uint32_t, 5>{0, 1, 1, 1, 1}));
  EXPECT_EQ(item.m_hasContentFont + item.m_hasNameFont, 0u);
}

// Each version gate: a file of that version reads every field it holds and
// keeps the defaults of the later ones; written back it is version 700.
TEST(PropertyFile, VersionGates) {
  CTestWorld w;
  for (int v : kPropertyVersions) {
    const QByteArray file = CPropertyFileBuilder(v, v).Build();
    CVelumProperty record = CVelumProperty::Defaults(*w.settings);
    ASSERT_EQ(ReadInto(file, &record), QString()) << v;
    EXPECT_EQ(record.m_version, v);
    EXPECT_EQ(WritePropertyBytes(record).toHex(), CPropertyFileBuilder(700, v).Build().toHex()) << v;
    EXPECT_EQ(record.m_firstLine, v >= 420 ? 0u : 1u) << v;
    EXPECT_EQ(record.m_cardPosition, v >= 530 ? 3u : 0u) << v;
    ASSERT_EQ(record.m_itemCopies.Size(), 2);
    const auto* item = record.m_itemCopies.As<CItemProperty>(1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->m_formula, u"%[a]+1"_s);
    EXPECT_EQ(item->m_contentFont.faceName, u"MS UI Gothic"_s);
    EXPECT_EQ(item->m_initialValue, v >= 420 ? u"init"_s : QString()) << v;
    EXPECT_EQ(item->HasFileReference(), v >= 420) << v;
    EXPECT_EQ(record.m_formSets.Size(), v >= 700 ? 1 : 0);
  }
}

TEST(PropertyFile, Version700RoundTripIsByteExact) {
  CTestWorld w;
  const QByteArray file = CPropertyFileBuilder(700, 700).Build();
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  ASSERT_EQ(ReadInto(file, &record), QString());
  EXPECT_EQ(WritePropertyBytes(record).toHex(), file.toHex());
  // A copy carries everything, the objects of other classes included.
  const CVelumProperty copy = record;
  EXPECT_EQ(WritePropertyBytes(copy), file);
  ASSERT_EQ(record.m_objects.Size(), 1);
  EXPECT_STREQ(record.m_objects.At(0)->ClassName(), "CPrintLabel");
}

// Truncated anywhere, or with any byte changed, a file never crashes the
// reader; what went wrong is named, and a record read without complaint
// writes back to bytes that read again the same.
TEST(PropertyFile, DamagedBytes) {
  CTestWorld w;
  const QByteArray file = CPropertyFileBuilder(700, 700).Build();
  for (qsizetype len = 0; len < file.size(); ++len) {
    CVelumProperty record = CVelumProperty::Defaults(*w.settings);
    qsizetype offset = -1;
    const QString error = ReadPropertyBytes(QByteArrayView(file.constData(), len), &record, &offset);
    ASSERT_FALSE(error.isEmpty()) << len;
    EXPECT_LE(offset, len);
    // Fields before the cut keep what was read.
    if (len > 2) {
      EXPECT_EQ(record.m_version, 700);
    }
  }
  {
    CVelumProperty record = CVelumProperty::Defaults(*w.settings);
    EXPECT_EQ(ReadInto(file + "x", &record), archive_msg::kTrailing);
    // Earlier versions wrote the names of the items after the record; cut,
    // or followed by more, they are damage like any other bytes.
    record.m_itemNames = QStringList{u"名前"_s, u"金額"_s};
    const QByteArray named = WithItemNames(WritePropertyBytes(record), record.m_itemNames);
    for (const QByteArray& bytes : {named.chopped(1), named + "x"}) {
      CVelumProperty damaged = CVelumProperty::Defaults(*w.settings);
      EXPECT_EQ(ReadInto(bytes, &damaged), archive_msg::kTrailing);
      EXPECT_TRUE(damaged.m_itemNames.isEmpty());
    }
    CVelumProperty back = CVelumProperty::Defaults(*w.settings);
    EXPECT_EQ(ReadInto(named, &back), QString());
    EXPECT_EQ(back.m_itemNames, record.m_itemNames);
  }
  int sound = 0;
  for (qsizetype at = 0; at < file.size(); ++at) {
    for (int mask : {0x01, 0x80, 0xFF}) {
      QByteArray bytes = file;
      bytes[at] = char(bytes[at] ^ mask);
      CVelumProperty record = CVelumProperty::Defaults(*w.settings);
      if (!ReadInto(bytes, &record).isEmpty()) continue;
      ++sound;
      const QByteArray again = WritePropertyBytes(record);
      CVelumProperty back = CVelumProperty::Defaults(*w.settings);
      ASSERT_EQ(ReadInto(again, &back), QString()) << at;
      ASSERT_EQ(WritePropertyBytes(back), again) << at;
    }
  }
  EXPECT_GT(sound, 0);
}

TEST(PropertyFile, CountsBeyondTheBytesAreRefused) {
  CTestWorld w;
  // Version 700 with set flag, then a string claiming two billion characters.
  const QByteArray hugeString = QByteArray::fromHex("bc020100" "fffeffffffffffffff7f") + QByteArray(16, 'x');
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  EXPECT_EQ(ReadInto(hugeString, &record), archive_msg::kTooLarge);
  EXPECT_EQ(record.m_set, 1);
  EXPECT_TRUE(record.m_texts3[0].isEmpty());
}

TEST(PropertyFile, SavedOnlyWhenSomethingIsSet) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, kTwoItems);
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"a.csv"_s));
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"a.vcv"_s)));

  doc.Store().Property(1).m_initialValue = u"x"_s;
  doc.Store().Property(1).m_set = 1;
  ASSERT_TRUE(doc.Save());
  ASSERT_TRUE(QFileInfo::exists(w.Path(u"a.vcv"_s)));

  // Read back: the record is applied to its item and set; other items keep defaults.
  CVelumDoc back(*w.services);
  back.OnOpenDocument(w.Path(u"a.csv"_s));
  EXPECT_EQ(back.Store().Property(1).m_initialValue, u"x"_s);
  EXPECT_EQ(back.Store().Property(0).m_set, 1u);  // read from the file
  EXPECT_EQ(back.Store().FileProperty().m_itemCopies.Size(), 2);
  EXPECT_TRUE(w.prompt.Texts().isEmpty()) << w.prompt.Texts().join(u'|');

  // The file-properties dialog alone makes every later save write the file.
  QFile::remove(w.Path(u"a.vcv"_s));
  CVelumDoc fresh(*w.services);
  fresh.OnOpenDocument(w.Path(u"a.csv"_s));
  fresh.ApplyFileProperties(false, 0x00FF00, true);
  ASSERT_TRUE(fresh.Save());
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  ASSERT_EQ(ReadInto(w.ReadFile(u"a.vcv"_s), &record), QString());
  EXPECT_EQ(record.m_backColor, 0x00FF00u);
}

// A file written by the program, opened and saved without a change, is the same file.
TEST(PropertyFile, DocumentRoundTripKeepsTheFile) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, kTwoItems);
  {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    for (int i = 0; i < 2; ++i) {
      doc.Store().Property(i).m_set = 1;
      doc.Store().Property(i).m_choices = QStringList{u"甲"_s, u"乙"_s};
    }
    auto sort = std::make_unique<CVelumSortSet>();
    sort->m_keys.m_keys.push_back(CVelumSort(1, 2));
    doc.Store().FileProperty().m_sortSets.Append(std::move(sort));
    ASSERT_TRUE(doc.Save());
  }
  const QByteArray first = w.ReadFile(u"a.vcv"_s);
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"a.csv"_s));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(w.ReadFile(u"a.vcv"_s), first);
}

// The first-line flag is read before the card lines are parsed.
TEST(PropertyFile, LoadedBeforeTheCardLines) {
  CTestWorld w;
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  record.m_firstLine = 0;
  record.m_set = 1;
  w.WriteFile(u"a.vcv"_s, WritePropertyBytes(record));
  w.WriteFile(u"a.csv"_s, kTwoItems);
  CCardStore store(*w.services);
  ASSERT_EQ(store.Read(w.Path(u"a.csv"_s)), 1);
  EXPECT_EQ(store.AllCount(), 2);
  EXPECT_EQ(store.Item(0).toString(), u"項目1"_s);
}

TEST(PropertyFile, DamagedFileOpensWithDefaultsAndIsKeptOnSave) {
  CTestWorld w;
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  record.m_firstLine = 0;
  CItemProperty item;
  item.m_initialValue = u"残る"_s;
  record.m_itemCopies.Append(item.Clone());
  record.m_itemCopies.Append(item.Clone());
  QByteArray damaged = WritePropertyBytes(record);
  damaged.chop(3);  // inside the last array
  w.WriteFile(u"a.vcv"_s, damaged);
  w.WriteFile(u"a.csv"_s, kTwoItems);

  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"a.csv"_s));
  ASSERT_EQ(w.prompt.Texts().size(), 1);
  EXPECT_TRUE(w.prompt.Texts()[0].startsWith(u"プロパティファイル「a.vcv」を正しく読み込めませんでした"_s))
      << w.prompt.Texts()[0];
  EXPECT_TRUE(w.prompt.Texts()[0].contains(archive_msg::kTruncated));
  EXPECT_TRUE(w.prompt.Texts()[0].contains(u"a.vcv.bak"_s));
  // What was read before the damage holds.
  EXPECT_FALSE(doc.Store().FirstLineIsItems());
  EXPECT_EQ(doc.Store().Property(1).m_initialValue, u"残る"_s);
  EXPECT_EQ(doc.Store().FileProperty().m_printLayouts.Size(), 1);

  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(w.ReadFile(u"a.vcv.bak"_s), damaged);
  CVelumProperty back = CVelumProperty::Defaults(*w.settings);
  ASSERT_EQ(ReadInto(w.ReadFile(u"a.vcv"_s), &back), QString());
  // Saving again neither writes a second backup nor needs one.
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"a.vcv.bak2"_s)));

  // An earlier backup is never overwritten.
  w.WriteFile(u"a.vcv"_s, QByteArray("\xbc\x02", 2));
  CVelumDoc again(*w.services);
  again.OnOpenDocument(w.Path(u"a.csv"_s));
  ASSERT_TRUE(again.Save());
  EXPECT_EQ(w.ReadFile(u"a.vcv.bak"_s), damaged);
  EXPECT_EQ(w.ReadFile(u"a.vcv.bak2"_s), QByteArray("\xbc\x02", 2));
}

// A property file that cannot be written, or whose records pass what its
// reader takes, fails the whole save with the path and the reason.
TEST(PropertyFile, WriteFailureShowsTheReasonAndFailsTheSave) {
  const QString tooLarge = input_msg::kTooLarge.arg(kMaxPropertyFile >> 20);
  for (const bool folder : {true, false}) {
    CTestWorld w;
    w.WriteFile(u"a.csv"_s, kTwoItems);
    if (folder) QDir(w.Path({})).mkdir(u"a.vcv"_s);  // a folder where the file should go
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    w.prompt.ClearHistory();
    doc.Store().Property(0).m_set = 1;
    if (!folder) doc.Store().Property(0).m_choices = QStringList(5, QString(kMaxPropertyFile / 8, u'x'));
    doc.Store().SetItemText(0, 0, u"new"_s);
    // The save as a whole failed: the document stays modified, and the card
    // file is not replaced without its records.
    EXPECT_FALSE(doc.Save());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kPropertySaveFailed + w.Path(u"a.vcv"_s) + u": "_s +
                                            (folder ? u"Is a directory"_s : tooLarge) + msg::kPairKept});
    EXPECT_EQ(w.ReadFile(u"a.csv"_s), kTwoItems);
    EXPECT_EQ(QFileInfo(w.Path(u"a.vcv"_s)).isDir(), folder);
  }
}

// The property file belongs to the file a link leads to: opened and saved
// through a link (or a linked folder), the records are those beside the real
// file, and no second property file grows beside the link.
TEST(PropertyFile, BelongsBesideTheFileALinkLeadsTo) {
  CTestWorld w;
  QDir(w.Path({})).mkpath(u"real"_s);
  w.WriteFile(u"real/data.csv"_s, kTwoItems);
  ASSERT_TRUE(QFile::link(w.Path(u"real/data.csv"_s), w.Path(u"link.csv"_s)));
  ASSERT_TRUE(QFile::link(w.Path(u"real"_s), w.Path(u"folder"_s)));
  {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"real/data.csv"_s));
    doc.Store().Property(1).m_formula = u"1+1"_s;
    doc.Store().Property(1).m_set = 1;
    ASSERT_TRUE(doc.Save());
  }
  for (const QString& path : {w.Path(u"link.csv"_s), w.Path(u"folder/data.csv"_s)}) {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(path);
    EXPECT_EQ(doc.Store().Property(1).m_formula, u"1+1"_s) << path;
    doc.Store().Property(0).m_initialValue = path;
    doc.Store().Property(0).m_set = 1;
    ASSERT_TRUE(doc.Save()) << path;
    CCardStore back(*w.services);
    ASSERT_EQ(back.Read(w.Path(u"real/data.csv"_s)), 1);
    EXPECT_EQ(back.Property(0).m_initialValue, path);
  }
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"link.vcv"_s)));
  EXPECT_TRUE(QFileInfo(w.Path(u"link.csv"_s)).isSymLink());
}

// A new property file is no more open than its card file, whatever the
// umask; one that exists keeps its own permissions.
TEST(PropertyFile, ANewPropertyFileIsAsOpenAsItsCardFile) {
  const mode_t savedMask = ::umask(022);
  struct Case {
    mode_t card;
    mode_t oldProperty;  // 0: none yet
    mode_t expected;
  };
  for (const Case& c : std::vector<Case>{{0600, 0, 0600}, {0640, 0, 0640}, {0664, 0, 0664}, {0600, 0644, 0644}}) {
    CTestWorld w;
    w.WriteFile(u"a.csv"_s, kTwoItems);
    ASSERT_EQ(::chmod(QFile::encodeName(w.Path(u"a.csv"_s)).constData(), c.card), 0);
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    doc.Store().Property(0).m_set = 1;
    if (c.oldProperty != 0) {
      ASSERT_TRUE(doc.Save());
      ASSERT_EQ(::chmod(QFile::encodeName(w.Path(u"a.vcv"_s)).constData(), c.oldProperty), 0);
    }
    ASSERT_TRUE(doc.Save());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(w.Path(u"a.vcv"_s)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.expected) << std::oct << c.card;
  }
  ::umask(savedMask);
}

// Each record goes to the item it was written for, by name, when the names
// are known (noted when the file was written, or written after the record by
// earlier versions); by position otherwise, but a record that computes its
// item goes nowhere when the item counts show that the files do not belong
// together.
TEST(PropertyFile, RecordsGoToTheItemsTheyWereWrittenFor) {
  const QStringList abc{u"A"_s, u"B"_s, u"C"_s};
  const std::vector<bool> plain(3, false);
  const std::vector<bool> lastComputes{false, false, true};
  const struct {
    QStringList items;
    QStringList copyNames;
    std::vector<bool> computes;
    std::vector<int> from;
  } rows[] = {
      {abc, {}, plain, {0, 1, 2}},
      {abc, {}, lastComputes, {0, 1, 2}},                                      // same count: by position
      {{u"A"_s, u"B"_s, u"C"_s, u"D"_s}, {}, plain, {0, 1, 2, -1}},
      {{u"A"_s, u"B"_s, u"C"_s, u"D"_s}, {}, lastComputes, {0, 1, -1, -1}},    // counts differ: no formula
      {{u"A"_s, u"B"_s}, {}, lastComputes, {0, 1}},
      {{u"A"_s, u"B"_s}, {u"A"_s}, plain, {0, 1}},                           // names not one per copy
      {{u"A"_s, u"新"_s, u"B"_s, u"C"_s}, abc, lastComputes, {0, -1, 1, 2}},  // inserted
      {{u"A"_s, u"C"_s}, abc, lastComputes, {0, 2}},                          // deleted
      {{u"B"_s, u"A"_s, u"C"_s}, abc, plain, {1, 0, 2}},                      // moved
      {{u"A"_s, u"B"_s, u"新"_s}, abc, lastComputes, {0, 1, -1}},             // replaced or renamed elsewhere
      {{u"M"_s, u"M"_s, u"N"_s}, {u"M"_s, u"N"_s, u"M"_s}, plain, {0, 2, 1}},
  };
  for (const auto& r : rows)
    EXPECT_EQ(CopyForEachItem(r.items, r.copyNames, r.computes), r.from) << r.items.join(u',').toStdString();

  // A save cut off between its two renames leaves the card file of one save
  // beside the property file of the other, in either order; a formula stays
  // on its item.
  CTestWorld w;
  const QByteArray oldCards = Sjis(u"名前,金額,税込\r\n山田,100,110\r\n"_s);
  const QByteArray newCards = Sjis(u"名前,メモ,金額,税込\r\n山田,,100,110\r\n"_s);
  w.WriteFile(u"a.csv"_s, oldCards);
  {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    doc.Store().Property(2).m_formula = u"金額*1.1"_s;
    doc.Store().Property(2).m_set = 1;
    ASSERT_TRUE(doc.Save());
  }
  const QByteArray oldProps = w.ReadFile(u"a.vcv"_s);
  w.WriteFile(u"a.csv"_s, newCards);
  auto formulas = [&] {
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    QStringList out;
    for (int i = 0; i < doc.ItemCount(); ++i) out << doc.Store().Property(i).m_formula;
    EXPECT_TRUE(doc.Save());  // the new property file, written for these items
    return out;
  };
  EXPECT_EQ(formulas(), (QStringList{{}, {}, {}, u"金額*1.1"_s}));  // new cards, old records
  w.WriteFile(u"a.csv"_s, oldCards);
  EXPECT_EQ(formulas(), (QStringList{{}, {}, u"金額*1.1"_s}));  // old cards, new records
  EXPECT_EQ(w.ReadFile(u"a.csv"_s), oldCards);
  EXPECT_NE(w.ReadFile(u"a.vcv"_s), oldProps);
}

// A card file named .vcv would be its own property file: it has none.
TEST(PropertyFile, CardFileNamedVcvIsNeverOverwritten) {
  CTestWorld w;
  w.WriteFile(u"a.vcv"_s, kTwoItems);
  CVelumDoc doc(*w.services);
  doc.OnOpenDocument(w.Path(u"a.vcv"_s));
  EXPECT_TRUE(w.prompt.Texts().isEmpty());
  doc.Store().Property(0).m_set = 1;
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(w.ReadFile(u"a.vcv"_s), kTwoItems);
}

// Item insertion, deletion and swapping renumber the item records, the print
// layouts, the stored sets and the form layouts.
TEST(PropertyFile, RenumberingFollowsTheItems) {
  CTestWorld w;
  CCardStore store(*w.services);
  CItemNameRow names;
  names.MakeEmpty(6);
  store.SetItemNames(names, true);
  auto setUp = [&] {
    CItemNameRow row;
    row.MakeEmpty(6);
    store.SetItemNames(row, false);
    CItemProperty& linked = store.Property(4);
    linked.m_type = kItemLinked;
    linked.m_linkSource = 2;
    linked.m_secondRef = 5;
    CVelumProperty& f = store.FileProperty();
    auto* layout = f.m_printLayouts.As<CPrintProp>(0);
    layout->m_items = {0, 2, 5};
    for (int i = 0; i < 3; ++i) layout->m_itemProps.Append(std::make_unique<CPrintProp>());
    auto sort = std::make_unique<CVelumSortSet>();
    sort->m_keys.m_keys = {CVelumSort(2, 0), CVelumSort(5, 1)};
    f.m_sortSets.Append(std::move(sort));
    auto select = std::make_unique<CVelumSelectSet>();
    auto rec = std::make_unique<CVelumSelect>();
    rec->m_items = {2};
    select->m_records.Append(std::move(rec));
    f.m_selectSets.Append(std::move(select));
    auto form = std::make_unique<CFormSet>();
    CItemProperty formItem;
    formItem.m_linkSource = 5;
    form->m_records.push_back(formItem);
    f.m_formSets.Append(std::move(form));
  };
  struct Expect {
    std::int32_t type, linkSource, secondRef;
    std::vector<std::int32_t> printed;
    std::vector<CVelumSort> keys;  // empty: the sort set was dropped
    int selectRecords;
    std::int32_t formSource;
  };
  const std::pair<std::function<void()>, Expect> cases[] = {
      // The linked item moves to 5 with its references.
      {[&] { store.InsertEmptyItem(1); },
       {kItemLinked, 3, 6, {0, 3, 6}, {CVelumSort(3, 0), CVelumSort(6, 1)}, 1, 6}},
      // The source of the linked item goes: it becomes a standard item.
      {[&] { store.DeleteItem(2); }, {kItemStandard, -1, 4, {0, 4}, {CVelumSort(4, 1)}, 0, 4}},
      // A standard item keeps a source equal to the deleted item.
      {[&] { store.DeleteItem(5); }, {kItemLinked, 2, 0, {0, 2}, {CVelumSort(2, 0)}, 1, 5}},
      {[&] { store.SwapItems(2, 5); }, {kItemLinked, 5, 2, {0, 5, 2}, {CVelumSort(5, 0), CVelumSort(2, 1)}, 1, 2}},
  };
  const int linkedAt[] = {5, 3, 4, 4};
  int n = 0;
  for (const auto& [change, e] : cases) {
    setUp();
    change();
    const CItemProperty& p = store.Property(linkedAt[n]);
    const CVelumProperty& f = store.FileProperty();
    EXPECT_EQ(std::int32_t(p.m_type), e.type) << n;
    EXPECT_EQ(p.m_linkSource, e.linkSource) << n;
    EXPECT_EQ(p.m_secondRef, e.secondRef) << n;
    const auto* layout = f.m_printLayouts.As<CPrintProp>(0);
    EXPECT_EQ(layout->m_items, e.printed) << n;
    EXPECT_EQ(layout->m_itemProps.Size(), int(e.printed.size())) << n;
    ASSERT_EQ(f.m_sortSets.Size(), 1) << n;
    EXPECT_EQ(f.m_sortSets.As<CVelumSortSet>(0)->m_keys.m_keys, e.keys) << n;
    EXPECT_EQ(f.m_selectSets.As<CVelumSelectSet>(0)->m_records.Size(), e.selectRecords) << n;
    EXPECT_EQ(f.m_formSets.As<CFormSet>(0)->m_records[0].m_linkSource, e.formSource) << n;
    ++n;
  }
  // A sort set whose every key goes is dropped.
  setUp();
  store.DeleteItem(2);
  store.DeleteItem(4);
  EXPECT_EQ(store.FileProperty().m_sortSets.Size(), 0);
}

TEST(PropertyFile, FormulaAndDependencies) {
  struct Case {
    std::uint32_t type;
    const char16_t* formula;
    std::int32_t source;
    bool computed;
    bool dependsOn1;
  };
  const Case cases[] = {
      {kItemStandard, u"", 1, false, false}, {kItemStandard, u"%[a]", 0, true, true},
      {kItemChoice, u"", 1, false, false},   {kItemImage, u"", 0, false, true},
      {kItemLinked, u"", 1, true, true},     {kItemLinked, u"", 2, true, false},
  };
  for (const Case& c : cases) {
    CItemProperty p;
    p.m_type = c.type;
    p.m_formula = QString::fromUtf16(c.formula);
    p.m_linkSource = c.source;
    EXPECT_EQ(IsFormulaOrLinked(p), c.computed) << c.type;
    EXPECT_EQ(DependsOn(p, 1), c.dependsOn1) << c.type;
  }
}

TEST(PropertyFile, LinkedStores) {
  CTestWorld w;
  // a.csv's item 1 refers to b.csv, whose item 1 refers back to a.csv.
  w.WriteFile(u"a.csv"_s, "key,link\r\nk1,\r\n");
  w.WriteFile(u"b.csv"_s, Sjis(u"key,name\r\nk1,甲\r\n"_s));
  for (const auto& [file, target] : {std::pair{u"a"_s, u"b"_s}, std::pair{u"b"_s, u"a"_s}}) {
    CVelumProperty record = CVelumProperty::Defaults(*w.settings);
    CItemProperty item;
    item.m_type = kItemLinked;
    item.m_linkSource = 0;
    item.m_choices = {u"\u0001"_s, w.Path(target + u".csv"_s), u"key"_s};
    record.m_itemCopies.Append(CItemProperty().Clone());
    record.m_itemCopies.Append(item.Clone());
    w.WriteFile(file + u".vcv"_s, WritePropertyBytes(record));
  }
  CCardStore a(*w.services);
  ASSERT_EQ(a.Read(w.Path(u"a.csv"_s)), 1);
  const CCardStore& b = LinkedStore(a.Property(1), a);
  ASSERT_EQ(b.AllCount(), 1);
  EXPECT_EQ(b.AllCard(0)->Item(1).toString(), u"甲"_s);
  // Used again without reading: the same store, even when the file changed.
  w.WriteFile(u"b.csv"_s, Sjis(u"key,name\r\nk1,乙\r\nk2,丙\r\n"_s));
  EXPECT_EQ(&LinkedStore(a.Property(1), a), &b);
  EXPECT_EQ(b.AllCount(), 1);
  // b refers back to a: the chain ends with an empty store.
  const CCardStore& back = LinkedStore(b.Property(1), b);
  EXPECT_EQ(back.AllCount(), 0);
  EXPECT_LE(back.ItemCount(), 0);

  // A file that cannot be read gives an empty store; a new path is read.
  CItemProperty missing = a.Property(1);
  missing.m_choices[1] = w.Path(u"missing.csv"_s);
  EXPECT_EQ(LinkedStore(missing, a).AllCount(), 0);
  missing.m_choices[1] = w.Path(u"b.csv"_s);
  EXPECT_EQ(LinkedStore(missing, a).AllCount(), 2);
  // A file referring to itself.
  CItemProperty self = a.Property(1);
  self.m_choices[1] = w.Path(u"a.csv"_s);
  EXPECT_EQ(LinkedStore(self, a).AllCount(), 0);
  // A copy of a record starts without a store of its own.
  const CItemProperty copy = a.Property(1);
  EXPECT_EQ(copy.m_linked.Get(), nullptr);
  // Records that refer to the same unchanged file share one store; a
  // relative path names a file beside the card file.
  CItemProperty relative = a.Property(1);
  relative.m_choices[1] = u"b.csv"_s;
  EXPECT_EQ(&LinkedStore(relative, a), &LinkedStore(missing, a));
  // Only regular files within the limit are read; a file that is there but
  // cannot be read says why; one that is not there says nothing.
  ASSERT_TRUE(QFile::link(w.Path(u"loop.csv"_s), w.Path(u"loop.csv"_s)));
  QFile large(w.Path(u"large.csv"_s));
  ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(kMaxLinkedFile + 1));
  const std::vector<std::pair<QString, QString>> unread = {
      {u"/dev/zero"_s, input_msg::kNotRegular},
      {w.Path(u"."_s), input_msg::kNotRegular},
      {w.Path(u"loop.csv"_s), QString::fromLocal8Bit(std::strerror(ELOOP))},
      {w.Path(u"large.csv"_s), input_msg::kTooLarge.arg(kMaxLinkedFile >> 20)},
      {w.Path(u"absent.csv"_s), {}},
  };
  for (const auto& [path, reason] : unread) {
    w.prompt.ClearHistory();
    CItemProperty device = a.Property(1);
    device.m_choices[1] = path;
    EXPECT_EQ(LinkedStore(device, a).AllCount(), 0) << path;
    EXPECT_EQ(LinkedStore(device, a).AllCount(), 0) << path;  // said once
    EXPECT_EQ(w.prompt.Texts(), reason.isEmpty() ? QStringList() : QStringList{input_msg::kCannotRead.arg(path, reason)});
  }
}

TEST(PropertyFile, CliSetsPropertiesAndPrintsThem) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, Sjis(u"名前,区分\r\n山田,甲\r\n"_s));
  const QString csv = w.Path(u"a.csv"_s);
  const CCliRun run = RunCli({u"batch"_s, csv},
                             "prop 区分 choices 甲 乙 \"丙 丁\"\nprop 区分 type 選択肢\nprop #0 initial 未定\n"
                             "prop 名前 color #FF8000\nprop 名前 grouping on\nprop #1 formula \"%[名前]\"\nsave\n",
                             w.Path(u"s.reg"_s));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const CCliRun props = RunCli({u"props"_s, csv}, {}, w.Path(u"s.reg"_s));
  ASSERT_EQ(props.exitCode, 0) << props.err;
  const QJsonObject json = QJsonDocument::fromJson(props.out.toUtf8()).object();
  EXPECT_EQ(json[u"version"_s].toInt(), 700);
  const QJsonArray items = json[u"items"_s].toArray();
  ASSERT_EQ(items.size(), 2);
  const QJsonObject name = items[0].toObject(), kind = items[1].toObject();
  EXPECT_EQ(name[u"initialValue"_s].toString(), u"未定"_s);
  EXPECT_EQ(name[u"textColor"_s].toString(), u"#FF8000"_s);
  EXPECT_EQ(name[u"flags"_s].toInt(), 1);
  EXPECT_EQ(name[u"set"_s].toInt(), 1);
  EXPECT_EQ(kind[u"type"_s].toInt(), 1);
  EXPECT_EQ(kind[u"formula"_s].toString(), u"%[名前]"_s);
  EXPECT_EQ(kind[u"choices"_s].toArray(), (QJsonArray{u"甲"_s, u"乙"_s, u"丙 丁"_s}));
  EXPECT_EQ(json[u"printLayouts"_s].toArray().size(), 1);

  // A file reference blocks the choices until it is removed.
  const CCliRun linked = RunCli({u"batch"_s, csv},
                                "prop 区分 choices --file /x/b.csv key\nprop 区分 choices a b\n"
                                "prop 区分 choices --unlink\nprop 区分 choices c\nprop 区分 type 9\n",
                                w.Path(u"s.reg"_s));
  EXPECT_EQ(linked.exitCode, 2);
  EXPECT_TRUE(linked.err.contains(u"ファイル参照指定されています。ファイル参照を解除後、選択肢を指定してください"_s))
      << linked.err;
  EXPECT_TRUE(linked.err.contains(u"bad value for type"_s)) << linked.err;

  // A damaged file is printed as far as it was read, with the damage.
  QByteArray bytes = w.ReadFile(u"a.vcv"_s);
  bytes.chop(1);  // the record's last byte
  w.WriteFile(u"a.vcv"_s, bytes);
  const CCliRun damaged = RunCli({u"props"_s, w.Path(u"a.vcv"_s)}, {}, w.Path(u"s.reg"_s));
  EXPECT_EQ(damaged.exitCode, 1);
  const QJsonObject dj = QJsonDocument::fromJson(damaged.out.toUtf8()).object();
  EXPECT_EQ(dj[u"damaged"_s].toObject()[u"reason"_s].toString(), archive_msg::kTruncated);
  EXPECT_EQ(dj[u"items"_s].toArray().size(), 2);
}

// Opening and saving writes the property file exactly as it was read, the
// record alone, as other programs read it; a file of an earlier version, with
// the names of its items after the record, is read and written back without.
TEST(PropertyFile, SavingWritesTheStoredFormByteForByte) {
  CTestWorld w;
  const QString examples = qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/examples/"_s;
  QFile card(examples + u"住所録.csv"_s), props(examples + u"住所録.vcv"_s);
  ASSERT_TRUE(card.open(QIODevice::ReadOnly) && props.open(QIODevice::ReadOnly));
  const QByteArray cards = card.readAll(), stored = props.readAll();
  CVelumProperty record = CVelumProperty::Defaults(*w.settings);
  ASSERT_EQ(ReadInto(stored, &record), QString());
  QStringList names;
  {
    w.WriteFile(u"a.csv"_s, cards);
    CVelumDoc doc(*w.services);
    doc.OnOpenDocument(w.Path(u"a.csv"_s));
    for (int i = 0; i < doc.ItemCount(); ++i) names << doc.Store().Item(i).toString();
  }
  for (const QByteArray& before : {stored, WithItemNames(stored, names)}) {
    w.WriteFile(u"a.csv"_s, cards);
    w.WriteFile(u"a.vcv"_s, before);
    const CCliRun r = RunCli({u"recalc"_s, w.Path(u"a.csv"_s)}, {}, w.settings->Path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(w.ReadFile(u"a.vcv"_s).toHex(), stored.toHex()) << before.size();
  }
}

// A record goes only to the item it was written for. A formula column that
// another program replaced or renamed keeps the texts it now holds, and the
// user hears which settings were not applied; the file as it was stays as a
// backup beside the new one. Without a note of the names (the pair written
// elsewhere) a formula goes by position only when the item counts agree.
TEST(PropertyFile, AColumnChangedElsewhereKeepsItsTexts) {
  const QString header = u"品名,単価,数量,合計\r\n"_s;
  struct Case {
    const char* what;
    QString cards;  // the card file as another program left it
    bool noted;     // recalc with the settings that noted the save
    QString after;  // the card file after recalc
    QString told;   // a part of what the user is told; empty: nothing
  };
  const Case cases[] = {
      {"unchanged", header + u"りんご,100,3,\r\n"_s, true, header + u"りんご,100,3,300\r\n"_s, {}},
      {"replaced", u"品名,単価,数量,新\r\nりんご,100,3,メモ\r\n"_s, true, u"品名,単価,数量,新\r\nりんご,100,3,メモ\r\n"_s,
       u"「合計」の計算式"_s},
      {"renamed", u"品名,単価,数量,総計\r\nりんご,100,3,999\r\n"_s, true, u"品名,単価,数量,総計\r\nりんご,100,3,999\r\n"_s,
       u"「合計」の計算式"_s},
      {"inserted", u"品名,単価,数量,備考,合計\r\nりんご,100,4,済,\r\n"_s, true,
       u"品名,単価,数量,備考,合計\r\nりんご,100,4,済,400\r\n"_s, {}},
      {"elsewhere, same count", header + u"りんご,100,5,\r\n"_s, false, header + u"りんご,100,5,500\r\n"_s, {}},
      {"elsewhere, inserted", u"品名,単価,数量,備考,合計\r\nりんご,100,4,済,\r\n"_s, false,
       u"品名,単価,数量,備考,合計\r\nりんご,100,4,済,\r\n"_s, u"4番目の項目の計算式"_s},
  };
  for (const Case& c : cases) {
    CTestWorld w;
    w.WriteFile(u"a.csv"_s, Sjis(header + u"りんご,100,3,\r\n"_s));
    CCliRun r = RunCli({u"batch"_s, w.Path(u"a.csv"_s)}, "prop 合計 formula \"%[単価]*%[数量]\"\nsave\n",
                       w.settings->Path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(w.ReadFile(u"a.csv"_s), Sjis(header + u"りんご,100,3,300\r\n"_s));
    const QByteArray props = w.ReadFile(u"a.vcv"_s);
    w.WriteFile(u"a.csv"_s, Sjis(c.cards));
    r = RunCli({u"recalc"_s, w.Path(u"a.csv"_s)}, {}, c.noted ? w.settings->Path() : w.Path(u"other.reg"_s));
    EXPECT_EQ(r.exitCode, 0) << c.what << r.err.toStdString();
    EXPECT_EQ(w.ReadFile(u"a.csv"_s), Sjis(c.after)) << c.what;
    if (c.told.isEmpty()) {
      EXPECT_EQ(r.err, QString()) << c.what;
      EXPECT_FALSE(QFileInfo::exists(w.Path(u"a.vcv.bak"_s))) << c.what;
    } else {
      EXPECT_TRUE(r.err.contains(c.told)) << c.what << r.err.toStdString();
      EXPECT_TRUE(r.err.contains(u"a.vcv.bak"_s)) << c.what;
      EXPECT_EQ(w.ReadFile(u"a.vcv.bak"_s), props) << c.what;
    }
  }
}
