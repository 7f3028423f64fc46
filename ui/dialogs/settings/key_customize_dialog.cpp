#include "ui/dialogs/settings/key_customize_dialog.h"

#include "keys/key_map.h"
#include "keys/menu_label.h"
#include "settings/settings.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/file_choice.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kKeyFilter = QStringLiteral("KEYﾌｧｲﾙ(*.KEY) |*.KEY| 全てのﾌｧｲﾙ(*.*) |*.*||");

}  // namespace

CKeyCustomizeDialog::CKeyCustomizeDialog(CVelumApp& app, CMainWindow& window)
    : QDialog(&window), m_app(app), m_window(window), m_binder(app.KeyMap()) {
  setWindowTitle(QStringLiteral("キーカスタマイズ"));
  m_keys = new QListWidget(this);
  m_keys->setObjectName(QStringLiteral("keys"));
  auto* keyLabel = new QLabel(QStringLiteral("キー(&K):"), this);
  keyLabel->setBuddy(m_keys);
  m_ctrl = new QCheckBox(QStringLiteral("Ctrl(&C)"), this);
  m_shift = new QCheckBox(QStringLiteral("Shift(&H)"), this);
  m_alt = new QCheckBox(QStringLiteral("Alt(&A)"), this);
  m_commands = new QListWidget(this);
  m_commands->setObjectName(QStringLiteral("commands"));
  m_commands->addItems(CKeyBinder::CommandList());
  auto* commandLabel = new QLabel(QStringLiteral("メニュー(&M):"), this);
  commandLabel->setBuddy(m_commands);
  auto* save = new QPushButton(QStringLiteral("保存(&S)..."), this);
  auto* load = new QPushButton(QStringLiteral("読込(&R)..."), this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);

  for (QCheckBox* box : {m_ctrl, m_shift, m_alt})
    connect(box, &QCheckBox::toggled, this, [this] {
      m_binder.SetModifiers(m_ctrl->isChecked(), m_shift->isChecked(), m_alt->isChecked());
      FillKeys();
    });
  connect(m_keys, &QListWidget::currentRowChanged, this, [this](int row) {
    if (m_filling || row < 0) return;
    m_binder.SelectKey(row);
    ShowCommand();
  });
  connect(m_commands, &QListWidget::currentRowChanged, this, [this](int row) {
    if (m_filling || row < 0 || m_keys->currentRow() < 0) return;
    Relabel(m_binder.ChooseCommand(row));
  });
  connect(save, &QPushButton::clicked, this, &CKeyCustomizeDialog::SaveAs);
  connect(load, &QPushButton::clicked, this, &CKeyCustomizeDialog::LoadFrom);
  connect(ok, &QPushButton::clicked, this, &CKeyCustomizeDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* mods = new QHBoxLayout;
  mods->addWidget(m_ctrl);
  mods->addWidget(m_shift);
  mods->addWidget(m_alt);
  mods->addStretch();
  auto* buttons = new QGridLayout;
  buttons->addWidget(save, 0, 0);
  buttons->addWidget(load, 0, 1);
  buttons->addWidget(ok, 1, 0);
  buttons->addWidget(cancel, 1, 1);
  auto* lists = new QGridLayout;
  lists->addWidget(keyLabel, 0, 0);
  lists->addWidget(commandLabel, 0, 1);
  lists->addWidget(m_keys, 1, 0);
  lists->addWidget(m_commands, 1, 1);
  lists->setColumnStretch(0, 1);
  lists->setColumnStretch(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(mods);
  layout->addLayout(lists, 1);
  layout->addLayout(buttons);
  FillKeys();
  resize(QSize(420, 360));
  FitToScreen(this, app.Screen());
}

void CKeyCustomizeDialog::FillKeys() {
  m_filling = true;
  m_keys->clear();
  m_keys->addItems(m_binder.KeyList());
  m_keys->setCurrentRow(m_binder.SelectedKey());
  m_filling = false;
  ShowCommand();
}

void CKeyCustomizeDialog::ShowCommand() {
  m_filling = true;
  m_commands->setCurrentRow(m_binder.CommandSelection());
  m_filling = false;
}

void CKeyCustomizeDialog::Relabel(const std::vector<CMenuLabelChange>& changes) {
  // The dialog's changes show in the menus whatever the key display says.
  for (const CMenuLabelChange& c : changes)
    if (QAction* a = m_window.Action(c.command)) a->setText(SetMenuLabelText(a->text(), c.label));
}

void CKeyCustomizeDialog::SaveAs() {
  CFileRequest request;
  request.title = QStringLiteral("名前を付けて保存");
  const QString path = settings::ReadKeycust(m_app.Settings(), QApplication::applicationDirPath());
  request.folder = QFileInfo(path).absolutePath();
  request.name = QFileInfo(path).fileName();
  request.filter = kKeyFilter;
  request.defaultExt = QStringLiteral("KEY");
  request.save = true;
  request.own = true;
  const std::optional<QString> chosen = ChooseFile(m_app, this, request);
  if (!chosen) return;
  QString error;
  if (!m_app.KeyMap().Save(*chosen, &error)) NoticeCannotSave(error);
}

void CKeyCustomizeDialog::LoadFrom() {
  CFileRequest request;
  request.title = QStringLiteral("開く");
  request.folder = QFileInfo(m_app.KeyMap().Path()).absolutePath();
  request.name = QStringLiteral("*.KEY");
  request.filter = kKeyFilter;
  request.defaultExt = QStringLiteral("KEY");
  request.own = true;
  const std::optional<QString> chosen = ChooseFile(m_app, this, request);
  if (!chosen) return;
  const CKeyFileStatus status = m_app.KeyMap().Load(*chosen);
  if (!status.Ok()) {
    m_app.Prompt().Notice(CannotLoadMessage(status, *chosen));
    return;
  }
  if (status.result == CKeyFileStatus::kDamaged) m_app.Prompt().Notice(DamageMessage(status, *chosen));
  m_window.RefreshMenuLabels();
  ShowCommand();
}

void CKeyCustomizeDialog::NoticeCannotSave(const QString& error) {
  m_app.Prompt().Notice(error.isEmpty() ? keys_msg::kCannotSave : keys_msg::kCannotSave + u'\n' + error);
}

void CKeyCustomizeDialog::accept() {
  QString error;
  if (!m_app.KeyMap().Save(QString(), &error)) NoticeCannotSave(error);
  QDialog::accept();
}
