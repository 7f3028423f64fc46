#include "ui/widgets/file_select_dialog.h"

#include "settings/settings.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/save_form_box.h"
#include "ui/window/velum_application.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kPlaceholder = QStringLiteral("*Dummy*");
const QString kRootName = QStringLiteral("ルート");
constexpr int kPathRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;

QDialogButtonBox* OkCancel(QDialog* dialog, bool cancel = true) {
  auto* buttons = new QDialogButtonBox(cancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok,
                                       dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  if (cancel) buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

// The folder asked for, or the nearest one above it that exists.
QString StartFolder(const QString& folder) {
  if (folder.isEmpty()) return QDir::rootPath();
  QString at = QDir(folder).absolutePath();
  while (!QFileInfo(at).isDir() && !QDir(at).isRoot()) at = ParentFolder(at);
  return at;
}

}  // namespace

CFileSelectDialog::CFileSelectDialog(CVelumApp& app, const CFileRequest& request, QWidget* parent)
    : QDialog(parent), m_app(app), m_request(request), m_filters(ParseFileFilter(request.filter)) {
  setWindowTitle(request.title);
  if (m_filters.empty()) m_filters = ParseFileFilter(QString());
  m_sortItem = int(std::min<std::uint32_t>(ReadSetting(app.Settings(), settings::kFileSelectSortItem), 3));
  m_sortMode = ReadSetting(app.Settings(), settings::kFileSelectSortMode) ? 1 : 0;
  m_folder = StartFolder(request.folder);

  m_folderField = new QLineEdit(this);
  m_folderField->setObjectName(QStringLiteral("1017"));
  m_folderField->setReadOnly(true);
  auto* up = new QToolButton(this);
  up->setObjectName(QStringLiteral("1020"));
  up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  up->setToolTip(QStringLiteral("上へ"));
  connect(up, &QToolButton::clicked, this, &CFileSelectDialog::Up);
  auto* folderButton = new QToolButton(this);
  folderButton->setObjectName(QStringLiteral("1028"));
  folderButton->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
  folderButton->setToolTip(QStringLiteral("フォルダの指定"));
  connect(folderButton, &QToolButton::clicked, this, &CFileSelectDialog::ChooseFolder);

  m_list = new QTreeWidget(this);
  m_list->setObjectName(QStringLiteral("1018"));
  m_list->setRootIsDecorated(false);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("日付"), QStringLiteral("サイズ"),
                           QStringLiteral("種類")});
  for (int c = 0; c < 4; ++c) m_list->setColumnWidth(c, 100);
  m_list->header()->setSectionsClickable(true);
  m_list->header()->setSortIndicatorShown(true);
  connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    ToggleSort(column, &m_sortItem, &m_sortMode);
    QTreeWidgetItem* current = m_list->currentItem();
    ShowEntries(current ? current->data(0, kEntryRole).toString() : QString());
  });
  connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!item) return;
    const QString name = item->data(0, kEntryRole).toString();
    const bool folder = item->data(0, kPathRole).toBool();
    if (!folder) m_name->setText(name);
  });
  connect(m_list, &QTreeWidget::itemActivated, this, &CFileSelectDialog::Activate);
  m_list->installEventFilter(this);

  m_name = new QLineEdit(request.name, this);
  m_name->setObjectName(QStringLiteral("1029"));
  auto* nameLabel = new QLabel(QStringLiteral("ファイル名(&N):"), this);
  nameLabel->setBuddy(m_name);
  m_filter = new QComboBox(this);
  m_filter->setObjectName(QStringLiteral("1019"));
  for (const CFileFilter& f : m_filters) m_filter->addItem(f.label.trimmed());
  auto* filterLabel = new QLabel(QStringLiteral("種類(&T):"), this);
  filterLabel->setBuddy(m_filter);
  connect(m_filter, &QComboBox::currentIndexChanged, this, [this] { Fill(QString()); });

  auto* top = new QHBoxLayout;
  top->addWidget(m_folderField, 1);
  top->addWidget(up);
  top->addWidget(folderButton);
  auto* bottom = new QGridLayout;
  bottom->addWidget(nameLabel, 0, 0);
  bottom->addWidget(m_name, 0, 1);
  bottom->addWidget(filterLabel, 1, 0);
  bottom->addWidget(m_filter, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(m_list, 1);
  layout->addLayout(bottom);
  if (request.saveForm) {
    m_saveForm = new CSaveFormBox(*request.saveForm, this);
    layout->addWidget(m_saveForm);
  }
  layout->addWidget(OkCancel(this));

  Fill(QFileInfo(request.name).fileName());
  if (request.save)
    m_name->setFocus();
  else
    m_list->setFocus();
  const QSize screen = app.Screen();
  resize(screen.width() > screen.height() ? QSize(520, 380) : QSize(240, 320));
  FitToScreen(this, screen);
  resize(screen.width() > screen.height() ? QSize(520, 380).boundedTo(screen) : screen);
}

CFileSelectDialog::~CFileSelectDialog() {
  // The sort is kept whatever the outcome; an unchanged one is not written again.
  CSettingsStore& s = m_app.Settings();
  if (ReadSetting(s, settings::kFileSelectSortMode) == std::uint32_t(m_sortMode) &&
      ReadSetting(s, settings::kFileSelectSortItem) == std::uint32_t(m_sortItem))
    return;
  s.Update([&] {
    WriteSetting(s, settings::kFileSelectSortMode, std::uint32_t(m_sortMode));
    WriteSetting(s, settings::kFileSelectSortItem, std::uint32_t(m_sortItem));
  });
}

CSaveForm CFileSelectDialog::SaveForm() const {
  return m_saveForm ? m_saveForm->Form() : m_request.saveForm ? *m_request.saveForm : CSaveForm{};
}

void CFileSelectDialog::Fill(const QString& select) {
  const int chosen = std::max(m_filter->currentIndex(), 0);
  m_entries = ListFolder(m_folder, m_filters[std::size_t(chosen)]);
  m_folderField->setText(QDir::toNativeSeparators(m_folder));
  ShowEntries(select);
}

void CFileSelectDialog::ShowEntries(const QString& select) {
  SortFileList(m_entries, m_sortItem, m_sortMode);
  m_list->header()->setSortIndicator(m_sortItem, m_sortMode ? Qt::DescendingOrder : Qt::AscendingOrder);
  m_list->setUpdatesEnabled(false);
  m_list->clear();
  QTreeWidgetItem* selected = nullptr;
  for (const CFileObj& e : m_entries) {
    auto* item = new QTreeWidgetItem(m_list, {e.ShownName(), e.IsParent() ? QString() : e.date, e.SizeText(), e.extension});
    item->setData(0, kEntryRole, e.FullName());
    item->setData(0, kPathRole, e.folder);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    if (!selected && !select.isEmpty() && e.FullName() == select) selected = item;
  }
  m_list->setUpdatesEnabled(true);
  // The date is read whole; the other columns keep their width.
  m_list->resizeColumnToContents(1);
  if (!selected) selected = m_list->topLevelItem(0);
  if (selected) {
    QSignalBlocker block(m_list);  // the name field keeps the caller's name
    m_list->setCurrentItem(selected);
  }
}

void CFileSelectDialog::EnterFolder(const QString& folder, const QString& select) {
  m_folder = folder;
  Fill(select);
}

void CFileSelectDialog::Up() {
  if (QDir(m_folder).isRoot()) return;
  EnterFolder(ParentFolder(m_folder), QDir(m_folder).dirName());
}

void CFileSelectDialog::Activate(QTreeWidgetItem* item) {
  if (!item) return;
  const QString name = item->data(0, kEntryRole).toString();
  if (!item->data(0, kPathRole).toBool()) {
    m_name->setText(name);
    accept();
  } else if (name == u"..") {
    Up();
  } else {
    EnterFolder(QDir(m_folder).filePath(name), QString());
  }
}

bool CFileSelectDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the list acts on the entry alone: a folder opens and the dialog
  // stays, a file is chosen. Passed on, the key would also press OK.
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_list->currentItem()) {
      Activate(m_list->currentItem());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CFileSelectDialog::ChooseFolder() {
  CFolderDialog dialog(m_app, m_folder, this);
  if (dialog.exec() == QDialog::Accepted) EnterFolder(dialog.Folder(), QString());
}

void CFileSelectDialog::accept() {
  // A folder selected in the list with no name typed, or a folder's name typed, opens that folder.
  const QString typed = m_name->text().trimmed();
  QTreeWidgetItem* current = m_list->currentItem();
  if (typed.isEmpty() && current && current->data(0, kPathRole).toBool() && m_list->hasFocus()) {
    Activate(current);
    return;
  }
  if (!typed.isEmpty() && !typed.contains(u'*')) {
    const QFileInfo info(QDir(m_folder).filePath(typed));
    if (info.isDir()) {
      m_name->clear();
      EnterFolder(info.absoluteFilePath(), QString());
      return;
    }
  }
  const std::optional<QString> path = ChosenPath(m_folder, typed, m_request.defaultExt);
  if (!path) {
    m_app.Prompt().Notice(file_list_msg::kBadName);
    return;
  }
  if (m_request.save && QFileInfo::exists(*path) &&
      !m_app.Prompt().YesNo(file_list_msg::kOverwrite.arg(QDir::toNativeSeparators(*path))))
    return;
  m_path = *path;
  QDialog::accept();
}

CFolderDialog::CFolderDialog(CVelumApp& app, const QString& folder, QWidget* parent)
    : QDialog(parent), m_app(app) {
  setWindowTitle(QStringLiteral("フォルダの指定"));
  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(QStringLiteral("1029"));
  m_tree->setHeaderHidden(true);
  connect(m_tree, &QTreeWidget::itemExpanded, this, &CFolderDialog::Expanded);
  connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
  auto* create = new QPushButton(QStringLiteral("フォルダ作成(&F)..."), this);
  create->setObjectName(QStringLiteral("132"));
  connect(create, &QPushButton::clicked, this, [this] {
    CTextPromptDialog prompt(QStringLiteral("フォルダ名を入力してください"), QString(), this);
    if (prompt.exec() == QDialog::Accepted) CreateFolder(prompt.Text());
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tree, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(create);
  row->addStretch();
  row->addWidget(OkCancel(this, false));
  layout->addLayout(row);

  auto* root = new QTreeWidgetItem(m_tree, {kRootName});
  root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  FillLevel(root, 0);
  root->setExpanded(true);
  m_tree->setCurrentItem(root);
  // Follow the starting folder down from the root, name by name.
  const QStringList parts = QDir::cleanPath(QDir(folder).absolutePath()).split(u'/', Qt::SkipEmptyParts);
  QTreeWidgetItem* at = root;
  for (const QString& part : parts) {
    if (!at->isExpanded()) at->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < at->childCount(); ++i)
      if (at->child(i)->text(0).compare(part, Qt::CaseInsensitive) == 0) next = at->child(i);
    if (!next) break;
    at = next;
  }
  m_tree->setCurrentItem(at);
  resize(QSize(300, 360));
  FitToScreen(this, app.Screen());
}

QString CFolderDialog::PathOf(const QTreeWidgetItem* item) const {
  QStringList names;
  for (; item && item->parent(); item = item->parent()) names.prepend(item->text(0));
  return u'/' + names.join(u'/');
}

QString CFolderDialog::Folder() const { return PathOf(m_tree->currentItem()); }

void CFolderDialog::FillLevel(QTreeWidgetItem* item, int depth) {
  const QDir dir(PathOf(item));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
    auto* child = new QTreeWidgetItem(item, {name});
    child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    // One level further now; below that a placeholder shows the expansion mark.
    if (depth == 0)
      FillLevel(child, depth + 1);
    else
      new QTreeWidgetItem(child, {kPlaceholder});
  }
}

void CFolderDialog::Expanded(QTreeWidgetItem* item) {
  QSignalBlocker block(m_tree);
  qDeleteAll(item->takeChildren());
  FillLevel(item, 0);
}

bool CFolderDialog::CreateFolder(const QString& name) {
  QTreeWidgetItem* item = m_tree->currentItem();
  if (!item || name.isEmpty() || name.contains(u'/')) return false;
  QDir dir(PathOf(item));
  if (!dir.mkdir(name)) return false;
  {
    QSignalBlocker block(m_tree);
    qDeleteAll(item->takeChildren());
    FillLevel(item, 0);
  }
  item->setExpanded(true);
  for (int i = 0; i < item->childCount(); ++i)
    if (item->child(i)->text(0) == name) m_tree->setCurrentItem(item->child(i));
  return true;
}

CTextPromptDialog::CTextPromptDialog(const QString& message, const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("VELUM"));
  auto* label = new QLabel(message, this);
  label->setWordWrap(true);
  m_text = new QLineEdit(text, this);
  label->setBuddy(m_text);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_text);
  layout->addWidget(OkCancel(this));
}

QString CTextPromptDialog::Text() const { return m_text->text(); }
