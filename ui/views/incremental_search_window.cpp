#include "ui/views/incremental_search_window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

CIncrementalSearchWindow::CIncrementalSearchWindow(SearchRequest request, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::FramelessWindowHint), m_request(std::move(request)) {
  setWindowTitle(QStringLiteral("インクリメンタルサーチ"));
  connect(this, &QDialog::finished, this, &QObject::deleteLater);
  m_text = new QLineEdit(this);
  m_text->setObjectName(QStringLiteral("text"));
  auto* next = new QPushButton(QStringLiteral("次候補(&N)"), this);
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  for (QPushButton* b : {next, close}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 8);
    b->setMaximumWidth(b->sizeHint().width());
  }
  connect(m_text, &QLineEdit::textChanged, this, [this](const QString& text) { m_request(text, 0); });
  connect(next, &QPushButton::clicked, this, [this] { m_request(m_text->text(), 1); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  setFocusProxy(m_text);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(m_text, 1);
  layout->addWidget(next);
  layout->addWidget(close);
}

QString CIncrementalSearchWindow::Text() const { return m_text->text(); }

void CIncrementalSearchWindow::Append(const QString& text) {
  m_text->setText(m_text->text() + text);
  m_text->end(false);
}

void CIncrementalSearchWindow::PlaceOverBottom() {
  QWidget* main = parentWidget();
  if (!main) return;
  const QRect frame = main->geometry();
  const int height = sizeHint().height();
  setGeometry(frame.left(), frame.bottom() + 1 - height, frame.width(), height);
}
