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
