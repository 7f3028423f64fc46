#include "core/messages.h"
#include "html/html_preview.h"
#include "html/html_settings.h"
#include "html/text_file.h"
#include "platform/file_io.h"
#include "platform/input_file.h"
#include "support/test_support.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

class HtmlPreview : public ::testing::Test {
 protected:
  // Items 氏名 and 住所, the cards as "a|b" words.
  void Open(const QStringList& cards) {
    QString text = u"氏名,住所\r\n"_s;
    for (const QString& c : cards) text += u'"' + c.split(u'|').join(u"\",\""_s) + u"\"\r\n"_s;
    w.WriteFile(u"f.csv"_s, Sjis(text));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"f.csv"_s)));
  }
  int Preview(int card, const QString& tmpl, const QString& out, CodePage page = CodePage::Cp932) {
    return MakePreview(doc.Store(), card, tmpl, out, page, w.prompt);
  }
  CCliRun Cli(const QStringList& args) { return RunCli(args, {}, w.Path(u"velum.reg"_s)); }
  CTestWorld w;
  CVelumDoc doc{*w.services};
};

CCardRow Card(const QStringList& texts) {
  CCardRow row;
  for (const QString& t : texts) row.AppendItem(t);
  return row;
}

const QString kStartTemplate =
    u"<html>\r\n<head>\r\n<title></title>\r\n</head>\r\n<body>\r\n"
    "<h3>氏名</h3>\r\n<p>\r\n%%1%%\r\n</p>\r\n"
    "<h3>住所</h3>\r\n<p>\r\n%%2%%\r\n</p>\r\n"
    "</body>\r\n</html>\r\n"_s;

}  // namespace

TEST(HtmlFill, PlaceholdersAreReplacedFromItemOneUp) {
  QStringList eleven;
  for (int i = 1; i <= 11; ++i) eleven << u"v%1"_s.arg(i);
  const std::tuple<QStringList, QString, QString> cases[] = {
      {eleven, u"%%1%%,%%10%%,%%11%%,%%12%%\r\n"_s, u"v1,v10,v11,%%12%%\r\n"_s},
      {{u"a"_s}, u"%%1%%%%1%%%1%%%%\n"_s, u"aa%1%%%%\n"_s},
      {{u"一\r\n二"_s, u"<b>x</b>"_s}, u"<p>%%1%%</p>%%2%%"_s, u"<p>一<br>二</p><b>x</b>"_s},
      // An earlier item's text brings in a later placeholder, which is replaced too.
      {{u"%%2%%"_s, u"B"_s}, u"[%%1%%]"_s, u"[B]"_s},
      {{u"x"_s}, u"no placeholder 100%\n"_s, u"no placeholder 100%\n"_s},
  };
  for (const auto& [texts, line, filled] : cases) EXPECT_EQ(FillLine(line, Card(texts)), filled) << line;
}

TEST_F(HtmlPreview, TheStartingTemplateHasFifteenLines) {
  Open({u"山田|東京"_s});
  EXPECT_EQ(StartTemplateText(doc.Store()), kStartTemplate);
  const QString path = w.Path(u"t.html"_s);
  ASSERT_EQ(CreateStartTemplate(doc, path), 1);
  EXPECT_EQ(w.ReadFile(u"t.html"_s), Sjis(kStartTemplate));

  const QString bad = w.Path(u"none/t.html"_s);
  EXPECT_EQ(CreateStartTemplate(doc, bad), 0);
  EXPECT_EQ(w.prompt.Texts(), QStringList{html_msg::kCannotOpenTemplate + bad + u": No such file or directory"_s});
}

TEST_F(HtmlPreview, Utf8AndCp932TemplatesGiveTheSamePreview) {
  Open({u"山田|東京都\r\n港区"_s, u"佐藤|大阪"_s});
  const QString tmpl = u"<title>%%1%%様</title>\r\n<p>%%2%%</p>\n"_s;
  w.WriteFile(u"sjis.html"_s, Sjis(tmpl));
  w.WriteFile(u"utf8.html"_s, tmpl.toUtf8());
  w.WriteFile(u"bom.html"_s, "\xEF\xBB\xBF" + tmpl.toUtf8());
  const QByteArray expected = Sjis(u"<title>山田様</title>\r\n<p>東京都<br>港区</p>\n"_s);
  for (const QString name : {u"sjis.html"_s, u"utf8.html"_s, u"bom.html"_s}) {
    ASSERT_EQ(Preview(0, w.Path(name), w.Path(u"p.html"_s)), 1) << name;
    EXPECT_EQ(w.ReadFile(u"p.html"_s), expected) << name;
  }
  ASSERT_EQ(Preview(1, w.Path(u"utf8.html"_s), w.Path(u"p.html"_s), CodePage::Utf8), 1);
  EXPECT_EQ(w.ReadFile(u"p.html"_s), u"<title>佐藤様</title>\r\n<p>大阪</p>\n"_s.toUtf8());
  EXPECT_TRUE(w.prompt.Texts().isEmpty());

  // A missing template writes nothing; an unwritable preview answers 0 too.
  EXPECT_EQ(Preview(0, w.Path(u"missing.html"_s), w.Path(u"q.html"_s)), 0);
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"q.html"_s)));
  EXPECT_EQ(Preview(0, w.Path(u"utf8.html"_s), w.Path(u"no/q.html"_s)), 0);
}

// Item texts that bring in the next placeholder twice double the page with
// every item: past the limit nothing is written and a message says why. A
// template that is no regular file is not read.
TEST_F(HtmlPreview, PreviewsStopAtTheLimit) {
  constexpr int kItems = 26;
  QStringList names, texts;
  for (int i = 1; i <= kItems; ++i) {
    names << u"i%1"_s.arg(i);
    texts << (i < kItems ? Placeholder(i + 1) + Placeholder(i + 1) : u"x"_s);
  }
  w.WriteFile(u"g.csv"_s, (names.join(u',') + u"\r\n"_s + texts.join(u',') + u"\r\n"_s).toLatin1());
  ASSERT_TRUE(doc.OnOpenDocument(w.Path(u"g.csv"_s)));
  w.WriteFile(u"t.html"_s, "<p>%%1%%</p>\r\n");
  EXPECT_EQ(Preview(0, w.Path(u"t.html"_s), w.Path(u"p.html"_s)), -1);
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"p.html"_s)));
  EXPECT_EQ(w.prompt.Texts(), QStringList{html_msg::kPreviewTooLarge.arg(16)});
  EXPECT_EQ(Preview(0, u"/dev/zero"_s, w.Path(u"p.html"_s)), 0);
}

TEST_F(HtmlPreview, EachCardFileKeepsItsTemplateAndAllShareThePreview) {
  CSettingsStore& s = *w.settings;
  const CHtmlSettings none = CHtmlSettings::Read(s, w.Path(u"a.csv"_s));
  EXPECT_TRUE(none.templatePath.isEmpty());
  EXPECT_EQ(none.EffectiveTemplate(), PrivateFolderPath() + u"/velumtemplate.html"_s);
  EXPECT_EQ(none.EffectivePreview(), PrivateFolderPath() + u"/velumpreview.html"_s);

  // A new, unsaved document (no path) has a template of its own too.
  const std::pair<QString, QString> templates[] = {
      {w.Path(u"a.csv"_s), w.Path(u"a.html"_s)}, {w.Path(u"b.csv"_s), w.Path(u"b.html"_s)}, {{}, w.Path(u"new.html"_s)}};
  for (const auto& [card, tmpl] : templates) CHtmlSettings::Write(s, card, tmpl, w.Path(u"p.html"_s));
  for (const auto& [card, tmpl] : templates) EXPECT_EQ(CHtmlSettings::Read(s, card).EffectiveTemplate(), tmpl) << card;
  EXPECT_EQ(CHtmlSettings::Read(s, w.Path(u"c.csv"_s)).EffectivePreview(), w.Path(u"p.html"_s));
}

TEST_F(HtmlPreview, ShowInBrowserHandsThePreviewToTheShell) {
  Open({u"山田|東京"_s, u"佐藤|大阪"_s});
  const QString card = QFileInfo(w.Path(u"f.csv"_s)).absoluteFilePath();
  CHtmlSettings::Write(*w.settings, card, w.Path(u"t.html"_s), w.Path(u"p.html"_s));
  EXPECT_FALSE(ShowInBrowser(doc));
  EXPECT_EQ(w.prompt.Texts(), QStringList{html_msg::kNeedTemplate});
  EXPECT_TRUE(w.shell.Opened().isEmpty());

  w.WriteFile(u"t.html"_s, "%%1%%:%%2%%");
  doc.MakeCurrent(1);
  EXPECT_TRUE(ShowInBrowser(doc));
  EXPECT_EQ(w.shell.Opened(), QStringList{w.Path(u"p.html"_s)});
  EXPECT_EQ(w.ReadFile(u"p.html"_s), Sjis(u"佐藤:大阪"_s));

  // A text the code page lacks, declined: no preview, no second message.
  doc.Store().SetItemText(1, 0, u"😀"_s);
  w.prompt.ClearHistory();
  w.prompt.QueueAnswer(false);
  EXPECT_FALSE(ShowInBrowser(doc));
  EXPECT_EQ(w.prompt.Texts().size(), 1);
  EXPECT_EQ(w.shell.Opened().size(), 1);
}

TEST_F(HtmlPreview, CliWritesPreviewsAndTemplates) {
  Open({u"山田|東京"_s, u"佐藤|大阪"_s});
  const QString csv = w.Path(u"f.csv"_s), tmpl = w.Path(u"t.html"_s);
  CCliRun r = Cli({u"template"_s, csv, u"-o"_s, tmpl});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(w.ReadFile(u"t.html"_s), Sjis(kStartTemplate));

  r = Cli({u"html"_s, csv, u"-t"_s, tmpl, u"-o"_s, w.Path(u"one.html"_s), u"--card"_s, u"1"_s});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(w.ReadFile(u"one.html"_s).contains(Sjis(u"<p>\r\n大阪\r\n</p>"_s)));

  r = Cli({u"html"_s, csv, u"--all"_s, u"-t"_s, tmpl, u"-o"_s, w.Path(u"all"_s)});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(QDir(w.Path(u"all"_s)).entryList(QDir::Files), (QStringList{u"card-0.html"_s, u"card-1.html"_s}));
  EXPECT_TRUE(w.ReadFile(u"all/card-0.html"_s).contains(Sjis(u"山田"_s)));

  // A template that cannot be read is named with the reason, a FIFO without
  // waiting for a writer; a preview never replaces its own template.
  const QString out = w.Path(u"x.html"_s), fifo = w.Path(u"fifo"_s), link = w.Path(u"link.html"_s);
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(tmpl, link));
  const std::tuple<QStringList, int, QString> failures[] = {
      {{u"html"_s, csv, u"-t"_s, w.Path(u"missing.html"_s), u"-o"_s, out}, 1, w.Path(u"missing.html: "_s)},
      {{u"html"_s, csv, u"-t"_s, fifo, u"-o"_s, out}, 1, fifo + u": "_s + input_msg::kNotRegular},
      {{u"html"_s, csv, u"-t"_s, tmpl, u"-o"_s, tmpl}, 1, tmpl + u": "_s + html_msg::kPreviewIsTemplate},
      {{u"html"_s, csv, u"-t"_s, tmpl, u"-o"_s, link}, 1, html_msg::kPreviewIsTemplate},
      {{u"html"_s, csv, u"-t"_s, tmpl, u"-o"_s, out, u"--card"_s, u"2"_s}, 1, u"no card 2"_s},
      {{u"html"_s, csv, u"-t"_s, tmpl}, 2, u"usage"_s},
      {{u"template"_s, csv}, 2, u"usage"_s},
  };
  for (const auto& [args, code, why] : failures) {
    const CCliRun failed = Cli(args);
    EXPECT_EQ(failed.exitCode, code) << args.join(u' ');
    EXPECT_TRUE(failed.err.contains(why)) << failed.err;
  }
  EXPECT_FALSE(QFileInfo::exists(w.Path(u"x.html"_s)));
  EXPECT_EQ(w.ReadFile(u"t.html"_s), Sjis(kStartTemplate));
}

// The preview and the default template stand in a folder only this user may
// enter, and nothing is written there through a link: another user cannot
// make a run of the program overwrite a file of their choosing.
TEST_F(HtmlPreview, ThePreviewStaysInAPrivateFolder) {
  const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
  QDir(w.Path({})).mkdir(u"run"_s);
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(w.Path(u"run"_s)));
  const QString folder = w.Path(u"run/velum"_s);
  auto mode = [](const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  Open({u"山田|東京"_s});
  const CHtmlSettings html = CHtmlSettings::Read(*w.settings, doc.PathName());
  EXPECT_EQ(html.EffectivePreview(), folder + u"/velumpreview.html"_s);

  ASSERT_EQ(CreateStartTemplate(doc, html.EffectiveTemplate()), 1);
  ASSERT_TRUE(ShowInBrowser(doc));
  EXPECT_EQ(mode(folder), 0700u);
  EXPECT_EQ(w.shell.Opened(), QStringList{html.EffectivePreview()});

  // A link planted where the preview goes is refused; its target stays.
  w.WriteFile(u"victim"_s, "keep");
  QFile::remove(html.EffectivePreview());
  ASSERT_TRUE(QFile::link(w.Path(u"victim"_s), html.EffectivePreview()));
  w.prompt.ClearHistory();
  EXPECT_FALSE(ShowInBrowser(doc));
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kCannotWrite + msg::kReasonSeparator + html.EffectivePreview() +
                                          u": "_s + file_msg::kIsLink});
  EXPECT_EQ(w.ReadFile(u"victim"_s), "keep");

  // A folder that lets others in is closed; a folder that is a link is refused.
  QFile::remove(html.EffectivePreview());
  ::chmod(QFile::encodeName(folder).constData(), 0777);
  EXPECT_TRUE(ShowInBrowser(doc));
  EXPECT_EQ(mode(folder), 0700u);
  ASSERT_TRUE(QDir(folder).removeRecursively());
  w.WriteFile(u"t.html"_s, "%%1%%");
  CHtmlSettings::Write(*w.settings, doc.PathName(), w.Path(u"t.html"_s), QString());
  QDir(w.Path({})).mkdir(u"elsewhere"_s);
  ASSERT_TRUE(QFile::link(w.Path(u"elsewhere"_s), folder));
  w.prompt.ClearHistory();
  EXPECT_FALSE(ShowInBrowser(doc));
  EXPECT_EQ(w.prompt.Texts(), QStringList{msg::kCannotWrite + msg::kReasonSeparator + folder + u": "_s + file_msg::kIsLink});
  EXPECT_TRUE(QDir(w.Path(u"elsewhere"_s)).isEmpty());

  qputenv("XDG_RUNTIME_DIR", savedRuntime);
  if (savedRuntime.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
}
