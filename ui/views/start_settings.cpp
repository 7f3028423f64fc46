#include "ui/views/start_settings.h"

#include "settings/settings.h"

void CStartSettings::Read(const CSettingsStore& s) {
  maxTate = ReadSetting(s, settings::kMaxTate);
  defaultIme = ReadSetting(s, settings::kDefaultIme);
  cursorMove = ReadSetting(s, settings::kCursorMove);
  cursorRightMove = ReadSetting(s, settings::kCursorRightMove);
  itemPosMode = ReadSetting(s, settings::kItemPosMode);
  itemWidthMode = ReadSetting(s, settings::kItemWidthMode);
  comboInit = ReadSetting(s, settings::kComboInit);
  focusSkip = ReadSetting(s, settings::kFocusSkip);
  softKeyMenu = ReadSetting(s, settings::kSoftKeyMenu);
}
