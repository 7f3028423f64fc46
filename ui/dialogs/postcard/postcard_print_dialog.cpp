#include "ui/dialogs/postcard/postcard_print_dialog.h"

#include "render/postcard/postcard_document.h"
#include "ui/dialogs/postcard/postcard_card_view.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

CPostcardPrintDialog::CPostcardPrintDialog(Build build, Settings settings, Print print, bool narrow,
                                           QWidget* parent)
    : QDialog(parent), m_build(std::move(build)) {
  setWindowTitle(u"はがき宛名印刷"_s);
  m_prev = new QPushButton(narrow ? u"◀(&P)"_s : u"前のはがき(&P)"_s, this);
  m_next = new QPushButton(narrow ? u"▶(&N)"_s : u"次のはがき(&N)"_s, this);
  m_prev->setToolTip(u"前のはがき"_s);
  m_next->setToolTip(u"次のはがき"_s);
  m_pageText = new QLabel(this);
  m_pageText->setObjectName(u"page"_s);
  m_pageText->setAlignment(Qt::AlignCenter);
  m_problem = new QLabel(this);
  m_problem->setObjectName(u"problem"_s);
  m_problem->setWordWrap(true);
  m_problem->setStyleSheet(u"color: #b00000"_s);
  auto* settingsButton = new QPushButton(u"設定(&S)..."_s, this);
  auto* printButton = new QPushButton(u"印刷(&R)..."_s, this);
  auto* close = new QPushButton(u"閉じる"_s, this);
  for (QPushButton* b : {m_prev, m_next, settingsButton, printButton, close}) b->setAutoDefault(false);
  m_view = new CPostcardCardView(this);

  connect(m_prev, &QPushButton::clicked, this, [this] { GoTo(m_page - 1); });
  connect(m_next, &QPushButton::clicked, this, [this] { GoTo(m_page + 1); });
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
  actions->addWidget(settingsButton);
  actions->addWidget(printButton);
  actions->addStretch();
  actions->addWidget(close);
  // A narrow screen takes the buttons no wider than their texts.
  if (narrow) {
    actions->setSpacing(2);
    for (QPushButton* b : {m_prev, m_next, settingsButton, printButton, close})
      b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 16);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(actions);
  layout->addLayout(pages);
  layout->addWidget(m_view, 1);
  layout->addWidget(m_problem);
  resize(narrow ? QSize(240, 320) : QSize(420, 640));
  Rebuild();
}

CPostcardPrintDialog::~CPostcardPrintDialog() = default;

void CPostcardPrintDialog::Rebuild() {
  m_view->Show({});
  m_doc = m_build();
  GoTo(std::min(m_page, std::max(0, m_doc->PageCount() - 1)));
}

void CPostcardPrintDialog::GoTo(int page) {
  if (!m_doc || page < 0 || page >= m_doc->PageCount()) return;
  m_page = page;
  m_pageText->setText(u"%1 / %2 枚"_s.arg(page + 1).arg(m_doc->PageCount()));
  m_prev->setEnabled(page > 0);
  m_next->setEnabled(page + 1 < m_doc->PageCount());
  m_problem->setText(m_doc->Problems(page, page).join(u'\n'));
  m_problem->setVisible(!m_problem->text().isEmpty());
  CPostcardDocument* doc = m_doc.get();
  m_view->Show([doc, page](QPainter& p) { doc->PaintPage(p, page, true); });
}

void CPostcardPrintDialog::keyPressEvent(QKeyEvent* event) {
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
      if (m_doc) GoTo(m_doc->PageCount() - 1);
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
