#include "core/property_notes.h"

#include "settings/settings_store.h"
#include "support/test_support.h"

#include <QFileInfo>
#include <QJsonArray>

using namespace Qt::StringLiterals;

// The settings note, for each property file written, the items its records
// were written for (found again by the file's bytes, wherever the pair now
// is) and the label lines chosen for it (found by its path); they hold a
// bounded number of files, the earliest noted forgotten first.
TEST(PropertyNotes, RecalledByBytesAndByPath) {
  CTestWorld w;
  CSettingsStore& s = *w.settings;
  const QStringList items{u"名前"_s, u"住所1"_s};
  const QJsonArray lines{QJsonArray{u"〒"_s, u"郵便番号"_s, u""_s, false}};
  ASSERT_TRUE(RememberPropertyFile(s, u"/d/a.vcv"_s, "AAAA", items, lines));

  struct Case {
    const char* what;
    QString path;
    QByteArray bytes;
    std::optional<QStringList> items;
    QJsonArray lines;
  };
  const Case cases[] = {
      {"as written", u"/d/a.vcv"_s, "AAAA", items, lines},
      {"copied elsewhere", u"/e/b.vcv"_s, "AAAA", items, lines},
      {"rewritten by another program", u"/d/a.vcv"_s, "BBBB", std::nullopt, lines},
      {"unknown", u"/e/b.vcv"_s, "BBBB", std::nullopt, {}},
  };
  for (const Case& c : cases) {
    const CPropertyNote note = RecallPropertyFile(s, c.path, c.bytes);
    EXPECT_EQ(note.items, c.items) << c.what;
    EXPECT_EQ(note.labelLines, c.lines) << c.what;
  }

  // Written again, a file keeps its slot and its newest note; lines cleared are gone.
  ASSERT_TRUE(RememberPropertyFile(s, u"/d/a.vcv"_s, "CCCC", {u"氏名"_s}, {}));
  EXPECT_EQ(RecallPropertyFile(s, u"/d/a.vcv"_s, "CCCC").items, QStringList{u"氏名"_s});
  EXPECT_TRUE(RecallPropertyFile(s, u"/d/a.vcv"_s, "CCCC").labelLines.isEmpty());
  EXPECT_EQ(RecallPropertyFile(s, u"/d/a.vcv"_s, "AAAA").items, std::nullopt);

  // Names too long to keep are not noted; the file is still told by its path.
  const QStringList longNames(200, QString(100, u'x'));
  ASSERT_TRUE(RememberPropertyFile(s, u"/d/long.vcv"_s, "LONG", longNames, lines));
  EXPECT_EQ(RecallPropertyFile(s, u"/d/long.vcv"_s, "LONG").items, std::nullopt);
  EXPECT_EQ(RecallPropertyFile(s, u"/d/long.vcv"_s, "LONG").labelLines, lines);

  // A slot damaged by hand is passed over.
  s.WriteProfileString(u"PropertyFiles"_s, u"5"_s, u"{not json"_s);
  EXPECT_EQ(RecallPropertyFile(s, u"/d/a.vcv"_s, "CCCC").items, QStringList{u"氏名"_s});

  // After as many other files as there are slots, the first is forgotten.
  for (int i = 0; i < kPropertyNoteSlots - 1; ++i)
    ASSERT_TRUE(RememberPropertyFile(s, u"/f/%1.vcv"_s.arg(i), QByteArray::number(i), items, {}));
  EXPECT_EQ(RecallPropertyFile(s, u"/f/0.vcv"_s, "0").items, items);
  EXPECT_EQ(RecallPropertyFile(s, u"/d/a.vcv"_s, "CCCC").items, std::nullopt);
  EXPECT_LT(QFileInfo(s.Path()).size(), 64 * 1024);
}
