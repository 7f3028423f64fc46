// The manual pages in docs/man/ against the programs' own usage texts: every
// command and option a program lists must be in its manual, so that a command
// added to a program without a word in its manual shows here.
#include "support/test_support.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString ReadManual(const QString& name) {
  QFile f(qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/docs/man/"_s + name);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A manual's text without roff's font changes and escapes.
QString PlainRoff(QString text) {
  text.remove(QRegularExpression(u"\\\\f[BIRP]"_s));
  text.replace(u"\\-"_s, u"-"_s).replace(u"\\e"_s, u"\\"_s);
  return text;
}

QSet<QString> Words(const QString& text) {
  QSet<QString> words;
  for (const QString& w : text.split(QRegularExpression(u"[\\s\"|\\[\\]]+"_s), Qt::SkipEmptyParts)) words.insert(w);
  return words;
}

// The words of the tag lines (the line after .TP), where a manual names its
// commands and options, without the macro names.
QSet<QString> TagWords(const QString& manual) {
  QSet<QString> words;
  const QStringList lines = manual.split(u'\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    if (lines[i - 1].trimmed() != u".TP") continue;
    words.unite(Words(PlainRoff(lines[i]).section(u' ', 1)));
  }
  return words;
}

// The commands a usage text lists: the first word of each line indented by
// two blanks (a description continued on its own line is indented further),
// and of each alternative after " | " on it.
QStringList CommandWords(const QString& usage) {
  QStringList words;
  for (const QString& line : usage.split(u'\n')) {
    if (!line.startsWith(u"  "_s) || line.startsWith(u"   "_s)) continue;
    for (const QString& part : line.trimmed().split(u" | "_s)) {
      const QString word = part.section(u' ', 0, 0);
      if (!word.isEmpty() && !word.startsWith(u'-')) words << word;
    }
  }
  return words;
}

QStringList OptionWords(const QString& usage) {
  QStringList words;
  for (const auto& m : QRegularExpression(u"(?<![\\w-])--?[a-z][a-z-]*"_s).globalMatch(usage)) words << m.captured();
  return words;
}

// Every command of the usage on a tag line of the manual, every option
// anywhere in it; answers what is missing.
QStringList Missing(const QString& usage, const QString& manual) {
  const QSet<QString> tags = TagWords(manual);
  const QSet<QString> all = Words(PlainRoff(manual));
  QStringList missing;
  for (const QString& w : CommandWords(usage))
    if (!tags.contains(w) && !missing.contains(w)) missing << w;
  for (const QString& w : OptionWords(usage))
    if (!all.contains(w) && !missing.contains(w)) missing << w;
  return missing;
}

}  // namespace

TEST(Manual, VelumCliNamesEveryCommandAndOption) {
  const QString manual = ReadManual(u"velum-cli.1"_s);
  ASSERT_FALSE(manual.isEmpty());
  for (const QStringList& args : {QStringList{u"--help"_s}, QStringList{u"batch"_s, u"--help"_s}}) {
    const CCliRun r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << args.join(u' ') << ": " << r.err;
    ASSERT_GT(CommandWords(r.out).size(), 10) << r.out;
    const QStringList missing = Missing(r.out, manual);
    EXPECT_TRUE(missing.isEmpty()) << "velum-cli " << args.join(u' ') << " lists " << missing.join(u", "_s)
                                   << "; docs/man/velum-cli.1 does not";
  }
}

#ifdef VELUM_PATH
TEST(Manual, VelumNamesEveryOption) {
  const QString manual = ReadManual(u"velum.1"_s);
  ASSERT_FALSE(manual.isEmpty());
  QProcess p;
  p.start(QStringLiteral(VELUM_PATH), {u"--help"_s});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString usage = QString::fromUtf8(p.readAllStandardOutput());
  ASSERT_EQ(p.exitCode(), 0) << usage << p.readAllStandardError().constData();
  ASSERT_TRUE(usage.contains(u"--script"_s)) << usage;
  const QStringList missing = Missing(usage, manual);
  EXPECT_TRUE(missing.isEmpty()) << "velum --help lists " << missing.join(u", "_s) << "; docs/man/velum.1 does not";
}
#endif
