#include "core/services.h"

#include "settings/settings.h"

CodePage CServices::FileCodePage() const {
  if (codePage) return *codePage;
  return ReadSetting(settings, settings::kCodePage) == 65001 ? CodePage::Utf8 : CodePage::Cp932;
}

bool CServices::CodePageForced() const {
  if (codePage) return true;
  const IntSetting& s = settings::kCodePage;
  const QString section = s.section.toString(), name = s.name.toString();
  // Present when no default shows through: 0 and 1 cannot both be its value.
  return settings.GetProfileInt(section, name, 0) != 0 || settings.GetProfileInt(section, name, 1) != 1;
}

IProgress& CServices::Progress() const {
  static CNoProgress none;
  return progress ? *progress : none;
}
