#include "app/help_page.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

TEST(HelpPage, InstalledPageFirstThenTheSourceTree) {
  const QString source = QDir::cleanPath(qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/docs/velum.html"_s);
  QFile page(source);
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(html.contains(u"id=\"%1\""_s.arg(kHelpContentsAnchor)));
  EXPECT_TRUE(html.contains(u"<meta charset=\"UTF-8\">"_s));

  QTemporaryDir prefix;
  const QString bin = prefix.filePath(u"bin"_s);
  ASSERT_TRUE(QDir().mkpath(bin));
  EXPECT_EQ(HelpPagePath(bin), source);  // not installed: the source tree's page

  const QString docs = prefix.filePath(u"share/velum/docs"_s);
  ASSERT_TRUE(QDir().mkpath(docs));
  ASSERT_TRUE(QFile::copy(source, docs + u"/velum.html"_s));
  EXPECT_EQ(HelpPagePath(bin), QDir::cleanPath(docs + u"/velum.html"_s));
}

// Every dialog's section is on the page: a link to a missing anchor would
// open the page at its top, which says nothing about the dialog.
TEST(HelpPage, EveryDialogSectionIsOnThePage) {
  QFile page(QDir::cleanPath(qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/docs/velum.html"_s));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(page.readAll());
  const struct {
    QString title, anchor;
  } rows[] = {
      {u"新しいリスト"_s, u"newlist"_s},
      {u"カードの検索"_s, u"findfilter"_s},
      {u"絞り込み"_s, u"filter"_s},
      {u"複数キーソート（整列）"_s, u"sort"_s},
      {u"項目のプロパティ - 氏名"_s, u"properties"_s},
      {u"計算式エディタ"_s, u"formulas"_s},
      {u"印刷の設定"_s, u"printing"_s},
      {u"印刷"_s, u"printing"_s},
      {u"はがき宛名印刷"_s, u"labels"_s},
      {u"キーカスタマイズ"_s, u"keys"_s},
      {u"Velum"_s, QString(kHelpContentsAnchor.toString())},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(HelpAnchorForDialog(r.title), r.anchor) << r.title.toStdString();
    EXPECT_TRUE(html.contains(u"id=\"%1\""_s.arg(r.anchor))) << r.anchor.toStdString();
  }
  // The sections a newcomer looks for, each listed in the contents.
  for (const QString& anchor : {u"newlist"_s, u"fastentry"_s, u"findfilter"_s, u"totals"_s, u"printing"_s,
                                u"labels"_s, u"exchange"_s, u"sharing"_s})
    EXPECT_TRUE(html.contains(u"href=\"#%1\""_s.arg(anchor)) && html.contains(u"id=\"%1\""_s.arg(anchor)))
        << anchor.toStdString();
}
