#include "html/html_settings.h"

#include "platform/file_io.h"

// The defaults stand in the user's private folder, never in the shared
// temporary folder where another user could put a link of the same name.
QString CHtmlSettings::DefaultTemplate() { return PrivateFolderPath() + QStringLiteral("/velumtemplate.html"); }
QString CHtmlSettings::DefaultPreview() { return PrivateFolderPath() + QStringLiteral("/velumpreview.html"); }

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
  store.Update([&] {
    store.WriteProfileString(settings::kTemplateSection.toString(), cardPath, templatePath);
    WriteSetting(store, settings::kPreviewFile, previewPath);
  });
}
