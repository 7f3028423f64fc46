// Ruled lines and frames as painted: a list page painted at 1 pixel per 0.1 mm
// and its pixels read along the rules.
#include "core/card_store.h"
#include "render/print_document.h"
#include "support/test_support.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

class PrintRulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "print_rules_test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: fonts need it.
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
  void SetUp() override {
    w.WriteFile(u"a.csv"_s, u"名前,メモ\r\n山田,一\r\n佐藤,二\r\n鈴木,三\r\n"_s.toUtf8());
    store = std::make_unique<CCardStore>(*w.services);
    ASSERT_EQ(store->Read(w.Path(u"a.csv"_s)), 1);
  }
  // Page 1 of the list with these rules, and the pagination it was painted from.
  QImage Paint(std::uint32_t keisen, std::uint32_t sotowaku, std::unique_ptr<CPrintDocument>* doc) {
    CPrintRequest r;
    r.cards = {0, 1, 2};
    r.items = {0, 1};
    r.layout.m_keisen = keisen;
    r.layout.m_sotowaku = sotowaku;
    *doc = std::make_unique<CPrintDocument>(*store, r);
    QImage image(2100, 2970, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    (*doc)->PaintPage(painter, 0);
    painter.end();
    return image;
  }
  // The share of dark pixels along a horizontal or vertical run.
  static double Dark(const QImage& image, QPointF from, QPointF to) {
    const int steps = int(std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())));
    int dark = 0;
    for (int k = 0; k < steps; ++k) {
      const QPointF p = from + (to - from) * (double(k) / steps);
      int darkest = 255;
      // A thin rule may fall between two pixels: the darkest of the two counts.
      for (int d = -1; d <= 1; ++d) {
        const QPoint q = from.y() == to.y() ? QPoint(int(p.x()), int(std::lround(p.y())) + d)
                                            : QPoint(int(std::lround(p.x())) + d, int(p.y()));
        darkest = std::min(darkest, qGray(image.pixel(q)));
      }
      if (darkest < 160) ++dark;
    }
    return double(dark) / steps;
  }
  CTestWorld w;
  std::unique_ptr<CCardStore> store;
};

TEST_F(PrintRulesTest, RuledLinesAndFramesFollowTheLayout) {
  struct Case {
    std::uint32_t keisen, sotowaku;
    double rowLow, rowHigh;      // dark share along a rule between two rows
    double frameLow, frameHigh;  // along the frame's left edge
    bool outerLine;              // a second line outside the frame (二重線)
  };
  const Case cases[] = {
      {kRuledSolid, kFrameThick, 0.95, 1, 0.95, 1, false},
      {kRuledDotted, kFrameSolid, 0.1, 0.9, 0.95, 1, false},
      {kRuledDashed, kFrameDashed, 0.2, 0.95, 0.2, 0.95, false},
      {kRuledNone, kFrameNone, 0, 0, 0, 0, false},
      {kRuledSolid, kFrameDouble, 0.95, 1, 0.95, 1, true},
      {kRuledSolid, kFrameDotted, 0.95, 1, 0.1, 0.9, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CPrintDocument> doc;
    const QImage image = Paint(c.keisen, c.sotowaku, &doc);
    const CPrintPagination& p = doc->Pagination();
    const auto rows = p.Blocks(0);
    ASSERT_EQ(rows.size(), 3u);
    const std::vector<double>& cols = p.ColumnEdges();
    const double y = rows[0].top + rows[0].height;
    const double row = Dark(image, QPointF(cols[0] + 20, y), QPointF(cols[1] - 20, y));
    EXPECT_GE(row, c.rowLow) << c.keisen << "/" << c.sotowaku;
    EXPECT_LE(row, c.rowHigh) << c.keisen << "/" << c.sotowaku;
    const double top = p.Body().top(), bottom = rows.back().top + rows.back().height;
    const double frame = Dark(image, QPointF(cols[0], top + 20), QPointF(cols[0], bottom - 20));
    EXPECT_GE(frame, c.frameLow) << c.keisen << "/" << c.sotowaku;
    EXPECT_LE(frame, c.frameHigh) << c.keisen << "/" << c.sotowaku;
    const double outside = Dark(image, QPointF(cols[0] - 6, top + 20), QPointF(cols[0] - 6, bottom - 20));
    EXPECT_EQ(outside > 0.9, c.outerLine) << c.keisen << "/" << c.sotowaku;
    // The heading is always set off from the rows, unless there are no rules at all.
    const double heading = top + p.HeadingHeight();
    EXPECT_EQ(Dark(image, QPointF(cols[0] + 20, heading), QPointF(cols[1] - 20, heading)) > 0.9,
              c.keisen != kRuledNone);
  }
}

}  // namespace
