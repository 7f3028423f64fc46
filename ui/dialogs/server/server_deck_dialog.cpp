#include "ui/dialogs/server/server_deck_dialog.h"

#include "server/deck_uri.h"
#include "server/server_deck.h"
#include "ui/widgets/dialog_buttons.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("サーバーのデッキを開く");
const QString kLocal = QStringLiteral("（空欄: このコンピューター）");
const QString kNoDecks = QStringLiteral("このデータベースにはまだデッキがありません。");
const QString kDecksFound = QStringLiteral("%1 個のデッキがあります。");
}  // namespace

CServerDeckDialog::CServerDeckDialog(const QString& uri, QWidget* parent) : QDialog(parent) {
  setWindowTitle(kTitle);
  CDeckUri start;
  QString error;
  if (!ParseDeckUri(uri, &start, &error)) start = {};
  auto* form = new QFormLayout;
  m_host = new QLineEdit(start.host);
  m_host->setPlaceholderText(kLocal);
  m_port = new QSpinBox;
  m_port->setRange(0, 65535);
  m_port->setSpecialValueText(QStringLiteral("5432"));
  m_port->setValue(start.port > 0 ? start.port : 0);
  m_database = new QLineEdit(start.database);
  m_user = new QLineEdit(start.user);
  m_password = new QLineEdit;
  m_password->setEchoMode(QLineEdit::Password);
  m_deck = new QComboBox;
  m_deck->setEditable(true);
  m_deck->setEditText(start.deck);
  m_host->setObjectName(QStringLiteral("host"));
  m_database->setObjectName(QStringLiteral("database"));
  m_user->setObjectName(QStringLiteral("user"));
  m_password->setObjectName(QStringLiteral("password"));
  m_deck->setObjectName(QStringLiteral("deck"));
  auto* list = new QPushButton(QStringLiteral("一覧(&L)"));
  // On a narrow screen every label stands above its field and 一覧 below the deck.
  const QWidget* owner = parent ? parent->window() : nullptr;
  const bool narrow = owner && owner->width() < 480;
  if (narrow)
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
  else  // wide enough for the server's hint
    m_host->setMinimumWidth(m_host->fontMetrics().horizontalAdvance(kLocal) + 24);
  auto* deckRow = new QHBoxLayout;
  deckRow->addWidget(m_deck, 1);
  if (!narrow) deckRow->addWidget(list);
  form->addRow(QStringLiteral("サーバー(&S):"), m_host);
  form->addRow(QStringLiteral("ポート(&P):"), m_port);
  form->addRow(QStringLiteral("データベース(&B):"), m_database);
  form->addRow(QStringLiteral("ユーザー(&U):"), m_user);
  form->addRow(QStringLiteral("パスワード(&W):"), m_password);
  form->addRow(QStringLiteral("デッキ(&D):"), deckRow);
  if (narrow) form->addRow(list);
  m_note = new QLabel;
  m_note->setWordWrap(true);
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addLayout(form);
  v->addWidget(m_note);
  ScrollingPageAboveButtons(this, page);
  connect(list, &QPushButton::clicked, this, &CServerDeckDialog::ListDecks);
  FitToOwner(this);
}

QString CServerDeckDialog::Uri() const { return Fields().ToString(); }

CDeckUri CServerDeckDialog::Fields() const {
  CDeckUri uri;
  const QString host = m_host->text().trimmed();
  uri.host = host;
  uri.port = m_port->value() > 0 ? m_port->value() : -1;
  uri.database = m_database->text().trimmed();
  uri.user = m_user->text().trimmed();
  uri.deck = m_deck->currentText();
  return uri;
}

QString CServerDeckDialog::Password() const { return m_password->text(); }

void CServerDeckDialog::ListDecks() {
  CDeckUri uri = Fields();
  QString error;
  uri.password = Password();
  QStringList names;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = ::ListDecks(uri, &names, &error);
  QApplication::restoreOverrideCursor();
  if (!ok) {
    m_note->setText(error.trimmed());
    return;
  }
  const QString typed = m_deck->currentText();
  m_deck->clear();
  m_deck->addItems(names);
  m_deck->setEditText(typed.isEmpty() && !names.isEmpty() ? names.first() : typed);
  m_note->setText(names.isEmpty() ? kNoDecks : kDecksFound.arg(names.size()));
}
