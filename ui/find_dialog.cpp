#include "ui/find_dialog.h"

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "select/find.h"
#include "select/search_request.h"
#include "select/select_commands.h"
#include "settings/settings.h"
#include "ui/card_view.h"
#include "ui/command_handlers.h"
#include "ui/dialog_parts.h"
#include "ui/item_list_view.h"
#include "ui/main_window.h"
#include "ui/velum_application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CFindDialog::CFindDialog(const CCardStore& store, int currentItem, const QStringList& history, bool distinguishCase,
                         QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("カードの検索"));
  m_items = NewItemNameList(store, this);
  m_items->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* itemsLabel = new QLabel(QStringLiteral("項目(&I)："), this);
  itemsLabel->setBuddy(m_items);
  if (currentItem >= 0 && currentItem < m_items->count()) m_items->setCurrentRow(currentItem);

  m_word = new QComboBox(this);
  m_word->setEditable(true);
  m_word->setInsertPolicy(QComboBox::NoInsert);
  m_word->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_word->setMinimumContentsLength(8);
  m_word->addItems(history);
  m_word->setEditText(history.value(0));
  auto* wordLabel = new QLabel(QStringLiteral("検索語(&W)："), this);
  wordLabel->setBuddy(m_word);

  auto* all = new QPushButton(QStringLiteral("全選択(&A)"), this);
  auto* none = new QPushButton(QStringLiteral("全解除(&N)"), this);
  for (QPushButton* b : {all, none}) b->setAutoDefault(false);
  connect(all, &QPushButton::clicked, this, [this] {
    m_items->selectAll();
    m_word->setFocus(Qt::OtherFocusReason);
  });
  connect(none, &QPushButton::clicked, this, [this] {
    m_items->clearSelection();
    m_word->setFocus(Qt::OtherFocusReason);
  });

  m_condition = new QComboBox(this);
  m_condition->addItems(ConditionLabels());
  auto* conditionLabel = new QLabel(kConditionCaption.toString(), this);
  conditionLabel->setBuddy(m_condition);

  m_case = new QCheckBox(QStringLiteral("大文字小文字を区別する(&O)"), this);
  m_case->setChecked(distinguishCase);

  auto* selectButtons = new QHBoxLayout;
  selectButtons->addWidget(all);
  selectButtons->addWidget(none);
  auto* condition = new QHBoxLayout;
  condition->addWidget(conditionLabel);
  condition->addWidget(m_condition, 1);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(itemsLabel);
  layout->addWidget(m_items, 1);
  layout->addLayout(selectButtons);
  layout->addWidget(wordLabel);
  layout->addWidget(m_word);
  layout->addLayout(condition);
  layout->addWidget(m_case);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("検索開始")));
  m_items->setFocus(Qt::OtherFocusReason);
}

std::vector<int> CFindDialog::Items() const { return ChosenRows(*m_items); }
QString CFindDialog::Word() const { return m_word->currentText(); }
int CFindDialog::Condition() const { return m_condition->currentIndex(); }
bool CFindDialog::DistinguishCase() const { return m_case->isChecked(); }

namespace {

const CRegisterCommand kRegisterFind(cmd::kFind, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CFindDialog dialog(doc.Store(), doc.CurrentItem(), ReadSearchHistory(app.Settings()),
                     ReadSetting(app.Settings(), settings::kISearch) != 0, &window);
  if (dialog.exec() != QDialog::Accepted) return true;
  const CFoundCard found =
      SearchCommand(doc, dialog.Items(), dialog.Condition(), dialog.Word(), dialog.DistinguishCase());
  if (found.card >= 0 && window.ActiveViewName() == u"card") window.CardView().FocusItem(found.item);
  if (window.ActiveViewName() == u"itemlist") window.ItemList().FocusValueList();
  return true;
});

}  // namespace
