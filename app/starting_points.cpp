#include "app/starting_points.h"

#include "core/velum_doc.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Values of the item record as the property sheet stores them.
constexpr std::uint32_t kImeOff = 2;
constexpr std::uint32_t kMultiLineOn = 2;
constexpr std::uint32_t kCheckBox = 4;
// A check box stores "0" unticked: a new card holds it already, so that only
// a change marks the file changed.
const QString kUnchecked = QStringLiteral("0");

struct CItemSpec {
  const char16_t* name;
  enum Kind { kText, kNumberText, kMultiLine, kChoice, kCheck, kFormula } kind = kText;
  const char16_t* extra = nullptr;  // choices (comma-separated), check text or formula
};

CStartingItem MakeItem(const CItemSpec& s) {
  CStartingItem item{QString::fromUtf16(s.name), {}};
  CItemProperty& p = item.property;
  const QString extra = s.extra ? QString::fromUtf16(s.extra) : QString();
  switch (s.kind) {
    case CItemSpec::kText:
      return item;
    case CItemSpec::kNumberText:
      // Codes, numbers and dates are typed in half-width digits.
      p.m_imeMode = kImeOff;
      break;
    case CItemSpec::kMultiLine:
      p.m_multiLine = kMultiLineOn;
      break;
    case CItemSpec::kChoice:
      p.m_type = kItemChoice;
      p.m_choices = extra.split(u',');
      break;
    case CItemSpec::kCheck:
      p.m_type = kCheckBox;
      p.m_checkText = extra;
      p.m_initialValue = kUnchecked;
      break;
    case CItemSpec::kFormula:
      p.m_formula = extra;
      break;
  }
  p.m_set = 1;
  return item;
}

CStartingPoint MakePoint(const char16_t* name, const char16_t* description, std::initializer_list<CItemSpec> specs) {
  CStartingPoint point{QString::fromUtf16(name), QString::fromUtf16(description), {}};
  for (const CItemSpec& s : specs) point.items.push_back(MakeItem(s));
  return point;
}

// An age in whole years; empty while the birthday is, rather than an error,
// whether an empty reference reads as nothing or as 0 (System/CalcNull).
constexpr const char16_t* kAge = u"STR(IFS(%[誕生日]=,,IFS(%[誕生日]=0,,YEARS(%[誕生日]))))";

// One check box per year: this year's and the next year's cards.
void AddYearMarks(CStartingPoint& point, int year) {
  for (int y : {year, year + 1}) {
    CStartingItem item{QStringLiteral("%1年").arg(y), {}};
    item.property.m_type = kCheckBox;
    item.property.m_checkText = QStringLiteral("出した");
    item.property.m_initialValue = kUnchecked;
    item.property.m_set = 1;
    point.items.insert(point.items.end() - 1, item);
  }
}

}  // namespace

std::vector<CStartingPoint> StartingPoints(int year) {
  using S = CItemSpec;
  std::vector<CStartingPoint> points{
      MakePoint(u"住所録", u"氏名・住所・電話・メール・誕生日（年齢は自動で計算）",
                {{u"氏名"},
                 {u"ふりがな"},
                 {u"郵便番号", S::kNumberText},
                 {u"住所1"},
                 {u"住所2"},
                 {u"電話", S::kNumberText},
                 {u"携帯", S::kNumberText},
                 {u"メール", S::kNumberText},
                 {u"誕生日", S::kNumberText},
                 {u"年齢", S::kFormula, kAge},
                 {u"メモ", S::kMultiLine}}),
      MakePoint(u"年賀状リスト", u"はがきの宛名（連名・敬称つき）と、年ごとに出した・届いたの印",
                {{u"氏名"},
                 {u"ふりがな"},
                 {u"連名"},
                 {u"敬称", S::kChoice, u"様,御中,殿,先生"},
                 {u"郵便番号", S::kNumberText},
                 {u"住所1"},
                 {u"住所2"},
                 {u"喪中", S::kCheck, u"喪中"},
                 {u"メモ", S::kMultiLine}}),
      MakePoint(u"顧客名簿", u"会社・担当者・連絡先・区分・最終連絡日",
                {{u"会社名"},
                 {u"部署"},
                 {u"氏名"},
                 {u"ふりがな"},
                 {u"敬称", S::kChoice, u"様,御中,殿,先生"},
                 {u"郵便番号", S::kNumberText},
                 {u"住所1"},
                 {u"住所2"},
                 {u"電話", S::kNumberText},
                 {u"FAX", S::kNumberText},
                 {u"メール", S::kNumberText},
                 {u"区分", S::kChoice, u"見込み,取引中,休止"},
                 {u"最終連絡日", S::kNumberText},
                 {u"メモ", S::kMultiLine}}),
      MakePoint(u"蔵書", u"書名・著者・出版社・分類・置き場所・貸出",
                {{u"書名"},
                 {u"よみ"},
                 {u"著者"},
                 {u"出版社"},
                 {u"発行年", S::kNumberText},
                 {u"ISBN", S::kNumberText},
                 {u"分類", S::kChoice, u"小説,実用,専門書,漫画,雑誌,その他"},
                 {u"置き場所"},
                 {u"貸出先"},
                 {u"購入日", S::kNumberText},
                 {u"メモ", S::kMultiLine}}),
      CStartingPoint{kEmptyStartingPoint, QStringLiteral("項目名を１行に１つずつ入力して始めます"), {}},
  };
  AddYearMarks(points[1], year);
  return points;
}

std::optional<CStartingPoint> FindStartingPoint(const QString& name, int year) {
  for (CStartingPoint& p : StartingPoints(year))
    if (p.name == name) return std::move(p);
  return std::nullopt;
}

std::vector<CStartingItem> ItemsFromNames(const QStringList& names, QString* error) {
  std::vector<CStartingItem> items;
  QSet<QString> seen;
  for (const QString& raw : names) {
    const QString name = raw.trimmed();
    if (name.isEmpty()) continue;
    if (seen.contains(name)) {
      if (error) *error = start_msg::kTwice.arg(name);
      return {};
    }
    seen.insert(name);
    items.push_back({name, {}});
  }
  if (items.empty()) {
    if (error) *error = start_msg::kNoNames;
    return {};
  }
  if (int(items.size()) > kMaxItems) {
    if (error) *error = start_msg::kTooMany.arg(kMaxItems);
    return {};
  }
  return items;
}

std::vector<CStartingItem> ItemsFromLines(const QString& text, QString* error) {
  // A row copied from a spreadsheet is one line of names between tabs; a
  // line typed as "氏名,電話" is two names, as --items takes them.
  static const QRegularExpression separators(QStringLiteral("\r\n|[\r\n\t,]"));
  return ItemsFromNames(text.split(separators), error);
}

bool MakeNewList(CVelumDoc& doc, const std::vector<CStartingItem>& items) {
  if (items.empty() || int(items.size()) > kMaxItems) return false;
  doc.OnNewDocument();
  CItemNameRow row;
  row.MakeEmpty(int(items.size()));
  for (int i = 0; i < int(items.size()); ++i) {
    row.SetItem(i, items[std::size_t(i)].name);
    row.Property(i) = items[std::size_t(i)].property;
  }
  doc.Store().SetItemNames(row, true);
  return true;
}
