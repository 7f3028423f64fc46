#include "ui/widgets/dialog_parts.h"

#include "core/card_store.h"
#include "records/search_request.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

QListWidget* NewItemNameList(const CCardStore& store, QWidget* parent) {
  auto* list = new QListWidget(parent);
  for (int i = 0; i < store.ItemCount(); ++i) list->addItem(store.Item(i).toString());
  list->setMinimumHeight(list->fontMetrics().height() * 3);
  return list;
}

QDialogButtonBox* NewConfirmButtons(QDialog* dialog, const QString& okText) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* ok = buttons->addButton(okText, QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

QDialogButtonBox* NewOkButton(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  return buttons;
}

std::vector<int> ChosenRows(const QListWidget& list) {
  std::vector<int> rows;
  for (const QModelIndex& index : list.selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  if (rows.empty() && list.currentRow() >= 0) rows.push_back(list.currentRow());
  return rows;
}

namespace {

// A scroll area that asks for its content's whole size, so that the dialog
// grows to show everything when there is room.
class CContentScrollArea final : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override {
    const int frame = 2 * frameWidth();
    return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
  }
};

}  // namespace

void LayOutDialog(QDialog* dialog, QWidget* content, QWidget* buttons) {
  auto* scroll = new CContentScrollArea(dialog);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(scroll, 1);
  // Made last among the dialog's children, so that the buttons follow the
  // content in the tab order and in the automation's list of controls.
  buttons->setParent(nullptr);
  layout->addWidget(buttons);
  QWidget* parent = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
  const QSize limit = parent ? parent->size() : dialog->screen()->availableSize();
  dialog->ensurePolished();
  // The content is shown whole when the window has room for it, else it scrolls.
  const QMargins m = layout->contentsMargins();
  const QSize inner = content->sizeHint();
  const int roomHeight = limit.height() - m.top() - m.bottom() - layout->spacing() - buttons->sizeHint().height();
  scroll->setMinimumSize(std::min(inner.width(), limit.width() - m.left() - m.right()),
                         std::max(std::min(inner.height(), roomHeight), 0));
  dialog->adjustSize();
  dialog->resize(dialog->size().boundedTo(limit));
}

QVBoxLayout* NewSearchControls(QDialog* dialog, const CCardStore& store, int currentItem,
                               const std::function<QComboBox*()>& makeWord, QListWidget** items, QComboBox** word,
                               QComboBox** condition) {
  QListWidget* list = NewItemNameList(store, dialog);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* itemsLabel = new QLabel(QStringLiteral("項目(&I)："), dialog);
  itemsLabel->setBuddy(list);
  if (currentItem >= 0 && currentItem < list->count()) list->setCurrentRow(currentItem);

  QComboBox* entry = makeWord();
  entry->setEditable(true);
  entry->setInsertPolicy(QComboBox::NoInsert);
  entry->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  entry->setMinimumContentsLength(8);
  auto* wordLabel = new QLabel(QStringLiteral("検索語(&W)："), dialog);
  wordLabel->setBuddy(entry);

  auto* all = new QPushButton(QStringLiteral("全選択(&A)"), dialog);
  auto* none = new QPushButton(QStringLiteral("全解除(&N)"), dialog);
  for (QPushButton* b : {all, none}) b->setAutoDefault(false);
  QObject::connect(all, &QPushButton::clicked, dialog, [list, entry] {
    list->selectAll();
    entry->setFocus(Qt::OtherFocusReason);
  });
  QObject::connect(none, &QPushButton::clicked, dialog, [list, entry] {
    list->clearSelection();
    entry->setFocus(Qt::OtherFocusReason);
  });

  auto* conditions = new QComboBox(dialog);
  conditions->addItems(ConditionLabels());
  auto* conditionLabel = new QLabel(kConditionCaption.toString(), dialog);
  conditionLabel->setBuddy(conditions);

  auto* selectButtons = new QHBoxLayout;
  selectButtons->addWidget(all);
  selectButtons->addWidget(none);
  auto* conditionRow = new QHBoxLayout;
  conditionRow->addWidget(conditionLabel);
  conditionRow->addWidget(conditions, 1);
  auto* layout = new QVBoxLayout;
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(itemsLabel);
  layout->addWidget(list, 1);
  layout->addLayout(selectButtons);
  layout->addWidget(wordLabel);
  layout->addWidget(entry);
  layout->addLayout(conditionRow);
  *items = list;
  *word = entry;
  *condition = conditions;
  return layout;
}
