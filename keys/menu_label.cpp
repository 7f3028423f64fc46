#include "keys/menu_label.h"

namespace {

constexpr qsizetype kMaxMenuText = 255;

}  // namespace

QString SetMenuLabelText(const QString& entry, const std::optional<QString>& label) {
  const QString text = entry.left(kMaxMenuText);
  const qsizetype tab = text.indexOf(u'\t');
  if (!label) return tab < 0 ? text : text.left(tab);
  if (tab >= 0 && QStringView(text).mid(tab + 1) == *label) return text;
  return (tab < 0 ? text + u'\t' : text.left(tab + 1)) + *label;
}

QString UnlabelMenuText(const QString& entry) {
  const qsizetype tab = entry.indexOf(u'\t');
  return tab < 0 ? entry : entry.left(tab);
}
