#include "app/settings_sheet.h"

#include "settings/settings.h"

namespace {

// The values of the sheet beside their settings, in the order they are written.
struct Field {
  const IntSetting* setting;
  std::uint32_t CSettingsSheetValues::*member;
};

const Field kFields[] = {
    {&settings::kMaxTate, &CSettingsSheetValues::maxTate},
    {&settings::kCursorMove, &CSettingsSheetValues::cursorMove},
    {&settings::kCursorRightMove, &CSettingsSheetValues::cursorRightMove},
    {&settings::kItemPosMode, &CSettingsSheetValues::itemPosMode},
    {&settings::kItemWidthMode, &CSettingsSheetValues::itemWidthMode},
    {&settings::kIncreSearch, &CSettingsSheetValues::increSearch},
    {&settings::kCardMargin, &CSettingsSheetValues::cardMargin},
    {&settings::kLabelEditZero, &CSettingsSheetValues::labelEditZero},
    {&settings::kOkFrame, &CSettingsSheetValues::okFrame},
    {&settings::kPPCSaveDlg, &CSettingsSheetValues::ppcSaveDlg},
    {&settings::kPPCOpenDlg, &CSettingsSheetValues::ppcOpenDlg},
    {&settings::kHolidayRules, &CSettingsSheetValues::holidayRules},
    {&settings::kNewFileForm, &CSettingsSheetValues::newFileForm},
};

}  // namespace

CSettingsSheetValues ReadSettingsSheet(const CSettingsStore& store, int screenWidth, int screenHeight) {
  CSettingsSheetValues v;
  v.mru = settings::ReadMru(store, screenWidth, screenHeight);
  for (const Field& f : kFields) v.*f.member = ReadSetting(store, *f.setting);
  return v;
}

bool WriteSettingsSheetChanges(CSettingsStore& store, const CSettingsSheetValues& before,
                               const CSettingsSheetValues& after) {
  if (before == after) return true;
  return store.Update([&] {
    if (before.mru != after.mru) settings::WriteMru(store, after.mru);
    for (const Field& f : kFields)
      if (before.*f.member != after.*f.member) WriteSetting(store, *f.setting, after.*f.member);
  });
}

bool CheckRange(const QString& text, int low, int high, std::uint32_t* value, QString* message) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok && n >= low && n <= high) {
    *value = std::uint32_t(n);
    return true;
  }
  *message = QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high);
  return false;
}
