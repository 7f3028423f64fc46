// Time of printing the generated deck (12 items, CP932):
//   print_bench labels [CARDS]   address labels to PDF (default 5,000 cards)
//   print_bench list [CARDS]     the list form to PDF (default 100,000 cards)
//   print_bench cards [CARDS]    the card form to PDF (default 20,000 cards)
//   print_bench pages [CARDS]    the list's page count alone, as a preview needs
//                                before it shows (default 100,000 cards)
// Prints the times of reading, laying out and writing, the pages, the PDF's
// size and the peak resident memory.
#include "card_file_generator.h"
#include "core/card_store.h"
#include "render/print_document.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2 || (std::strcmp(argv[1], "labels") && std::strcmp(argv[1], "list") && std::strcmp(argv[1], "pages") &&
                    std::strcmp(argv[1], "cards"))) {
    std::fprintf(stderr, "usage: print_bench labels|list|cards|pages [CARDS]\n");
    return 2;
  }
  const bool labels = !std::strcmp(argv[1], "labels");
  const bool cardForm = !std::strcmp(argv[1], "cards");
  const bool pagesOnly = !std::strcmp(argv[1], "pages");
  const int cards = argc > 2 ? std::atoi(argv[2]) : labels ? 5000 : cardForm ? 20000 : 100000;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  CBenchServices bench;
  const QString path = bench.GeneratedFile(cards);

  QElapsedTimer t;
  t.start();
  CCardStore store(bench.services);
  if (store.Read(path) != 1) {
    std::fprintf(stderr, "read failed\n");
    return 1;
  }
  const qint64 readMs = t.restart();

  CPrintRequest request;
  request.kind = labels ? PrintKind::kLabels : cardForm ? PrintKind::kCards : PrintKind::kList;
  for (int n = 0; n < store.VisibleCount(); ++n) request.cards.push_back(n);
  QStringList names;
  for (int i = 0; i < store.ItemCount(); ++i) names << store.Item(i).toString();
  request.items = PrintedItems(request.layout, store.ItemCount());
  request.labelLines = DefaultLabelLines(names);
  request.title = QFileInfo(path).fileName();
  CPrintDocument doc(store, request);
  const qint64 setupMs = t.restart();
  const int pages = doc.PageCount();
  const qint64 layoutMs = t.restart();
  qint64 writeMs = 0, size = 0;
  if (!pagesOnly) {
    const QString pdf = bench.dir.filePath(QStringLiteral("bench.pdf"));
    QString error;
    if (!WritePdf(doc, pdf, &error)) {
      std::fprintf(stderr, "%s\n", error.toUtf8().constData());
      return 1;
    }
    writeMs = t.restart();
    size = QFileInfo(pdf).size();
  }
  std::printf("%s, %d cards: read %lld ms, columns %lld ms, %d pages laid out in %lld ms", argv[1], cards,
              (long long)readMs, (long long)setupMs, pages, (long long)layoutMs);
  if (!pagesOnly) std::printf(", PDF written in %lld ms (%.1f MB)", (long long)writeMs, size / 1e6);
  std::printf("; peak resident %ld MiB\n", PeakRssKb() / 1024);
  return 0;
}
