#pragma once

#include "settings/settings_store.h"

#include <QString>
#include <QStringView>

#include <cstdint>

// Every setting the program keeps, with its section, name and default, read and
// written through the typed accessors below. Values whose default depends on
// the machine (the screen, the program folder) have functions of their own.

struct IntSetting {
  QStringView section;
  QStringView name;
  std::uint32_t def;
};

struct StringSetting {
  QStringView section;
  QStringView name;
  QStringView def;
};

std::uint32_t ReadSetting(const CSettingsStore& store, const IntSetting& s);
QString ReadSetting(const CSettingsStore& store, const StringSetting& s);
void WriteSetting(CSettingsStore& store, const IntSetting& s, std::uint32_t value);
void WriteSetting(CSettingsStore& store, const StringSetting& s, const QString& value);

namespace settings {

// Section System: behaviour.
inline constexpr IntSetting kCursorMove{u"System", u"CursorMove", 1};
inline constexpr IntSetting kCursorRightMove{u"System", u"CursorRightMove", 0};
inline constexpr IntSetting kIncreSearch{u"System", u"IncreSearch", 1};
inline constexpr IntSetting kOkFrame{u"System", u"OkFrame", 0};
inline constexpr IntSetting kPPCOpenDlg{u"System", u"PPCOpenDlg", 1};
inline constexpr IntSetting kPPCSaveDlg{u"System", u"PPCSaveDlg", 0};
inline constexpr IntSetting kSoftKeyMenu{u"System", u"SoftKeyMenu", 0};
inline constexpr IntSetting kFocusSkip{u"System", u"FocusSkip", 1};
inline constexpr IntSetting kComboInit{u"System", u"ComboInit", 1};
inline constexpr IntSetting kDefaultIme{u"System", u"DefaultIme", 0};
inline constexpr StringSetting kDefaultFile{u"System", u"DefaultFile", u""};
inline constexpr StringSetting kPpcFile{u"System", u"PpcFile", u""};
inline constexpr IntSetting kActivateNotify{u"System", u"ActivateNotify", 0};
inline constexpr StringSetting kLastTime{u"System", u"lasttime", u""};
inline constexpr IntSetting kCardAdd{u"System", u"CardAdd", 1};
// 1: the first start without a file offers the starting points of a new list;
// written 0 once they were offered.
inline constexpr IntSetting kStartChoice{u"System", u"StartChoice", 1};
inline constexpr IntSetting kIniCursor{u"System", u"IniCursor", 0};
// How many steps 元に戻す keeps; 0 turns undo off.
inline constexpr IntSetting kUndoSteps{u"System", u"UndoSteps", 20};
// How much memory (MiB) the undo steps may hold together; the newest step stays regardless.
inline constexpr IntSetting kUndoMemory{u"System", u"UndoMemory", 256};
inline constexpr IntSetting kMsCsvIn{u"System", u"MsCsvIn", 1};
// The form of a new card file: 1 the Microsoft-CSV form (line breaks inside
// quoted items, as spreadsheets write them), 0 the own form (escape characters).
inline constexpr IntSetting kNewFileForm{u"System", u"NewFileForm", 1};
inline constexpr IntSetting kCalcNull{u"System", u"CalcNull", 0};
inline constexpr IntSetting kItem{u"System", u"Item", 0};
inline constexpr IntSetting kISearch{u"System", u"ISearch", 0};
inline constexpr IntSetting kSearchMode{u"System", u"SearchMode", 0};
inline constexpr IntSetting kZSearch{u"System", u"ZSearch", 0};
inline constexpr IntSetting kHSearch{u"System", u"HSearch", 0};
inline constexpr IntSetting kKSearch{u"System", u"KSearch", 0};
inline constexpr IntSetting kItemPropSheet{u"System", u"ItemPropSheet", 0};
inline constexpr IntSetting kItemPropSheetList{u"System", u"ItemPropSheetList", 0};
// The code page of card files and templates without a byte-order mark: 932 or 65001.
inline constexpr IntSetting kCodePage{u"System", u"CodePage", 932};
// The holiday rules (HolidayRules in datetime/holiday.h): 0 the current law,
// 1 the classic rules, for files whose stored results must not change.
inline constexpr IntSetting kHolidayRules{u"System", u"HolidayRules", 0};

// Section View: layout.
inline constexpr IntSetting kMaxTate{u"View", u"MaxTate", 4};
inline constexpr IntSetting kItemPosMode{u"View", u"ItemPosMode", 1};
// 1 (the default here): the item fields take the window's width; 0 keeps the
// fixed layout, each field as wide as its text needs.
inline constexpr IntSetting kItemWidthMode{u"View", u"ItemWidthMode", 1};
inline constexpr IntSetting kCardMargin{u"View", u"CardMargin", 1};
inline constexpr IntSetting kLabelEditZero{u"View", u"LabelEditZero", 0};
inline constexpr IntSetting kCardScroll{u"View", u"CardScroll", 0};
inline constexpr IntSetting kStandard{u"View", u"Standard", 0};
inline constexpr IntSetting kItem1{u"View", u"Item1", 0};
inline constexpr IntSetting kKeyName{u"View", u"KeyName", 1};
inline constexpr IntSetting kSplPos{u"View", u"SplPos", 2};
inline constexpr IntSetting kRow{u"View", u"Row", 60};
inline constexpr IntSetting kColum{u"View", u"Colum", 260};
inline constexpr IntSetting kList{u"View", u"List", 1};

// Section Option.
inline constexpr IntSetting kViewList{u"Option", u"ViewList", 1};

// Section FileSelect.
inline constexpr IntSetting kFileSelectSortMode{u"FileSelect", u"SortMode", 0};
inline constexpr IntSetting kFileSelectSortItem{u"FileSelect", u"SortItem", 0};

// Section DateOpt: the date-time insertion format.
inline constexpr StringSetting kDateMark{u"DateOpt", u"Mark", u"/"};
inline constexpr IntSetting kDateYear{u"DateOpt", u"Year", 0};
inline constexpr IntSetting kDateMonth{u"DateOpt", u"Month", 1};
inline constexpr IntSetting kDateDay{u"DateOpt", u"Day", 1};
inline constexpr IntSetting kDateYear4{u"DateOpt", u"Year4", 0};
inline constexpr IntSetting kDateWeek{u"DateOpt", u"Week", 1};
inline constexpr IntSetting kDateNengo{u"DateOpt", u"Nengo", 0};
inline constexpr IntSetting kDateNengappi{u"DateOpt", u"Nengappi", 0};
inline constexpr IntSetting kDateHour{u"DateOpt", u"Hour", 0};
inline constexpr IntSetting kDateMinute{u"DateOpt", u"Minute", 0};
inline constexpr IntSetting kDateTimeKanji{u"DateOpt", u"TimeKanji", 0};
inline constexpr IntSetting kDateTime24{u"DateOpt", u"Time24", 1};
inline constexpr IntSetting kDateTimeAMPM{u"DateOpt", u"TimeAMPM", 0};

// Section Print, PFont and Label: print and label layout.
inline constexpr IntSetting kPrintKeisen{u"Print", u"Keisen", 0};
inline constexpr IntSetting kPrintSotowaku{u"Print", u"Sotowaku", 5};
inline constexpr IntSetting kPrintForm{u"Print", u"Form", 0};
inline constexpr StringSetting kPFontFaceName{u"PFont", u"FaceName", u"ＭＳ ゴシック"};
inline constexpr IntSetting kPFontSize{u"PFont", u"Size", 64};
inline constexpr IntSetting kPFontWeight{u"PFont", u"Weight", 400};
inline constexpr IntSetting kPFontItalic{u"PFont", u"Italic", 0};
inline constexpr IntSetting kPFontUnderline{u"PFont", u"Underline", 0};
inline constexpr IntSetting kLabelRow{u"Label", u"Row", 2};
inline constexpr IntSetting kLabelCol{u"Label", u"Col", 6};
inline constexpr IntSetting kLabelCy{u"Label", u"Cy", 33};
inline constexpr IntSetting kLabelYSpace{u"Label", u"YSpace", 5};
inline constexpr IntSetting kLabelCx{u"Label", u"Cx", 84};
inline constexpr IntSetting kLabelXSpace{u"Label", u"XSpace", 4};

// MRU: 7 on a screen taller than wide, else 10; read at the moment it is needed.
std::uint32_t ReadMru(const CSettingsStore& store, int screenWidth, int screenHeight);
void WriteMru(CSettingsStore& store, std::uint32_t count);

// Keycust: the key file loaded at start; by default "velum.key" in the program's folder.
QString ReadKeycust(const CSettingsStore& store, const QString& programFolder);

// InitDir: the first folder of the open and save dialogs; by default the user's
// documents folder.
QString ReadInitDir(const CSettingsStore& store);
void WriteInitDir(CSettingsStore& store, const QString& folder);

// lasttime: "%04d%02d%02d%02d%02d" of a local moment (twelve digits).
QString FormatLastTime(const QDateTime& local);
void WriteLastTime(CSettingsStore& store, const QDateTime& local);

// The font sections Font, Item, ItemFont and VListFont.
struct CFontRecord {
  QString faceName;
  std::uint32_t point = 10;
  std::uint32_t weight = 400;
  std::uint32_t italic = 0;
  std::uint32_t underline = 0;
  std::uint32_t charSet = 1;
  bool operator==(const CFontRecord&) const = default;
};
enum class FontSection { Font, Item, ItemFont, VListFont };
QString FontSectionName(FontSection s);
CFontRecord DefaultFont(FontSection s);
CFontRecord ReadFont(const CSettingsStore& store, FontSection s);
void WriteFont(CSettingsStore& store, FontSection s, const CFontRecord& font);
// The character height a font is made with: -(points * pixels per inch) / 72, toward zero.
int FontHeight(std::uint32_t point, int pixelsPerInchY);

// ColorDlg: the sixteen custom colours, stored as decimal texts ("%ld"); a text
// is read by its leading digits, anything else as 0. Default white (16777215).
std::uint32_t ReadCustomColor(const CSettingsStore& store, int index);
// Writes one custom colour (0 to 15) as its decimal text.
void WriteCustomColor(CSettingsStore& store, int index, std::uint32_t color);

// Search: the word history, "Str%02d" from 0 upward.
QString SearchHistoryName(int index);

// Recent File List: "File%d" from 1 to the MRU count.
QStringList ReadRecentFiles(const CSettingsStore& store, int count);
void WriteRecentFiles(CSettingsStore& store, const QStringList& files, int count);

// Keycust: the key file last loaded or saved.
void WriteKeycust(CSettingsStore& store, const QString& path);

}  // namespace settings
