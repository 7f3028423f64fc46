// Time of printing the generated deck (12 items, CP932: 氏名, 郵便番号, 住所
// among them) as New Year postcards to PDF, one card a page:
//   postcard_bench [CARDS]   (default 1,000 cards)
// Prints the times of reading, laying out every card (HarfBuzz measuring
// the vertical text) and writing the PDF with its text maps, the PDF's size
// and the peak resident memory.
#include "card_file_generator.h"
#include "core/card_store.h"
#include "render/postcard/postcard_document.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <numeric>

int main(int argc, char** argv) {
  const int cards = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (cards < 1) {
    std::fprintf(stderr, "usage: postcard_bench [CARDS]\n");
    return 2;
  }
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
  std::vector<int> order(std::size_t(store.VisibleCount()));
  std::iota(order.begin(), order.end(), 0);
  CPostcardSettings settings;
  settings.sender = true;
  settings.senderName = QStringLiteral("差出 人子");
  settings.senderAddress1 = QStringLiteral("大阪府大阪市北区梅田3-1-1");
  settings.senderCode = QStringLiteral("530-0001");
  CPostcardDocument doc(store, order, settings);
  std::size_t columns = 0;
  for (int page = 0; page < doc.PageCount(); ++page) columns += doc.Layout(page).columns.size();
  const qint64 layoutMs = t.restart();
  const QString pdf = bench.dir.filePath(QStringLiteral("postcards.pdf"));
  QString error;
  if (!WritePostcardPdf(doc, pdf, &error)) {
    std::fprintf(stderr, "%s\n", error.toUtf8().constData());
    return 1;
  }
  const qint64 writeMs = t.restart();
  std::printf("postcards, %d cards: read %lld ms, %zu columns laid out in %lld ms, PDF written in %lld ms "
              "(%.1f MB); peak resident %ld MiB\n",
              cards, (long long)readMs, columns, (long long)layoutMs, (long long)writeMs,
              QFileInfo(pdf).size() / 1e6, PeakRssKb() / 1024);
  return 0;
}
