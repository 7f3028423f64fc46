#include "html/html_settings.h"

#include <QDir>

namespace {

QString InTempFolder(QStringView name) {
  QString folder = QDir::tempPath();
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder + name.toString();
}

}  // namespace

QString CHtmlSettings::DefaultTemplate() { return InTempFolder(u"velumtemplate.html"); }
QString CHtmlSettings::DefaultPreview() { return InTempFolder(u"velumpreview.html"); }

QString CHtmlSettings::EffectiveTemplate() const {
  return templatePath.isEmpty() ? DefaultTemplate() : templatePath;
}

QString CHtmlSettings::EffectivePreview() const { return previewPath.isEmpty() ? DefaultPreview() : previewPath; }

CHtmlSettings CHtmlSettings::Read(const CSettingsStore& store, const QString& cardPath) {
  CHtmlSettings s;
  s.templatePath = store.GetProfileString(settings::kTemplateSection.toString(), cardPath, QString());
  s.previewPath = ReadSetting(store, settings::kPreviewFile);
  return s;
}

void CHtmlSettings::Write(CSettingsStore& store, const QString& cardPath, const QString& templatePath,
                          const QString& previewPath) {
  store.WriteProfileString(settings::kTemplateSection.toString(), cardPath, templatePath);
  WriteSetting(store, settings::kPreviewFile, previewPath);
}
