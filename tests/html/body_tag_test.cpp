#include "html/body_tag.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

namespace {

CBodyAttributes Colours(QString bg, QString text = {}, QString link = {}, QString vlink = {}, QString alink = {}) {
  CBodyAttributes a;
  a.set = true;
  a.bgColor = std::move(bg);
  a.textColor = std::move(text);
  a.linkColor = std::move(link);
  a.vlinkColor = std::move(vlink);
  a.alinkColor = std::move(alink);
  return a;
}

}  // namespace

TEST(BodyTag, FormatWritesTheAttributesThatAreSet) {
  CBodyAttributes all = Colours(u"FFFFFF"_s, u"000000"_s, u"0000FF"_s, u"800080"_s, u"FF0000"_s);
  all.background = u"back.gif"_s;
  all.fixed = true;
  const std::pair<CBodyAttributes, QString> cases[] = {
      {CBodyAttributes{}, u"<BODY>\r\n"_s},
      {Colours(u"FFFFFF"_s), u"<BODY BGCOLOR=\"#FFFFFF\">\r\n"_s},
      {all,
       u"<BODY BACKGROUND=\"back.gif\" BGPROPERTIES=FIXED BGCOLOR=\"#FFFFFF\" TEXT=\"#000000\" LINK=\"#0000FF\""
       " VLINK=\"#800080\" ALINK=\"#FF0000\">\r\n"_s},
  };
  for (const auto& [attributes, tag] : cases) {
    EXPECT_EQ(FormatBodyTag(attributes), tag);
    EXPECT_EQ(ParseBodyTag(tag), (CBodyAttributes{true, attributes.background, attributes.fixed, attributes.bgColor,
                                                  attributes.textColor, attributes.linkColor, attributes.vlinkColor,
                                                  attributes.alinkColor}))
        << tag;
  }
}

TEST(BodyTag, ParseReadsTagsWrittenByHand) {
  CBodyAttributes fixed;
  fixed.set = true;
  fixed.fixed = true;
  fixed.background = u"a b.png"_s;
  const std::pair<QString, CBodyAttributes> cases[] = {
      {u"<body bgcolor=#00FF00 text=#000000>"_s, Colours(u"00FF00"_s, u"000000"_s)},
      {u"<BODY VLINK=\"#123456\" LINK=\"#654321\">"_s, Colours({}, {}, u"654321"_s, u"123456"_s)},
      {u"<body bgcolor = \"#abcdef\">"_s, Colours(u"abcdef"_s)},
      // A bare value ends at its blank even when a later value is quoted.
      {u"<body bgcolor=#00FF00 background=\"x.png\">"_s, [] {
         CBodyAttributes a = Colours(u"00FF00"_s);
         a.background = u"x.png"_s;
         return a;
       }()},
      {u"<body background=\"a b.png\" bgproperties=FIXED>"_s, fixed},
      {u"<body bgproperties=fixed>"_s, Colours({})},  // the value must be FIXED exactly
      {u"<body bgcolor=\"#FF0000"_s, Colours(u"FF0000"_s)},  // never closed
      {u"<body bgcolor=>"_s, Colours({})},
      {u"<body>"_s, Colours({})},
      {u""_s, Colours({})},
  };
  for (const auto& [tag, attributes] : cases) EXPECT_EQ(ParseBodyTag(tag), attributes) << tag;
}
