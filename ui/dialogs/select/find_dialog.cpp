#include "ui/dialogs/select/find_dialog.h"

#include "core/velum_doc.h"
#include "records/search_request.h"
#include "select/find.h"
#include "select/select_commands.h"
#include "settings/settings.h"
#include "ui/views/card_view.h"
#include "ui/views/item_list_view.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CFindDialog::CFindDialog(const CCardStore& store, int currentItem, const QStringList& history, bool distinguishCase,
                         QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("カードの検索"));
  QVBoxLayout* layout = NewSearchControls(
      this, store, currentItem, [this] { return new QComboBox(this); }, &m_items, &m_word, &m_condition);
  m_word->addItems(history);
  m_word->setEditText(history.value(0));

  m_case = new QCheckBox(QStringLiteral("大文字小文字を区別する(&O)"), this);
  m_case->setChecked(distinguishCase);
  layout->addWidget(m_case);
  auto* content = new QWidget(this);
  content->setLayout(layout);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("検索開始")));
  // Ctrl+F, a word and Enter search: the word field has the cursor, the last
  // word selected so that typing replaces it, and every item is searched (a
  // name is found from whatever item the cursor was in); the current item
  // stays the list's current entry, and 全解除 narrows the search.
  m_items->selectAll();
  m_word->setFocus(Qt::OtherFocusReason);
  m_word->lineEdit()->selectAll();
}

std::vector<int> CFindDialog::Items() const { return ChosenRows(*m_items); }
QString CFindDialog::Word() const { return m_word->currentText(); }
int CFindDialog::Condition() const { return m_condition->currentIndex(); }
bool CFindDialog::DistinguishCase() const { return m_case->isChecked(); }
