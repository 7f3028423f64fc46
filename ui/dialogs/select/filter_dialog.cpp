#include "ui/dialogs/select/filter_dialog.h"

#include "core/velum_doc.h"
#include "records/search_request.h"
#include "select/filter.h"
#include "select/select_commands.h"
#include "ui/views/item_list_view.h"
#include "ui/widgets/dialog_parts.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

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
  QVBoxLayout* layout = NewSearchControls(
      this, store, currentItem, [this] { return new CRefilledComboBox([this] { FillWords(); }, this); }, &m_items,
      &m_word, &m_condition);

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

  layout->addWidget(group);
  auto* content = new QWidget(this);
  content->setLayout(layout);
  LayOutDialog(this, content, NewConfirmButtons(this, QStringLiteral("選択開始")));
  // The item the cursor was in is chosen, so the dialog opens ready for the
  // word: a word and Enter filter on that item.
  m_word->setFocus(Qt::OtherFocusReason);
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
