#include "core/save_form.h"

#include "core/card_line.h"
#include "core/card_store.h"
#include "core/messages.h"
#include "core/velum_doc.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

// A new document is written as UTF-8 with a byte-order mark, CR LF and the
// Microsoft-CSV form, unless the settings say otherwise: System/CodePage
// forces its code page, System/NewFileForm 0 the own form, and a reader that
// does not join lines (MsCsvIn 0) keeps the own form, which it reads back.
// A file read with neither form's mark takes the same form.
TEST(SaveForm, NewFilesTakeTheFormTheSettingsGive) {
  struct Case {
    const char* what;
    int codePage = 0;  // System/CodePage, 0: not set
    int newFileForm = -1;
    int msCsvIn = -1;
    CSaveForm form;
    QByteArray written;
  };
  const QByteArray bom = "\xEF\xBB\xBF";
  const QString text = u"一行目\r\n二行目, \"引用\""_s;
  const std::vector<Case> cases = {
      {"default", 0, -1, -1, {{CodePage::Utf8, true}, LineEnd::kCrLf, true},
       bom + u"名前,メモ\r\n山田,\"一行目\n二行目, \"\"引用\"\"\"\r\n"_s.toUtf8()},
      {"CP932 for good", 932, -1, -1, {{CodePage::Cp932, false}, LineEnd::kCrLf, true},
       Sjis(u"名前,メモ\r\n山田,\"一行目\n二行目, \"\"引用\"\"\"\r\n"_s)},
      {"UTF-8 for good", 65001, -1, -1, {{CodePage::Utf8, false}, LineEnd::kCrLf, true},
       u"名前,メモ\r\n山田,\"一行目\n二行目, \"\"引用\"\"\"\r\n"_s.toUtf8()},
      {"own form chosen", 0, 0, -1, {{CodePage::Utf8, true}, LineEnd::kCrLf, false},
       bom + u"名前,メモ\r\n山田,一行目\x01\x02二行目\x04 \x03\x03引用\x03\x03\r\n"_s.toUtf8()},
      {"lines not joined", 0, 1, 0, {{CodePage::Utf8, true}, LineEnd::kCrLf, false},
       bom + u"名前,メモ\r\n山田,一行目\x01\x02二行目\x04 \x03\x03引用\x03\x03\r\n"_s.toUtf8()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTestWorld w;
    if (c.codePage) WriteSetting(*w.settings, settings::kCodePage, std::uint32_t(c.codePage));
    if (c.newFileForm >= 0) WriteSetting(*w.settings, settings::kNewFileForm, std::uint32_t(c.newFileForm));
    if (c.msCsvIn >= 0) WriteSetting(*w.settings, settings::kMsCsvIn, std::uint32_t(c.msCsvIn));
    CVelumDoc doc(*w.services);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(SaveFormOf(doc.Store()), c.form);
    CItemNameRow names;
    ParseLine(names, u"名前,メモ"_s);
    doc.Store().SetItemNames(names, true);
    doc.Store().SetItemText(0, 0, u"山田"_s);
    doc.Store().SetItemText(0, 1, text);
    ASSERT_TRUE(doc.SaveAs(w.Path(u"new.csv"_s)));
    EXPECT_EQ(w.ReadFile(u"new.csv"_s), c.written);

    // Read back: the same texts, and the file keeps its form.
    CVelumDoc back(*w.services);
    ASSERT_TRUE(back.OnOpenDocument(w.Path(u"new.csv"_s)));
    EXPECT_EQ(back.Store().AllCard(0)->Item(1).toString(), text);
    EXPECT_EQ(SaveFormOf(back.Store()), c.form);

    // A file that shows neither form takes the new file's form.
    w.WriteFile(u"plain.csv"_s, "a,b\r\n1,2\r\n");
    ASSERT_TRUE(back.OnOpenDocument(w.Path(u"plain.csv"_s)));
    EXPECT_EQ(back.Store().MultiLine(), c.form.multiLine);
  }
}

// 名前を付けて保存 in a form: the file is written in it and the document keeps
// it; a save that fails leaves the document's form as it was.
TEST(SaveForm, SaveAsInAFormKeepsItOnlyWhenSaved) {
  CTestWorld w;
  w.WriteFile(u"a.csv"_s, Sjis(u"名前,メモ\n山田,\"一\n二\"\n"_s));
  CVelumDoc doc(*w.services);
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"a.csv"_s)));
  const CSaveForm read{{CodePage::Cp932, false}, LineEnd::kLf, true};
  ASSERT_EQ(SaveFormOf(doc.Store()), read);

  const CSaveForm other{{CodePage::Utf8, false}, LineEnd::kCrLf, false};
  EXPECT_FALSE(SaveAsInForm(doc, w.Path(u"no/such/b.csv"_s), other));
  EXPECT_EQ(SaveFormOf(doc.Store()), read);

  ASSERT_TRUE(SaveAsInForm(doc, w.Path(u"b.csv"_s), other));
  EXPECT_EQ(w.ReadFile(u"b.csv"_s), u"名前,メモ\r\n山田,\"一\x01\x02二\"\r\n"_s.toUtf8());
  EXPECT_EQ(SaveFormOf(doc.Store()), other);
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(w.ReadFile(u"b.csv"_s), u"名前,メモ\r\n山田,\"一\x01\x02二\"\r\n"_s.toUtf8());

  // A line end chosen for a file of mixed ends: no word about them.
  w.WriteFile(u"m.csv"_s, "a,b\r\nc,d\ne,f\n");
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"m.csv"_s)));
  CSaveForm form = SaveFormOf(doc.Store());
  EXPECT_EQ(form.lineEnd, LineEnd::kLf);
  form.lineEnd = LineEnd::kCrLf;
  w.prompt.ClearHistory();
  ASSERT_TRUE(SaveAsInForm(doc, w.Path(u"m2.csv"_s), form));
  EXPECT_EQ(w.ReadFile(u"m2.csv"_s), "a,b\r\nc,d\r\ne,f\r\n");
  EXPECT_TRUE(w.prompt.Texts().isEmpty());
}
