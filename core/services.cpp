#include "core/services.h"

#include "settings/settings.h"

CodePage CServices::FileCodePage() const {
  if (codePage) return *codePage;
  return ReadSetting(settings, settings::kCodePage) == 65001 ? CodePage::Utf8 : CodePage::Cp932;
}

IProgress& CServices::Progress() const {
  static CNoProgress none;
  return progress ? *progress : none;
}
