#pragma once

#include "settings/settings.h"

#include <QString>

// The HTML settings, built afresh for each command from the settings store:
// the template of the card file (each card file has its own) and the preview
// file (one for all card files). Both are kept in section Template: the
// template under the value named by the card file's full path (the empty name
// for a document without a path), the preview under PreviewFile.
namespace settings {
inline constexpr QStringView kTemplateSection = u"Template";
inline constexpr StringSetting kPreviewFile{u"Template", u"PreviewFile", u""};
}  // namespace settings

struct CHtmlSettings {
  // As stored; empty when the store has none.
  QString templatePath;
  QString previewPath;

  // The stored path, else the default in the user's private folder (see
  // PrivateFolder; the folder is made when the file is written).
  QString EffectiveTemplate() const;
  QString EffectivePreview() const;

  static CHtmlSettings Read(const CSettingsStore& store, const QString& cardPath);
  // The dialog's OK: both paths as given.
  static void Write(CSettingsStore& store, const QString& cardPath, const QString& templatePath,
                    const QString& previewPath);

  static QString DefaultTemplate();  // <private folder>/velumtemplate.html
  static QString DefaultPreview();   // <private folder>/velumpreview.html
};
