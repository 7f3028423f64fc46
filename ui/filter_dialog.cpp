#include "ui/filter_dialog.h"

#include "app/frame_command_table.h"
#include "core/velum_doc.h"
#include "select/filter.h"
#include "select/search_request.h"
#include "select/select_commands.h"
#include "ui/command_handlers.h"
#include "ui/dialog_parts.h"
#include "ui/item_list_view.h"
#include "ui/main_window.h"
#include "ui/velum_application.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

// An editable drop-down that fills its list just before it opens.
class CRefilledComboBox final : public QComboBox {
 public:
  CRefilledComboBox(std::function<void()> fill, QWidget* parent) : QComboBox(parent), m_fill(std::move(fill)) {}
  void showPopup() override {
    m_fill();
    QComboBox::showPopup();
  }

 private:
  std::function<void()> m_fill;
};

}  // namespace

CFilterDialog::CFilterDialog(const CCardStore& store, int currentItem, int method, bool filtered, QWidget* parent)
    : QDialog(parent), m_store(store) {
  setWindowTitle(QStringLiteral("絞り込み"));
  m_items = NewItemNameList(store, this);
  m_items->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* itemsLabel = new QLabel(QStringLiteral("項目(&I)："), this);
  itemsLabel->setBuddy(m_items);
  if (currentItem >= 0 && currentItem < m_items->count()) m_items->setCurrentRow(currentItem);

  auto* word = new CRefilledComboBox([this] { FillWords(); }, this);
  m_word = word;
  m_word->setEditable(true);
  m_word->setInsertPolicy(QComboBox::NoInsert);
  m_word->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_word->setMinimumContentsLength(8);
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

  auto* group = new QGroupBox(QStringLiteral("選択方法(&S)"), this);
  m_methods = new QButtonGroup(this);
  auto* methods = new QVBoxLayout(group);
  const QString methodLabels[] = {QStringLiteral("全カードから"), QStringLiteral("絞り込む(&AND)"),
                                  QStringLiteral("追加する(&OR)")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(methodLabels[i], group);
    radio->setEnabled(i == kFromAllCards || filtered);
    m_methods->addButton(radio, i);
    methods->addWidget(radio);
  }
  m_methods->button(method >= 0 && method < 3 ? method : kFromAllCards)->setChecked(true);

  auto* selectButtons = new QHBoxLayout;
  selectButtons->addWidget(all);
  selectButtons->addWidget(none);
  auto* left = new QVBoxLayout;
  left->addWidget(itemsLabel);
  left->addWidget(m_items, 1);
  left->addLayout(selectButtons);
  auto* condition = new QHBoxLayout;
  condition->addWidget(conditionLabel);
  condition->addWidget(m_condition, 1);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(left, 1);
  layout->addWidget(wordLabel);
  layout->addWidget(m_word);
  layout->addLayout(condition);
  layout->addWidget(group);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("選択開始")));
  m_items->setFocus(Qt::OtherFocusReason);
}

void CFilterDialog::FillWords() {
  const QString text = m_word->currentText();
  m_word->clear();
  m_word->addItems(FilterWordList(m_store, m_items->currentRow(), Method() == kNarrowCards));
  m_word->setEditText(text);
}

std::vector<int> CFilterDialog::Items() const { return ChosenRows(*m_items); }
QString CFilterDialog::Word() const { return m_word->currentText(); }
int CFilterDialog::Condition() const { return m_condition->currentIndex(); }
int CFilterDialog::Method() const { return m_methods->checkedId(); }

namespace {

const CRegisterCommand kRegisterFilter(cmd::kFilter, [](CVelumApp& app, CMainWindow& window) {
  CVelumDoc& doc = app.Doc();
  CFilterDialog dialog(doc.Store(), doc.CurrentItem(), DefaultFilterMethod(doc), IsFiltered(doc.Store()),
                       &window);
  if (dialog.exec() == QDialog::Accepted)
    FilterCommand(doc, dialog.Items(), dialog.Condition(), dialog.Word(), dialog.Method());
  return true;
});

}  // namespace
