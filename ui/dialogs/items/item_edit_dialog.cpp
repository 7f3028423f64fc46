#include "ui/dialogs/items/item_edit_dialog.h"

#include "core/edit_messages.h"
#include "core/velum_doc.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/name_entry_dialog.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CItemEditDialog::CItemEditDialog(CVelumDoc& doc, int selected, QSize screen, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_editor(doc), m_screen(screen) {
  setWindowTitle(QStringLiteral("項目の編集"));
  m_names = new QListWidget(this);
  m_names->setObjectName(QStringLiteral("items"));
  auto* label = new QLabel(QStringLiteral("項目(&L):"), this);
  label->setBuddy(m_names);

  auto button = [this](const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* add = button(QStringLiteral("追加(&A)..."));
  QPushButton* insert = button(QStringLiteral("挿入(&I)..."));
  QPushButton* rename = button(QStringLiteral("変更(&N)..."));
  QPushButton* remove = button(QStringLiteral("削除(&D)..."));
  QPushButton* up = button(QStringLiteral("上へ(&U)"));
  QPushButton* down = button(QStringLiteral("下へ(&S)"));
  QPushButton* close = button(QStringLiteral("閉じる"));
  close->setDefault(true);

  connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(insert, &QPushButton::clicked, this, [this] { OnInsert(); });
  connect(rename, &QPushButton::clicked, this, [this] { OnRename(); });
  connect(remove, &QPushButton::clicked, this, [this] { OnDelete(); });
  connect(up, &QPushButton::clicked, this, [this] { Fill(m_editor.MoveUp(Selected())); });
  connect(down, &QPushButton::clicked, this, [this] { Fill(m_editor.MoveDown(Selected())); });
  // Changes are in the store already: closing, by this button or the window's, ends the dialog alike.
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_names, &QListWidget::itemDoubleClicked, this, [this] { OnRename(); });

  // Two columns of buttons beside the list keep the dialog narrow enough for a small screen.
  auto* grid = new QGridLayout;
  grid->addWidget(add, 0, 0);
  grid->addWidget(insert, 0, 1);
  grid->addWidget(rename, 1, 0);
  grid->addWidget(remove, 1, 1);
  grid->addWidget(up, 2, 0);
  grid->addWidget(down, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_names, 1);
  layout->addLayout(grid);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);
  layout->addLayout(bottom);

  // An item is always selected at first, as the list would select one when it takes the focus.
  Fill(selected >= 0 && selected < doc.ItemCount() ? selected : 0);
  FitToScreen(*this, m_screen);
}

int CItemEditDialog::Selected() const {
  const QListWidgetItem* item = m_names->currentItem();
  return item && item->isSelected() ? m_names->row(item) : -1;
}

void CItemEditDialog::Fill(int selected) {
  const CCardStore& store = m_doc.Store();
  m_names->clear();
  for (int i = 0; i < store.ItemCount(); ++i) m_names->addItem(store.Item(i).toString());
  if (selected >= 0 && selected < m_names->count()) {
    m_names->setCurrentRow(selected);
    m_names->scrollToItem(m_names->currentItem());
  } else {
    m_names->setCurrentRow(-1);
  }
}

bool CItemEditDialog::AskName(const QString& message, const QString& initial, QString* name) {
  CNameEntryDialog entry(message, initial, this);
  // Wide enough for the question on one line where the screen allows.
  const QFontMetrics metrics = entry.fontMetrics();
  FitToScreen(entry, m_screen, QSize(metrics.horizontalAdvance(message) + 4 * metrics.height(), 0));
  if (entry.exec() != QDialog::Accepted) return false;
  *name = entry.Name();
  return true;
}

void CItemEditDialog::OnAdd() {
  QString name;
  if (!AskName(edit_msg::kAddItemPrompt, {}, &name)) return;
  const int selected = Selected();
  Fill(m_editor.Add(name) ? m_doc.ItemCount() - 1 : selected);
}

void CItemEditDialog::OnInsert() {
  QString name;
  if (!AskName(edit_msg::kInsertItemPrompt, {}, &name)) return;
  const int selected = Selected();
  // The new item takes the place of the selected one (or the first place) and is selected.
  Fill(m_editor.Insert(selected, name) ? std::max(selected, 0) : selected);
}

void CItemEditDialog::OnRename() {
  const int selected = Selected();
  if (selected < 0) return;
  QString name;
  if (!AskName(edit_msg::kRenameItemPrompt, m_doc.Store().Item(selected).toString(), &name)) return;
  m_editor.Rename(selected, name);
  Fill(selected);
}

void CItemEditDialog::OnDelete() { Fill(m_editor.Delete(Selected())); }
