#include "ui/dialogs/file/browser_dialog.h"

#include "html/html_preview.h"
#include "html/html_settings.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/widgets/file_choice.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTemplateFilter = QStringLiteral("htmlﾌｧｲﾙ(*.html*) |*.htm*| 全てのﾌｧｲﾙ(*.*) |*.*||");
const QString kHtmlFilter = QStringLiteral("htmlﾌｧｲﾙ(*.html) |*.html| 全てのﾌｧｲﾙ(*.*) |*.*||");

CFileRequest Request(const QString& title, const QString& path, const QString& filter, const QString& ext,
                     bool save, bool own) {
  CFileRequest r;
  r.title = title;
  r.folder = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
  r.name = path.isEmpty() ? QString() : QFileInfo(path).fileName();
  r.filter = filter;
  r.defaultExt = ext;
  r.save = save;
  r.own = own;
  return r;
}

}  // namespace

CBrowserSettingsDialog::CBrowserSettingsDialog(CVelumApp& app, QWidget* parent) : QDialog(parent), m_app(app) {
  setWindowTitle(QStringLiteral("ブラウザ表示設定"));
  const CHtmlSettings html = CHtmlSettings::Read(app.Settings(), app.Doc().PathName());
  m_template = new QLineEdit(html.EffectiveTemplate(), this);
  m_template->setObjectName(QStringLiteral("template"));
  auto* templateLabel = new QLabel(QStringLiteral("テンプレートファイル名(&T)"), this);
  templateLabel->setBuddy(m_template);
  auto* browseTemplate = new QPushButton(QStringLiteral("参照(&R)..."), this);
  auto* create = new QPushButton(QStringLiteral("テンプレートの作成"), this);
  m_preview = new QLineEdit(html.EffectivePreview(), this);
  m_preview->setObjectName(QStringLiteral("preview"));
  auto* previewLabel = new QLabel(QStringLiteral("プレビューファイル名(&P)"), this);
  previewLabel->setBuddy(m_preview);
  auto* browsePreview = new QPushButton(QStringLiteral("参照(&V)..."), this);
  connect(browseTemplate, &QPushButton::clicked, this, &CBrowserSettingsDialog::BrowseTemplate);
  connect(create, &QPushButton::clicked, this, &CBrowserSettingsDialog::CreateTemplate);
  connect(browsePreview, &QPushButton::clicked, this, &CBrowserSettingsDialog::BrowsePreview);

  auto* buttons = OkCancelButtons(this);

  auto* grid = new QGridLayout;
  grid->addWidget(templateLabel, 0, 0, 1, 2);
  grid->addWidget(m_template, 1, 0, 1, 2);
  grid->addWidget(browseTemplate, 2, 0);
  grid->addWidget(create, 2, 1);
  grid->addWidget(previewLabel, 3, 0, 1, 2);
  grid->addWidget(m_preview, 4, 0, 1, 2);
  grid->addWidget(browsePreview, 5, 0);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addWidget(buttons);
  resize(QSize(420, sizeHint().height()));
  FitToScreen(this, app.Screen());
}

QString CBrowserSettingsDialog::TemplatePath() const { return m_template->text(); }
QString CBrowserSettingsDialog::PreviewPath() const { return m_preview->text(); }

void CBrowserSettingsDialog::BrowseTemplate() {
  CFileRequest r = Request(QStringLiteral("テンプレートファイルの参照"), m_template->text(), kTemplateFilter,
                           QStringLiteral("htm"), false, true);
  r.name = QStringLiteral("*.htm*");
  if (const std::optional<QString> path = ChooseFile(m_app, this, r)) m_template->setText(*path);
}

void CBrowserSettingsDialog::CreateTemplate() {
  CFileRequest r = Request(QStringLiteral("作成するテンプレートファイル名"), m_template->text(), kHtmlFilter,
                           QStringLiteral("html"), true, true);
  const std::optional<QString> path = ChooseFile(m_app, this, r);
  if (!path) return;
  m_template->setText(*path);
  // Written at once; the setting itself only on OK.
  m_app.Doc().StoreCards();
  CreateStartTemplate(m_app.Doc(), *path);
}

void CBrowserSettingsDialog::BrowsePreview() {
  const CFileRequest r = Request(QStringLiteral("プレビューファイルの設定"), m_preview->text(), kHtmlFilter,
                                 QStringLiteral("html"), true, false);
  if (const std::optional<QString> path = ChooseFile(m_app, this, r)) m_preview->setText(*path);
}
