#include "print/postcard/postcard_layout.h"

#include "print/postcard/address_break.h"
#include "print/postcard/postcard_code.h"
#include "print/postcard/postcard_geometry.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The addressee's address: columns from the right edge of the code boxes down.
constexpr double kAddressRight = 920;
constexpr double kAddressTop = 280;
constexpr double kAddressBottom = 1400;
constexpr double kAddressEm = 55;
constexpr double kMinAddressEm = 30;
constexpr double kColumnStep = 1.3;     // centre to centre, in ems
constexpr double kSecondIndent = 3;     // ems the second address item starts lower
// The name: one column down the middle, joint names to its left.
constexpr double kNameX = 500;
constexpr double kNameTop = 300;
constexpr double kNameBottom = 1400;
constexpr double kNameEm = 115;
constexpr double kMinNameEm = 40;
constexpr double kMaxPitch = 1.15;
constexpr double kCompanyEm = 45;
constexpr double kGapToName = 40;       // between the name and the columns at its right
// The code: digits in the boxes, or the text above them.
constexpr double kCodeEm = 60;
constexpr double kOddCodeEm = 40;
// The sender, at the lower left.
constexpr double kSenderTop = 650;
constexpr double kSenderEm = 35;
constexpr double kSenderNameEm = 50;
constexpr double kSenderGap = 25;       // between the sender's text and its boxes
constexpr double kSenderClearance = 30; // between the sender's block and the joint names

double Length(const IPostcardMeasure& m, const QString& text) { return text.isEmpty() ? 0 : m.VerticalLength(text); }

// The columns of an address text from the right edge leftward; each column
// of at most `height` at em. Answers the x of the next column's centre.
double AddressColumns(std::vector<CPostcardColumn>& out, const QString& text, const CPostcardSettings& s,
                      const IPostcardMeasure& m, double x, double top, double bottom, double em, PostcardPart part,
                      double indent = 0) {
  if (text.isEmpty()) return x;
  const CVerticalText vt = VerticalAddressText(text, s.numerals, s.hyphen);
  const double whole = m.VerticalLength(vt.text) * em;
  // A text that fits below the indent starts there; one that does not, higher.
  double start = top + std::clamp(bottom - top - whole, 0.0, indent * em);
  const QStringList cols = BreakAddress(vt, [&](QStringView t) { return m.VerticalLength(t) * em <= bottom - start; });
  if (cols.size() > 1) start = top;
  for (const QString& col : cols) {
    out.push_back({col, x, start, em, 1, part});
    x -= kColumnStep * em;
  }
  return x;
}

void CodeDigits(CPostcardLayout& layout, const CPostcardCode& code, const std::array<QRectF, 7>& boxes, double em) {
  for (int i = 0; i < 7; ++i) layout.digits.push_back({code.digits[i], boxes[i], em});
}

// The text of a code that fits no boxes, above the boxes from the first one's
// left edge, smaller when it is wider than the row of boxes.
void OddCode(CPostcardLayout& layout, const QString& text, const std::array<QRectF, 7>& boxes, double em,
             const IPostcardMeasure& m) {
  if (text.isEmpty()) return;
  const double room = boxes[6].right() - boxes[0].left();
  const double width = m.HorizontalWidth(text);
  if (width * em > room) em = std::max(10.0, room / width);
  layout.lines.push_back({text, QPointF(boxes[0].left(), boxes[0].top() - em * 1.25), em});
}

// The sender's block; answers its top (kCardHeight when nothing is printed).
double LayOutSender(CPostcardLayout& layout, const CPostcardSettings& s, const IPostcardMeasure& m) {
  if (!s.sender) return kCardHeight;
  const CSenderBoxes& b = s.senderBoxes;
  std::array<QRectF, 7> boxes;
  for (int i = 0; i < 7; ++i) boxes[i] = QRectF(b.left[i], b.top, b.width, b.height);
  const double bottom = b.top - kSenderGap;
  double x = boxes[6].right() - kSenderEm / 2;
  double top = kCardHeight;
  const std::size_t first = layout.columns.size();
  x = AddressColumns(layout.columns, s.senderAddress1.simplified(), s, m, x, kSenderTop, bottom, kSenderEm,
                     PostcardPart::kSender);
  x = AddressColumns(layout.columns, s.senderAddress2.simplified(), s, m, x, kSenderTop, bottom, kSenderEm,
                     PostcardPart::kSender, 2);
  const QString name = s.senderName.simplified();
  if (!name.isEmpty()) {
    double em = kSenderNameEm;
    const double length = m.VerticalLength(name);
    if (length * em > bottom - kSenderTop) em = std::max(10.0, (bottom - kSenderTop) / length);
    x -= (kSenderNameEm - kSenderEm) / 2;
    layout.columns.push_back({name, x, bottom - length * em, em, 1, PostcardPart::kSenderName});
  }
  for (std::size_t i = first; i < layout.columns.size(); ++i) top = std::min(top, layout.columns[i].top);
  const CPostcardCode code = ParsePostcardCode(s.senderCode);
  if (code.ok) {
    CodeDigits(layout, code, boxes, std::min(b.height * 0.7, b.width * 1.1));
    top = std::min(top, double(b.top));
  } else if (!code.text.isEmpty()) {
    layout.senderCodeOk = false;
    OddCode(layout, code.text, boxes, kSenderEm, m);
  }
  return top;
}

// The name block: the main name, its joint names to the left, the honorifics.
// Joint names keep clear of the sender's block (its top and right edge):
// beside it, the names moved right as far as the columns at their right
// (rightLimit) allow, or above it, whichever leaves the names larger.
void LayOutNames(CPostcardLayout& layout, const CPostcardAddress& a, const IPostcardMeasure& m, double senderTop,
                 double senderRight, double rightLimit) {
  const bool person = !a.name.family.isEmpty();
  CPostcardName main = a.name;
  if (!person) {
    main.family = a.department.isEmpty() ? a.company : a.department;
    if (main.family.isEmpty()) return;
  }
  const double family = Length(m, main.family);
  const double given = Length(m, main.given);
  // Where a joint name begins: level with the given name; a name without a
  // blank between its parts is taken to have a family name of two characters.
  double givenStart = family + 1;
  if (main.given.isEmpty()) givenStart = main.family.size() >= 3 ? m.VerticalLength(QStringView(main.family).first(2)) : family;
  double longest = given;
  double honorific = Length(m, main.honorific);
  for (const CPostcardName& j : a.joint) {
    longest = std::max(longest, Length(m, j.given));
    honorific = std::max(honorific, Length(m, j.honorific));
  }
  const double nameEnd = main.given.isEmpty() && a.joint.empty() ? family : std::max(family, givenStart + longest);
  const double total = nameEnd + (honorific > 0 ? 1 + honorific : 0);
  const auto emFor = [&](double bottom) { return std::max(kMinNameEm, std::min(kNameEm, (bottom - kNameTop) / total)); };
  double bottom = kNameBottom;
  double em = emFor(bottom);
  const double joints = double(a.joint.size());
  double nameX = kNameX;
  const double spread = kColumnStep * joints + 0.5;  // from the name's centre to the last joint name's left edge
  const double clear = senderRight + kSenderClearance;
  if (joints > 0 && senderTop < kNameBottom && nameX - spread * em < clear) {
    const double above = std::max(kNameTop + 300, senderTop - kSenderClearance);
    const double emAbove = emFor(above);
    const double emBeside = std::clamp((rightLimit - clear) / (spread + 0.5), kMinNameEm, em);
    if (emBeside >= emAbove) {
      em = emBeside;
      nameX = std::max(kNameX, clear + spread * em);
    } else {
      em = emAbove;
      bottom = above;
    }
  }
  const double room = bottom - kNameTop;
  // Room to spare spaces the parts apart (never the characters of a part,
  // which would no longer read as one word).
  const double unit = em * std::clamp(room / (total * em), 1.0, kMaxPitch);
  const auto column = [&](const QString& text, double x, double top, PostcardPart part) {
    if (!text.isEmpty()) layout.columns.push_back({text, x, top, em, 1, part});
  };
  const double end = kNameTop + total * unit;
  const auto honorificAt = [&](const QString& h) { return end - Length(m, h) * em; };
  column(main.family, nameX, kNameTop, PostcardPart::kName);
  column(main.given, nameX, kNameTop + givenStart * unit, PostcardPart::kName);
  column(main.honorific, nameX, honorificAt(main.honorific), PostcardPart::kHonorific);
  double x = nameX;
  for (const CPostcardName& j : a.joint) {
    x -= kColumnStep * em;
    column(j.given, x, kNameTop + givenStart * unit, PostcardPart::kJoint);
    column(j.honorific, x, honorificAt(j.honorific), PostcardPart::kJointHonorific);
  }
}

}  // namespace

CPostcardLayout LayOutPostcard(const CPostcardAddress& a, const CPostcardSettings& s, const IPostcardMeasure& m) {
  CPostcardLayout layout;
  std::array<QRectF, 7> boxes;
  for (int i = 0; i < 7; ++i) boxes[i] = CodeBox(i);
  const CPostcardCode code = ParsePostcardCode(a.code);
  if (code.ok) {
    CodeDigits(layout, code, boxes, kCodeEm);
  } else {
    layout.codeOk = false;
    OddCode(layout, code.text, boxes, kOddCodeEm, m);
  }

  // The columns at the right: the address, then the company above the
  // person's name; all set smaller while they would reach the name.
  const bool person = !a.name.family.isEmpty();
  const QString company = person ? a.company : (a.department.isEmpty() ? QString() : a.company);
  const QString department = person ? a.department : QString();
  double nameEm = kNameEm;
  for (double em = kAddressEm;; em = std::max(kMinAddressEm, em * 0.9)) {
    std::vector<CPostcardColumn> right;
    double x = kAddressRight - em / 2;
    x = AddressColumns(right, a.address1, s, m, x, kAddressTop, kAddressBottom, em, PostcardPart::kAddress);
    x = AddressColumns(right, a.address2, s, m, x, kAddressTop, kAddressBottom, em, PostcardPart::kAddress,
                       kSecondIndent);
    double left = right.empty() ? kAddressRight : right.back().x - em / 2;
    if (!company.isEmpty() || !department.isEmpty()) {
      const double cem = std::min(kCompanyEm, em);
      const double cx = left - (kColumnStep - 0.5) * em - cem / 2;
      const QString text = company.isEmpty() ? department
                                             : department.isEmpty() ? company : company + u"\u3000"_s + department;
      const double length = m.VerticalLength(text);
      const double size = std::min(cem, (kAddressBottom - kNameTop) / length);
      right.push_back({text, cx, kNameTop, size, 1, PostcardPart::kCompany});
      left = cx - size / 2;
    }
    if (left >= kNameX + nameEm / 2 + kGapToName || em <= kMinAddressEm) {
      layout.columns.insert(layout.columns.end(), right.begin(), right.end());
      break;
    }
  }

  double rightLimit = kAddressRight;
  for (const CPostcardColumn& c : layout.columns) rightLimit = std::min(rightLimit, c.x - c.em / 2 - kGapToName);
  const double senderTop = LayOutSender(layout, s, m);
  LayOutNames(layout, a, m, senderTop, s.senderBoxes.left[6] + s.senderBoxes.width, rightLimit);
  return layout;
}
