#include "formula/formula_text.h"

#include "platform/text_util.h"

namespace {

// The keyword letters are capitals; text letters match them through their
// simple upper case, as CharUpper maps them.
bool SameLetter(QChar textChar, QChar keywordChar) {
  if (textChar == keywordChar) return true;
  const char16_t c = textChar.unicode();
  if (c < 0x80) return c >= u'a' && c <= u'z' && char16_t(c - 0x20) == keywordChar.unicode();
  return textChar.toUpper() == keywordChar;
}

}  // namespace

qsizetype FindCall(QStringView text, QStringView keyword) {
  const qsizetype n = keyword.size();
  for (qsizetype open = text.indexOf(u'(', n); open >= 0; open = text.indexOf(u'(', open + 1)) {
    qsizetype k = 0;
    while (k < n && SameLetter(text[open - n + k], keyword[k])) ++k;
    if (k == n) return open - n;
  }
  return -1;
}

bool EqualsKeyword(QStringView text, QStringView keyword) {
  if (text.size() != keyword.size()) return false;
  for (qsizetype k = 0; k < text.size(); ++k)
    if (!SameLetter(text[k], keyword[k])) return false;
  return true;
}

qsizetype ClosingParen(QStringView text, qsizetype open) {
  int depth = 0;
  for (qsizetype i = open; i < text.size(); ++i) {
    if (text[i] == u'(') {
      ++depth;
    } else if (text[i] == u')') {
      if (--depth == 0) return i;
    }
  }
  return -1;
}

QStringList SplitArguments(QStringView text) {
  QStringList args;
  int depth = 0;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'(') {
      ++depth;
    } else if (c == u')') {
      --depth;
    } else if (c == u',' && depth <= 0) {
      args << text.mid(start, i - start).toString();
      start = i + 1;
    }
  }
  args << text.mid(start).toString();
  return args;
}

QString UnwrapStr(QString text) {
  for (qsizetype at = text.indexOf(u"STR("); at >= 0; at = text.indexOf(u"STR(", at)) {
    const qsizetype close = ClosingParen(text, at + 3);
    if (close < 0) {
      text.remove(at, 4);
    } else {
      text.remove(close, 1);
      text.remove(at, 4);
    }
  }
  return text;
}

QString WrapStr(QStringView text) {
  QString out;
  out.reserve(text.size() + 5);
  out += u"STR(";
  out += text;
  out += u')';
  return out;
}

int LeadingInt(QStringView text) { return WcsToL(text); }
