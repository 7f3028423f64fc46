#include "ui/widgets/font_dialog.h"

#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/ui_messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 20, 24, 28, 36};
}

CFontDialog::CFontDialog(const QString& face, int pointSize, bool bold, bool italic, QWidget* parent)
    : QDialog(parent), m_face(face) {
  setWindowTitle(ui_msg::kFontDialogTitle);
  m_families = new QListWidget(this);
  m_families->addItems(QFontDatabase::families());
  QList<QListWidgetItem*> found = m_families->findItems(face, Qt::MatchExactly);
  QLabel* drawnBy = nullptr;
  if (found.isEmpty() && !face.isEmpty()) {
    // A stored face this machine lacks stays at the top of the list, chosen,
    // so that OK without a choice keeps it; the note says what draws it.
    auto* stored = new QListWidgetItem(face);
    stored->setData(Qt::UserRole, face);
    m_families->insertItem(0, stored);
    found = {stored};
    drawnBy = new QLabel(ui_msg::kFontDrawnBy.arg(face, DrawingFamily(face)), this);
    drawnBy->setWordWrap(true);
  }
  if (!found.isEmpty()) {
    m_families->setCurrentItem(found.first());
    m_families->scrollToItem(found.first());
  }
  connect(m_families, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (!item) return;
    const QVariant stored = item->data(Qt::UserRole);
    m_face = stored.isValid() ? stored.toString() : item->text();
  });

  m_size = new QComboBox(this);
  m_size->setEditable(true);
  for (int s : kSizes) m_size->addItem(QString::number(s));
  // The list selects the size, or the first larger one; the box shows the size itself.
  int index = int(std::size(kSizes)) - 1;
  for (int i = 0; i < int(std::size(kSizes)); ++i)
    if (kSizes[i] >= pointSize) {
      index = i;
      break;
    }
  m_size->setCurrentIndex(index);
  m_size->setEditText(QString::number(pointSize));
  auto* sizeLabel = new QLabel(QStringLiteral("サイズ(&S):"), this);
  sizeLabel->setBuddy(m_size);

  m_bold = new QCheckBox(QStringLiteral("太字(&B)"), this);
  m_bold->setChecked(bold);
  m_italic = new QCheckBox(QStringLiteral("斜体(&I)"), this);
  m_italic->setChecked(italic);

  auto* buttons = OkCancelButtons(this);

  auto* familyLabel = new QLabel(QStringLiteral("フォント名(&F):"), this);
  familyLabel->setBuddy(m_families);
  auto* side = new QVBoxLayout;
  side->addWidget(sizeLabel);
  side->addWidget(m_size);
  side->addWidget(m_bold);
  side->addWidget(m_italic);
  side->addStretch();
  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(familyLabel);
  left->addWidget(m_families);
  if (drawnBy) left->addWidget(drawnBy);
  top->addLayout(left, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  FitToOwner(this);
}

int CFontDialog::PointSize() const {
  bool ok = false;
  const int size = m_size->currentText().trimmed().toInt(&ok);
  return ok && size > 0 ? size : 10;
}

bool CFontDialog::Bold() const { return m_bold->isChecked(); }
bool CFontDialog::Italic() const { return m_italic->isChecked(); }

bool ChooseSectionFont(QWidget* parent, CSettingsStore& store, settings::FontSection section) {
  settings::CFontRecord record = settings::ReadFont(store, section);
  CFontDialog dialog(record.faceName, int(record.point), record.weight >= 600, record.italic != 0, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  record.faceName = dialog.FaceName();
  record.point = std::uint32_t(dialog.PointSize());
  record.weight = dialog.Bold() ? 700 : 400;
  record.italic = dialog.Italic() ? 1 : 0;
  settings::WriteFont(store, section, record);
  return true;
}
