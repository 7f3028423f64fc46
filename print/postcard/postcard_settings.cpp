#include "print/postcard/postcard_settings.h"

#include "print/postcard/postcard_geometry.h"
#include "settings/settings.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr StringSetting kCodeItem{u"Postcard", u"CodeItem", u""};
constexpr StringSetting kAddress1Item{u"Postcard", u"Address1Item", u""};
constexpr StringSetting kAddress2Item{u"Postcard", u"Address2Item", u""};
constexpr StringSetting kNameItem{u"Postcard", u"NameItem", u""};
constexpr StringSetting kFamilyItem{u"Postcard", u"FamilyItem", u""};
constexpr StringSetting kGivenItem{u"Postcard", u"GivenItem", u""};
constexpr StringSetting kJointItem{u"Postcard", u"JointItem", u""};
constexpr StringSetting kHonorificItem{u"Postcard", u"HonorificItem", u""};
constexpr StringSetting kCompanyItem{u"Postcard", u"CompanyItem", u""};
constexpr StringSetting kDepartmentItem{u"Postcard", u"DepartmentItem", u""};
constexpr StringSetting kHonorific{u"Postcard", u"Honorific", u"様"};
constexpr IntSetting kUseHonorificItem{u"Postcard", u"UseHonorificItem", 1};
constexpr IntSetting kCompanyOnchu{u"Postcard", u"CompanyOnchu", 1};
constexpr IntSetting kNumerals{u"Postcard", u"Numerals", 0};
constexpr IntSetting kHyphen{u"Postcard", u"Hyphen", 0};
constexpr StringSetting kFace{u"Postcard", u"FaceName", u"Noto Serif CJK JP"};
constexpr IntSetting kSender{u"Postcard", u"Sender", 0};
constexpr StringSetting kSenderName{u"Postcard", u"SenderName", u""};
constexpr StringSetting kSenderAddress1{u"Postcard", u"SenderAddress1", u""};
constexpr StringSetting kSenderAddress2{u"Postcard", u"SenderAddress2", u""};
constexpr StringSetting kSenderCode{u"Postcard", u"SenderCode", u""};
constexpr StringSetting kSenderBoxes{u"Postcard", u"SenderBoxes", u""};
// Offsets are stored as signed 32-bit words.
constexpr IntSetting kOffsetX{u"Postcard", u"OffsetX", 0};
constexpr IntSetting kOffsetY{u"Postcard", u"OffsetY", 0};
constexpr StringSetting kMark{u"Postcard", u"Mark", u"○"};

int ReadOffset(const CSettingsStore& store, const IntSetting& s) {
  return std::clamp(int(std::int32_t(ReadSetting(store, s))), -kMaxPostcardOffset, kMaxPostcardOffset);
}

}  // namespace

QString FormatSenderBoxes(const CSenderBoxes& boxes) {
  QStringList parts;
  for (int left : boxes.left) parts << QString::number(left);
  parts << QString::number(boxes.top) << QString::number(boxes.width) << QString::number(boxes.height);
  return parts.join(u',');
}

CSenderBoxes ParseSenderBoxes(const QString& text) {
  const QStringList parts = text.split(u',');
  if (parts.size() != 10) return {};
  std::array<int, 10> v{};
  for (int i = 0; i < 10; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok || v[i] < 0) return {};
  }
  CSenderBoxes boxes;
  std::copy_n(v.begin(), 7, boxes.left.begin());
  boxes.top = v[7];
  boxes.width = v[8];
  boxes.height = v[9];
  const bool inside = boxes.width > 0 && boxes.height > 0 && boxes.top + boxes.height <= kCardHeight &&
                      std::all_of(boxes.left.begin(), boxes.left.end(),
                                  [&](int left) { return left + boxes.width <= kCardWidth; });
  return inside ? boxes : CSenderBoxes{};
}

CPostcardSettings ReadPostcardSettings(const CSettingsStore& store) {
  CPostcardSettings s;
  s.codeItem = ReadSetting(store, kCodeItem);
  s.address1Item = ReadSetting(store, kAddress1Item);
  s.address2Item = ReadSetting(store, kAddress2Item);
  s.nameItem = ReadSetting(store, kNameItem);
  s.familyItem = ReadSetting(store, kFamilyItem);
  s.givenItem = ReadSetting(store, kGivenItem);
  s.jointItem = ReadSetting(store, kJointItem);
  s.honorificItem = ReadSetting(store, kHonorificItem);
  s.companyItem = ReadSetting(store, kCompanyItem);
  s.departmentItem = ReadSetting(store, kDepartmentItem);
  s.honorific = ReadSetting(store, kHonorific);
  s.useHonorificItem = ReadSetting(store, kUseHonorificItem) != 0;
  s.companyOnchu = ReadSetting(store, kCompanyOnchu) != 0;
  s.numerals = ReadSetting(store, kNumerals) == 1 ? NumeralStyle::kPlace : NumeralStyle::kDigits;
  s.hyphen = ReadSetting(store, kHyphen) == 1 ? HyphenStyle::kNo : HyphenStyle::kBar;
  s.face = ReadSetting(store, kFace).trimmed();
  if (s.face.isEmpty()) s.face = kFace.def.toString();
  s.sender = ReadSetting(store, kSender) != 0;
  s.senderName = ReadSetting(store, kSenderName);
  s.senderAddress1 = ReadSetting(store, kSenderAddress1);
  s.senderAddress2 = ReadSetting(store, kSenderAddress2);
  s.senderCode = ReadSetting(store, kSenderCode);
  s.senderBoxes = ParseSenderBoxes(ReadSetting(store, kSenderBoxes));
  s.offsetX = ReadOffset(store, kOffsetX);
  s.offsetY = ReadOffset(store, kOffsetY);
  s.mark = ReadSetting(store, kMark);
  return s;
}

void WritePostcardSettings(CSettingsStore& store, const CPostcardSettings& s) {
  WriteSetting(store, kCodeItem, s.codeItem);
  WriteSetting(store, kAddress1Item, s.address1Item);
  WriteSetting(store, kAddress2Item, s.address2Item);
  WriteSetting(store, kNameItem, s.nameItem);
  WriteSetting(store, kFamilyItem, s.familyItem);
  WriteSetting(store, kGivenItem, s.givenItem);
  WriteSetting(store, kJointItem, s.jointItem);
  WriteSetting(store, kHonorificItem, s.honorificItem);
  WriteSetting(store, kCompanyItem, s.companyItem);
  WriteSetting(store, kDepartmentItem, s.departmentItem);
  WriteSetting(store, kHonorific, s.honorific);
  WriteSetting(store, kUseHonorificItem, s.useHonorificItem ? 1 : 0);
  WriteSetting(store, kCompanyOnchu, s.companyOnchu ? 1 : 0);
  WriteSetting(store, kNumerals, std::uint32_t(s.numerals));
  WriteSetting(store, kHyphen, std::uint32_t(s.hyphen));
  WriteSetting(store, kFace, s.face);
  WriteSetting(store, kSender, s.sender ? 1 : 0);
  WriteSetting(store, kSenderName, s.senderName);
  WriteSetting(store, kSenderAddress1, s.senderAddress1);
  WriteSetting(store, kSenderAddress2, s.senderAddress2);
  WriteSetting(store, kSenderCode, s.senderCode);
  WriteSetting(store, kSenderBoxes, FormatSenderBoxes(s.senderBoxes));
  WriteSetting(store, kOffsetX, std::uint32_t(std::int32_t(std::clamp(s.offsetX, -kMaxPostcardOffset, kMaxPostcardOffset))));
  WriteSetting(store, kOffsetY, std::uint32_t(std::int32_t(std::clamp(s.offsetY, -kMaxPostcardOffset, kMaxPostcardOffset))));
  WriteSetting(store, kMark, s.mark);
}
