#include "records/print_extras.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#include <QDir>

using namespace Qt::StringLiterals;

// The orientation and widths of a file's print layout live in the settings
// beside it: a round trip keeps names of any characters; values that name
// another path, or widths no paper holds, read as unset; clearing them
// leaves an empty value behind.
TEST(PrintExtras, KeptInTheSettingsByFile) {
  CTestWorld w;
  CSettingsStore settings(w.Path(u"velum.reg"_s));
  const QString deck = w.Path(u"a.csv"_s);
  EXPECT_FALSE(ReadPrintExtras(settings, deck).IsSet());

  CPrintExtras extras;
  extras.landscape = true;
  extras.widths.insert(u"金額"_s, 30);
  extras.widths.insert(u"a;b=c:d%"_s, 12.5);
  ASSERT_TRUE(WritePrintExtras(settings, deck, extras));
  EXPECT_EQ(ReadPrintExtras(CSettingsStore(w.Path(u"velum.reg"_s)), deck), extras);
  // The same file by another spelling of its path; another file; no file.
  EXPECT_EQ(ReadPrintExtras(settings, w.Path(u"sub/../a.csv"_s)), extras);
  EXPECT_FALSE(ReadPrintExtras(settings, w.Path(u"A.csv"_s)).IsSet());
  EXPECT_FALSE(ReadPrintExtras(settings, u""_s).IsSet());
  EXPECT_FALSE(WritePrintExtras(settings, u""_s, extras));

  ASSERT_TRUE(WritePrintExtras(settings, deck, {}));
  EXPECT_FALSE(ReadPrintExtras(settings, deck).IsSet());

  const struct {
    QString text;
    bool named;
    bool landscape;
    int widths;
  } texts[] = {
      {u"file=%2Fa.csv;landscape=1;width:x=0;width:y=-3;width:z=nan;width:w=501;width:v=20"_s, true, true, 1},
      {u"landscape=1"_s, false, true, 0},
      {u"file=%2Fa.csv;later=9;landscape=0"_s, true, false, 0},
      {u"garbage"_s, false, false, 0},
  };
  for (const auto& t : texts) {
    QString path;
    CPrintExtras read;
    EXPECT_EQ(ParsePrintExtras(t.text, &path, &read), t.named) << t.text.toStdString();
    EXPECT_EQ(read.landscape, t.landscape) << t.text.toStdString();
    if (t.named) EXPECT_EQ(read.widths.size(), t.widths) << t.text.toStdString();
  }
}
