// The window on one very large item: the start up to the card drawn, the list
// and the item list drawn, and one character typed into a long one-line item.
// Each case runs in a fresh process so that the peak memory is its own.
//
//   long_text_bench CASE [MB]
//     plain   one item of MB mebibytes of words on one line (default 8)
//     lines   the same with a line break every 80 characters
//     quote   an opening quote that is never closed, then MB of lines (default 12)
//     quotes  a file of MB of double quotes (default 20)
//     type    a 200,000-character one-line item: one keystroke stored
//     token   one item of 262,144 hexadecimal digits: no place to break a line
//     typetoken  the same of 200,000 digits: one keystroke stored
//
// Runs offscreen; prints the wall time and the peak resident set.
#include "app/frame_command_table.h"
#include "card_file_generator.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

QByteArray Words(qint64 bytes, int lineEvery) {
  static const char kWords[] = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do ";
  QByteArray out;
  out.reserve(bytes + bytes / 40);
  qint64 column = 0;
  while (out.size() < bytes) {
    for (const char* p = kWords; *p && out.size() < bytes; ++p) {
      out += *p;
      if (lineEvery > 0 && ++column % lineEvery == 0) out += "\r\n";
    }
  }
  return out;
}

QByteArray Hex(qint64 count) {
  QByteArray out(count, '0');
  for (qint64 i = 0; i < count; ++i) out[i] = "0123456789abcdef"[(i * 7919) % 16];
  return out;
}

QByteArray Deck(const QString& which, qint64 bytes) {
  if (which == u"plain") return "memo,name\r\n\"" + Words(bytes, 0) + "\",x\r\n";
  if (which == u"lines") return "memo,name\r\n\"" + Words(bytes, 80) + "\",x\r\n";
  if (which == u"quote") return "memo,name\r\nx,\"" + Words(bytes, 80);
  if (which == u"quotes") return QByteArray(bytes, '"');
  if (which == u"type") return "memo,name\r\n\"" + Words(200000, 0) + "\",x\r\n";
  if (which == u"token") return "memo,name\r\n" + Hex(262144) + ",x\r\n";
  if (which == u"typetoken") return "memo,name\r\n" + Hex(200000) + ",x\r\n";
  return {};
}

void Report(const char* what, double ms) {
  printf("%-40s %10.1f ms  peak %8.1f MB\n", what, ms, double(PeakRssKb()) / 1024.0);
  fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  if (argc < 2) {
    fputs("usage: long_text_bench plain|lines|quote|quotes|type|token|typetoken [MB]\n", stderr);
    return 2;
  }
  const QString which = QString::fromLatin1(argv[1]);
  const qint64 mb = argc > 2 ? atoll(argv[2]) : which == u"quote" ? 12 : which == u"quotes" ? 20 : 8;
  const QByteArray bytes = Deck(which, mb << 20);
  if (bytes.isEmpty()) return 2;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("long.csv"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return 1;
  file.close();
  Report("generated", 0);

  QString transcript;
  QTextStream out(&transcript);
  CVelumApp::Options options;
  options.file = path;
  options.settingsPath = dir.filePath(QStringLiteral("bench.reg"));
  options.screen = QSize(800, 600);
  options.script = &out;
  CVelumApp app(options);
  QElapsedTimer timer;
  timer.start();
  if (!app.Start()) return 1;
  CMainWindow window(app);
  window.Start();
  QApplication::processEvents();
  window.grab();
  Report("start to the card drawn", double(timer.nsecsElapsed()) / 1e6);

  if (which == u"type" || which == u"typetoken") {
    CCardView& view = window.CardView();
    view.FocusItem(0);
    auto* edit = qobject_cast<QPlainTextEdit*>(view.ItemControl(0));
    if (!edit) return 1;
    edit->moveCursor(QTextCursor::End);
    for (int i = 0; i < 5; ++i) {
      timer.restart();
      QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
      QApplication::sendEvent(edit, &release);
      QApplication::processEvents();
      edit->viewport()->grab();
      Report("one keystroke, drawn", double(timer.nsecsElapsed()) / 1e6);
    }
    timer.restart();
    view.StoreCard();
    QApplication::processEvents();
    Report("stored", double(timer.nsecsElapsed()) / 1e6);
  }

  timer.restart();
  window.Dispatch(cmd::kSwitchItemList);
  QApplication::processEvents();
  window.grab();
  Report("item list drawn", double(timer.nsecsElapsed()) / 1e6);
  window.Dispatch(cmd::kSwitchItemList);
  timer.restart();
  window.Dispatch(cmd::kSwitchList);
  QApplication::processEvents();
  window.grab();
  Report("list drawn", double(timer.nsecsElapsed()) / 1e6);
  app.Doc().SetModifiedFlag(false);
  printf("%s\n", qPrintable(transcript.left(300)));
  return 0;
}
