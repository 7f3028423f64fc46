#include "app/open_item.h"
#include "support/test_support.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kBad = u"項目名が無効 または項目内容がありません"_s;

}  // namespace

// What "open as a file" hands to the desktop for the text of item 1 (リンク) of
// a card whose 名前 is 山田 and whose 空 is empty.
TEST(OpenItem, Requests) {
  CTestWorld w;
  w.WriteFile(u"d.csv"_s, Sjis(u"名前,リンク,空\r\n山田,x,\r\n"_s));
  CVelumDoc doc(*w.services);
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"d.csv"_s)));
  const QString folder = QFileInfo(w.Path(u"d.csv"_s)).absolutePath() + u'/';
  const struct {
    QString text;
    QString file;
    QString parameters;
    QString message;
  } rows[] = {
      {u""_s, u""_s, u""_s, u""_s},
      {u"a.b@example.jp"_s, u"mailto:a.b@example.jp"_s, u""_s, u""_s},
      {u"a@example"_s, folder + u"a@example"_s, u""_s, u""_s},  // no dot after "@": a file name
      {u"memo\r\n.txt"_s, folder + u"memo.txt"_s, u""_s, u""_s},
      {u"/tmp/a b.txt"_s, u"/tmp/a b.txt"_s, u""_s, u""_s},
      {u"http://h/%[名前]"_s, u"http://h/山田"_s, u""_s, u""_s},
      {u"\"/bin/p\" -n %[名前]"_s, u"/bin/p"_s, u"-n 山田"_s, u""_s},
      {u"\"/bin/p\" -n %名前"_s, u"/bin/p"_s, u"-n 山田"_s, u""_s},
      {u"\"/bin/p\" %[空]"_s, u""_s, u""_s, kBad},
      {u"\"/bin/p\" %[無い]"_s, u""_s, u""_s, kBad},
      {u"\"/bin/p\" %空"_s, u""_s, u""_s, kBad},
      // The item's own text put in for "%[]" holds "%[]" again: put in once,
      // its "%" then names no item.
      {u"http://h %[]"_s, u""_s, u""_s, kBad},
      {u"http://h %[]%[]"_s, u""_s, u""_s, kBad},
  };
  for (const auto& r : rows) {
    doc.Store().SetItemText(0, 1, r.text);
    const COpenRequest request = BuildOpenRequest(doc, 1);
    EXPECT_EQ(request.file, r.file) << r.text;
    EXPECT_EQ(request.parameters, r.parameters) << r.text;
    EXPECT_EQ(request.message, r.message) << r.text;
  }
}
