// Inputs of the window that no file reader sees, tried with random text: any
// bytes as a velum --script script (no crash, no hang, a refused line named by
// its number), and any text pasted as cards into the card view, the list and
// the item list (a deck that stays whole and saves and reads back unchanged).
#include "app/frame_command_table.h"
#include "core/card_row.h"
#include "core/card_store.h"
#include "support/ui_test_support.h"
#include "ui/views/item_list_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);
const QByteArray kCards =
    "氏名,住所,金額\r\n"
    "安藤,東京,100\r\n"
    "伊藤,\"大阪\r\n北区\",200\r\n"
    "上野,京都,300\r\n";

// Text that leans on what parsers trip over: quotes, separators, line ends,
// NUL, lone surrogates, bytes that are no UTF-8, long runs.
QByteArray RandomBytes(QRandomGenerator& random, int maxLength) {
  static const QByteArray kPieces[] = {"\"", ",", "\r\n", "\n", "\r", QByteArray(1, '\0'), "\t", " ", "\\",
                                       "\xe3\x81\x82", "\xff", "\xed\xa0\x80", "0x", "-1", "999999999999",
                                       "項目", "[", "]", "#", "&", "=", QByteArray(300, 'x')};
  QByteArray out;
  const int length = int(random.bounded(maxLength + 1));
  while (out.size() < length) {
    if (random.bounded(3) == 0)
      out += kPieces[random.bounded(int(std::size(kPieces)))];
    else
      out += char(random.bounded(32, 127));
  }
  return out;
}

// A script line: mostly the automation's own words with arguments that often
// make sense and sometimes do not, now and then plain noise.
QByteArray RandomLine(QRandomGenerator& random) {
  static const QByteArray kKeys[] = {"Enter", "Tab", "Down", "Up", "Ctrl+Z", "Ctrl+Y", "Ctrl+C", "Ctrl+V",
                                     "Delete", "F3", "Shift+F3", "Esc", "Ctrl+PageDown", "Alt+End", "Q"};
  static const QByteArray kBare[] = {"dialog", "close", "state", "menu", "toolbar", "layout", "list", "wait 1"};
  static const QByteArray kAnswers[] = {"ok", "cancel", "yes", "no", "maybe"};
  // Commands that leave the window alone: no exit, no file chooser of the desktop.
  static const std::uint32_t kCommands[] = {cmd::kNextCard, cmd::kPrevCard, cmd::kAddCard, cmd::kSort,
                                            cmd::kFilter,   cmd::kFind,     cmd::kCount,   cmd::kTotals,
                                            cmd::kUndoCommand, cmd::kRedoCommand, cmd::kListScreen,
                                            cmd::kCardScreen,  cmd::kCopyCard,    cmd::kPasteCard,
                                            cmd::kHideCard,    cmd::kReleaseFilter, cmd::kFindNext};
  auto pick = [&](const auto& table) { return table[random.bounded(int(std::size(table)))]; };
  const auto oneLine = [](QByteArray text) { return text.replace('\n', ' ').replace('\r', ' ').replace('\0', ' '); };
  switch (random.bounded(12)) {
    case 0:
      return RandomBytes(random, 60);
    case 1:
    case 2:
      return "cmd " + QByteArray::number(pick(kCommands));
    case 3:
    case 4:
      return "key " + pick(kKeys);
    case 5:
      return "type " + oneLine(RandomBytes(random, 20));
    case 6:
      return "focus card " + QByteArray::number(random.bounded(-1, 5));
    case 7:
      return "answer " + pick(kAnswers);
    case 8:
      return "header " + QByteArray::number(random.bounded(-1, 5));
    case 9:
      return QByteArray(random.bounded(2) ? "press " : "set ") + oneLine(RandomBytes(random, 10));
    default:
      return pick(kBare);
  }
}

}  // namespace

class CRandomInputTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void anyScriptEndsWithAnAnswerForEveryLine() {
    QRandomGenerator random(20261207);
    int whole = 0;  // scripts that ran to their end
    for (int run = 0; run < 30; ++run) {
      QByteArray script;
      const int lines = 1 + int(random.bounded(16));
      for (int i = 0; i < lines; ++i) script += RandomLine(random) + '\n';
      const QString cards = m_env.WriteCards(u"script-%1.csv"_s.arg(run), kCards);
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(u"VELUM_SETTINGS"_s, m_env.NewSettings());
      env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(QStringLiteral(VELUM_PATH), {u"--script"_s, u"-"_s, u"--screen"_s, u"800x600"_s, cards});
      p.write(script);
      p.closeWriteChannel();
      const bool ended = p.waitForFinished(20000);
      if (!ended) p.kill();
      const QString said = QString::fromUtf8(script).toHtmlEscaped();
      QVERIFY2(ended, qPrintable(u"hung on:\n"_s + said));
      QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(u"crashed on:\n"_s + said));
      QVERIFY2(p.exitCode() >= 0 && p.exitCode() <= 2, qPrintable(said));
      if (p.exitCode() != 0) {
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(u"line "_s), qPrintable(err + u"\n"_s + said));
      } else {
        ++whole;
      }
    }
    QVERIFY2(whole >= 3, qPrintable(QString::number(whole)));  // the words reach the window, not only the reader
  }

  void anyPastedTextKeepsTheDeckWhole() {
    const QString path = m_env.WriteCards(u"paste.csv"_s, kCards);
    CAppUnderTest t(path, m_env.NewSettings(), kWide);
    QVERIFY(t.started);
    CVelumDoc& doc = t.App().Doc();
    QRandomGenerator random(7);
    const std::uint32_t pastes[] = {cmd::kPasteCard, cmd::kAppendPaste};
    for (int i = 0; i < 150; ++i) {
      QGuiApplication::clipboard()->setText(QString::fromUtf8(RandomBytes(random, 400)));
      // By turns from the card view, the item list and the list.
      switch (i % 3) {
        case 0:
          QVERIFY(t.Window().Dispatch(cmd::kCardScreen));
          break;
        case 1:
          QVERIFY(t.Window().Dispatch(cmd::kCardScreen));
          t.Window().ItemList().FocusValueList();
          break;
        default:
          QVERIFY(t.Window().Dispatch(cmd::kListScreen));
          break;
      }
      t.Window().Dispatch(pastes[i % 2]);
      QVERIFY(doc.VisibleCount() >= 1);
      for (int c = 0; c < doc.Store().AllCount(); ++c)
        QCOMPARE(doc.Store().AllCard(c)->ItemCount(), doc.ItemCount());
    }
    // What was pasted is saved and read back as it was.
    const int cards = doc.Store().AllCount();
    QStringList texts;
    for (int c = 0; c < doc.VisibleCount(); ++c)
      for (int item = 0; item < doc.ItemCount(); ++item) texts << doc.Store().GetItemText(c, item).toString();
    QVERIFY(doc.Save());
    doc.OnOpenDocument(path);
    QCOMPARE(doc.Store().AllCount(), cards);
    QStringList read;
    for (int c = 0; c < doc.VisibleCount(); ++c)
      for (int item = 0; item < doc.ItemCount(); ++item) read << doc.Store().GetItemText(c, item).toString();
    QCOMPARE(read, texts);
  }

 private:
  CUiTestEnv m_env;
};

QTEST_MAIN(CRandomInputTest)
#include "random_input_test.moc"
