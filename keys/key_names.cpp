#include "keys/key_names.h"

namespace {

std::vector<CKeyName> BuildKeyNames() {
  std::vector<CKeyName> t;
  t.reserve(78);
  for (std::uint32_t i = 1; i <= 12; ++i) t.push_back({111 + i, QStringLiteral("F%1").arg(i)});
  t.push_back({192, QStringLiteral("@")});
  for (char16_t c = u'A'; c <= u'Z'; ++c) t.push_back({std::uint32_t(c), QString(QChar(c))});
  const std::pair<std::uint32_t, const char16_t*> named[] = {
      {45, u"Insert"}, {46, u"Delete"},   {8, u"BackSpace"}, {13, u"Enter"}, {32, u"Space"},
      {33, u"PageUp"}, {34, u"PageDown"}, {35, u"End"},      {36, u"Home"},  {106, u"*"},
      {107, u"+"},     {109, u"-"},       {111, u"/"},       {38, u"Up"},    {40, u"Down"},
      {37, u"Left"},   {39, u"Right"},    {27, u"Escape"},   {9, u"Tab"}};
  for (const auto& [code, name] : named) t.push_back({code, QString::fromUtf16(name)});
  for (char16_t c = u'0'; c <= u'9'; ++c) t.push_back({std::uint32_t(c), QString(QChar(c))});
  for (char16_t c = u'0'; c <= u'9'; ++c)
    t.push_back({std::uint32_t(96 + (c - u'0')), QStringLiteral("NUMPAD") + QChar(c)});
  return t;
}

}  // namespace

const std::vector<CKeyName>& KeyNames() {
  static const std::vector<CKeyName> table = BuildKeyNames();
  return table;
}

QString KeyNameOf(std::uint32_t keyCode) {
  for (const CKeyName& k : KeyNames())
    if (k.keyCode == keyCode) return k.name;
  return {};
}

QString KeyLabel(std::uint32_t keyCode, bool alt, bool shift, bool ctrl) {
  QString label;
  if (alt) label += QStringLiteral("Alt+");
  if (shift) label += QStringLiteral("Shift+");
  if (ctrl) label += QStringLiteral("Ctrl+");
  return label + KeyNameOf(keyCode);
}
