#pragma once

#include "print/postcard/postcard_address.h"
#include "print/postcard/postcard_settings.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <vector>

// Where everything on one postcard stands. Lengths in 0.1 mm from the card's
// top-left corner, before the printer offsets (the painter adds them).

// Measures text as the printer will set it, in units of the character size:
// the length of a vertical run (top to bottom) and the width of a horizontal one.
class IPostcardMeasure {
 public:
  virtual ~IPostcardMeasure() = default;
  virtual double VerticalLength(QStringView text) const = 0;
  virtual double HorizontalWidth(QStringView text) const = 0;
};

// One em per character either way: what a CJK face gives for kana and kanji.
class CSquareMeasure final : public IPostcardMeasure {
 public:
  double VerticalLength(QStringView text) const override { return double(text.size()); }
  double HorizontalWidth(QStringView text) const override { return double(text.size()); }
};

enum class PostcardPart { kAddress, kCompany, kName, kHonorific, kJoint, kJointHonorific, kSender, kSenderName };

// A run of text set vertically: characters one below the other, centred on x.
struct CPostcardColumn {
  QString text;
  double x = 0;      // the column's centre line
  double top = 0;    // the top of the first character's em box
  double em = 0;     // character size
  double pitch = 1;  // advances are stretched by this (letter spacing)
  PostcardPart part = PostcardPart::kAddress;
};

// One digit of a postal code, centred in its box.
struct CPostcardDigit {
  QChar digit;
  QRectF box;
  double em = 0;
};

// A line of text set horizontally from its top-left corner (a code that does
// not fit the boxes, printed as it stands).
struct CPostcardLine {
  QString text;
  QPointF topLeft;
  double em = 0;
};

struct CPostcardLayout {
  std::vector<CPostcardColumn> columns;  // part tells what each is
  std::vector<CPostcardDigit> digits;    // the addressee's code, then the sender's
  std::vector<CPostcardLine> lines;
  bool codeOk = true;       // the addressee's code went into its boxes (or there is none to print)
  bool senderCodeOk = true;
};

// Lays out one card: the code in its seven boxes (or as it stands above them),
// the address in columns at the right (the first address item first, the
// second in a column of its own further left and lower), the name large in
// the middle with its honorific, joint names to its left level with the
// given name and every honorific ending on one line, a company above-right of
// the person (or as the name, with 御中, when there is no person), and the
// sender from the settings at the lower left. Text that would not fit is set
// smaller, never cut.
CPostcardLayout LayOutPostcard(const CPostcardAddress& address, const CPostcardSettings& settings,
                               const IPostcardMeasure& measure);
