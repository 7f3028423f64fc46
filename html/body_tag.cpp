#include "html/body_tag.h"

#include "platform/text_util.h"

namespace {

void AppendQuoted(QString& out, QStringView name, QStringView prefix, const QString& value) {
  if (value.isEmpty()) return;
  out += u' ';
  out += name;
  out += u"=\"";
  out += prefix;
  out += value;
  out += u'"';
}

// The value of the attribute name (upper case), or an empty text when the tag
// has no such attribute.
QString AttributeValue(QStringView text, QStringView upper, QStringView name) {
  const qsizetype at = upper.indexOf(QString(u' ' + name.toString()));
  if (at < 0) return {};
  qsizetype p = at + 1 + name.size();
  const qsizetype n = text.size();
  bool quoted = false;
  while (p < n && (text[p] == u' ' || text[p] == u'=')) ++p;
  if (p < n && text[p] == u'"') {
    quoted = true;
    ++p;
  }
  qsizetype end = -1;
  if (quoted) {
    end = text.indexOf(u'"', p);
    if (end < 0) end = text.indexOf(u' ', p);
    if (end < 0) end = text.indexOf(u'>', p);
  } else {
    // A bare value ends at the first blank or ">", even when a later attribute
    // is quoted.
    for (qsizetype i = p; i < n && end < 0; ++i)
      if (text[i] == u' ' || text[i] == u'>') end = i;
  }
  if (end < 0) end = n;
  QString value = text.mid(p, end - p).toString();
  if (value.startsWith(u'"')) value = value.mid(1, std::max<qsizetype>(value.size() - 2, 0));
  return value;
}

QString Colour(QString value) { return value.size() > 6 ? value.right(6) : value; }

}  // namespace

QString FormatBodyTag(const CBodyAttributes& a) {
  QString out = QStringLiteral("<BODY");
  AppendQuoted(out, u"BACKGROUND", u"", a.background);
  if (a.fixed) out += QStringLiteral(" BGPROPERTIES=FIXED");
  AppendQuoted(out, u"BGCOLOR", u"#", a.bgColor);
  AppendQuoted(out, u"TEXT", u"#", a.textColor);
  AppendQuoted(out, u"LINK", u"#", a.linkColor);
  AppendQuoted(out, u"VLINK", u"#", a.vlinkColor);
  AppendQuoted(out, u"ALINK", u"#", a.alinkColor);
  out += QStringLiteral(">\r\n");
  return out;
}

CBodyAttributes ParseBodyTag(QStringView text) {
  const QString upper = CharUpper(text);
  CBodyAttributes a;
  a.background = AttributeValue(text, upper, u"BACKGROUND");
  a.fixed = AttributeValue(text, upper, u"BGPROPERTIES") == u"FIXED";
  a.bgColor = Colour(AttributeValue(text, upper, u"BGCOLOR"));
  a.textColor = Colour(AttributeValue(text, upper, u"TEXT"));
  a.linkColor = Colour(AttributeValue(text, upper, u"LINK"));
  a.vlinkColor = Colour(AttributeValue(text, upper, u"VLINK"));
  a.alinkColor = Colour(AttributeValue(text, upper, u"ALINK"));
  a.set = true;
  return a;
}
