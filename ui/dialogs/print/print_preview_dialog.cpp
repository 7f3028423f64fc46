#include "ui/dialogs/print/print_preview_dialog.h"

#include "render/print_document.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

// A page drawn at the widget's size, with a shadow on the window's colour.
class CPrintPageView final : public QWidget {
 public:
  explicit CPrintPageView(QWidget* parent) : QWidget(parent) {}

  void Show(CPrintDocument* doc, int page) {
    m_doc = doc;
    m_page = page;
    update();
  }
  // The page size in pixels for a width, the paper's proportions kept.
  QSize PageSize(int width) const {
    const QSizeF paper = m_doc ? m_doc->PaperSize() : QSizeF(210, 297);
    return {width, int(width * paper.height() / paper.width())};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_doc) return;
    const QRect page = rect().adjusted(kMargin, kMargin, -kMargin - kShadow, -kMargin - kShadow);
    p.fillRect(page.translated(kShadow, kShadow), QColor(0, 0, 0, 90));
    p.fillRect(page, Qt::white);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(page.topLeft());
    const double scale = page.width() / (m_doc->PaperSize().width() * 10);
    p.scale(scale, scale);
    p.setClipRect(QRectF(0, 0, m_doc->PaperSize().width() * 10, m_doc->PaperSize().height() * 10));
    m_doc->PaintPage(p, m_page);
    // The label sheet's outlines, on the screen only: the sheets are cut already.
    if (m_doc->Request().kind == PrintKind::kLabels) {
      const CPrintPagination& pages = m_doc->Pagination();
      p.setPen(QPen(QColor(0, 0, 0, 60), 0, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      for (int position = 0; position < pages.Sheet().PerPage(); ++position) p.drawRect(pages.PositionRect(position));
    }
    p.restore();
  }

 public:
  static constexpr int kMargin = 8;
  static constexpr int kShadow = 3;

 private:
  CPrintDocument* m_doc = nullptr;
  int m_page = 0;
};

CPrintPreviewDialog::CPrintPreviewDialog(const QString& title, Build build, Settings settings, Print print,
                                         bool narrow, QWidget* parent)
    : QDialog(parent), m_build(std::move(build)) {
  setWindowTitle(title);
  m_prev = new QPushButton(narrow ? QStringLiteral("◀(&P)") : QStringLiteral("前のページ(&P)"), this);
  m_next = new QPushButton(narrow ? QStringLiteral("▶(&N)") : QStringLiteral("次のページ(&N)"), this);
  if (narrow)
    for (QPushButton* b : {m_prev, m_next}) b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 24);
  m_prev->setToolTip(QStringLiteral("前のページ"));
  m_next->setToolTip(QStringLiteral("次のページ"));
  m_pageText = new QLabel(this);
  m_pageText->setObjectName(QStringLiteral("page"));
  m_pageText->setAlignment(Qt::AlignCenter);
  m_zoom = new QComboBox(this);
  m_zoom->setObjectName(QStringLiteral("zoom"));
  m_zoom->addItems({QStringLiteral("ページ全体"), QStringLiteral("幅に合わせる")});
  auto* settingsButton = new QPushButton(QStringLiteral("設定(&S)..."), this);
  auto* printButton = new QPushButton(QStringLiteral("印刷(&R)..."), this);
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  close->setAutoDefault(false);
  for (QPushButton* b : {m_prev, m_next, settingsButton, printButton}) b->setAutoDefault(false);

  m_view = new CPrintPageView(this);
  m_scroll = new QScrollArea(this);
  m_scroll->setWidget(m_view);
  m_scroll->setAlignment(Qt::AlignHCenter);
  m_scroll->setBackgroundRole(QPalette::Dark);

  connect(m_prev, &QPushButton::clicked, this, [this] { GoTo(m_page - 1); });
  connect(m_next, &QPushButton::clicked, this, [this] { GoTo(m_page + 1); });
  connect(m_zoom, &QComboBox::currentIndexChanged, this, [this] { Fit(); });
  connect(settingsButton, &QPushButton::clicked, this, [this, settings] {
    if (settings(this)) Rebuild();
  });
  connect(printButton, &QPushButton::clicked, this, [this, print] { print(this); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* pages = new QHBoxLayout;
  pages->addWidget(m_prev);
  pages->addWidget(m_pageText, 1);
  pages->addWidget(m_next);
  auto* actions = new QHBoxLayout;
  actions->addWidget(m_zoom);
  actions->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(actions);
  if (narrow) {
    // A narrow screen takes the buttons in one more row.
    actions->addWidget(close);
    auto* more = new QHBoxLayout;
    more->addWidget(settingsButton);
    more->addWidget(printButton);
    layout->addLayout(more);
  } else {
    actions->addWidget(settingsButton);
    actions->addWidget(printButton);
    actions->addWidget(close);
  }
  layout->addLayout(pages);
  layout->addWidget(m_scroll, 1);
  resize(560, 720);
  Rebuild();
}

CPrintPreviewDialog::~CPrintPreviewDialog() = default;

void CPrintPreviewDialog::Rebuild() {
  m_view->Show(nullptr, 0);
  m_doc = m_build();
  m_count = 0;
  m_doc->LayOutTo(0);
  GoTo(0);
  // The count follows once the dialog is on the screen: laying out a long run
  // takes a moment, drawing its first page does not.
  QTimer::singleShot(0, this, &CPrintPreviewDialog::CountPages);
}

void CPrintPreviewDialog::CountPages() {
  if (!m_doc) return;
  m_count = m_doc->PageCount();
  GoTo(m_page);
}

void CPrintPreviewDialog::GoTo(int page) {
  if (!m_doc || page < 0 || (m_count > 0 && page >= m_count) || !m_doc->LayOutTo(page)) return;
  m_page = page;
  m_pageText->setText(m_count > 0 ? QStringLiteral("%1 / %2 ページ").arg(page + 1).arg(m_count)
                                  : QStringLiteral("%1 ページ").arg(page + 1));
  m_prev->setEnabled(page > 0);
  m_next->setEnabled(m_count == 0 || page + 1 < m_count);
  m_view->Show(m_doc.get(), page);
  m_scroll->verticalScrollBar()->setValue(0);
  Fit();
}

void CPrintPreviewDialog::Fit() {
  const QSize area = m_scroll->viewport()->size();
  const int frame = 2 * CPrintPageView::kMargin + CPrintPageView::kShadow;
  QSize page = m_view->PageSize(std::max(area.width() - frame, 40));
  // The whole page: as large as fits both ways.
  if (m_zoom->currentIndex() == 0 && page.height() > area.height() - frame)
    page = m_view->PageSize(std::max(int(double(area.height() - frame) * page.width() / page.height()), 40));
  m_view->setFixedSize(page + QSize(frame, frame));
}

void CPrintPreviewDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Fit();
}

void CPrintPreviewDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_PageDown:
      GoTo(m_page + 1);
      return;
    case Qt::Key_PageUp:
      GoTo(m_page - 1);
      return;
    case Qt::Key_Home:
      GoTo(0);
      return;
    case Qt::Key_End:
      if (m_count == 0) CountPages();
      GoTo(m_count - 1);
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
