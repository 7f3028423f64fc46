#include "app/open_item.h"

#include "core/velum_doc.h"

namespace {

const QString kBadReference = QStringLiteral("項目名が無効 または項目内容がありません");

bool IsLocalPartChar(QChar c) {
  static const QString extra = QStringLiteral("_!#$%&'()*+-/=?^{|}~.");
  return c.isLetterOrNumber() || extra.contains(c);
}

int ItemByName(const CCardStore& store, QStringView name) {
  for (int i = 0; i < store.ItemCount(); ++i)
    if (store.Item(i) == name) return i;
  return -1;
}

// The reference value of an item on the current card: its value as shown.
bool ReferenceValue(const CVelumDoc& doc, QStringView name, int currentItem, QString* value) {
  const CCardStore& store = doc.Store();
  const int item = name.isEmpty() ? currentItem : ItemByName(store, name);
  if (item < 0) return false;
  *value = store.GetItemValue(doc.CurrentCard(), item);
  return !value->isEmpty();
}

// Every "%[NAME]" of an item name replaced by that item's stored text.
QString ReplaceStoredTexts(const CVelumDoc& doc, QString text) {
  const CCardStore& store = doc.Store();
  for (int i = 0; i < store.ItemCount(); ++i) {
    const QString key = QStringLiteral("%[") + store.Item(i).toString() + u']';
    if (text.contains(key)) text.replace(key, store.GetItemText(doc.CurrentCard(), i).toString());
  }
  return text.remove(QStringLiteral("\r\n"));
}

}  // namespace

bool IsMailAddress(const QString& text) {
  const qsizetype at = text.indexOf(u'@');
  if (at < 0 || text.indexOf(u'.', at + 1) < 0) return false;
  for (qsizetype i = 0; i < at; ++i)
    if (!IsLocalPartChar(text[i])) return false;
  for (qsizetype i = at + 1; i < text.size(); ++i) {
    const QChar c = text[i];
    if (!c.isLetterOrNumber() && c != u'-' && c != u'.') return false;
  }
  return true;
}

COpenRequest BuildOpenRequest(const CVelumDoc& doc, int item) {
  COpenRequest out;
  QString text = doc.Store().GetItemText(doc.CurrentCard(), item).toString();
  text.remove(QStringLiteral("\r\n"));
  if (text.isEmpty()) return out;
  if (IsMailAddress(text)) {
    text = QStringLiteral("mailto:") + text;
  } else if (!text.contains(QStringLiteral("://"))) {
    if (!text.contains(u'/')) {
      const QString& path = doc.PathName();
      text = path.left(path.lastIndexOf(u'/') + 1) + text;
    }
    if (!text.startsWith(u'"')) text = u'"' + text + u'"';
  }

  const QString separator = text.startsWith(u'"') ? QStringLiteral("\" ") : QStringLiteral(" ");
  const qsizetype cut = text.indexOf(separator);
  QString file = cut < 0 ? text : text.left(cut);
  QString parameters = cut < 0 ? QString() : text.mid(cut + separator.size());
  if (file.startsWith(u'"')) file.remove(0, 1);
  if (cut < 0 && file.endsWith(u'"')) file.chop(1);

  if (parameters.contains(u'%')) {
    // A value put in is not searched again: one holding its own reference
    // would otherwise grow without end.
    qsizetype open, from = 0;
    while ((open = parameters.indexOf(QStringLiteral("%["), from)) >= 0) {
      const qsizetype close = parameters.indexOf(u']', open + 2);
      if (close < 0) break;
      const QString name = parameters.mid(open + 2, close - open - 2);
      QString value;
      if (!ReferenceValue(doc, name, item, &value)) {
        out.message = kBadReference;
        return out;
      }
      parameters.replace(open, close - open + 1, value);
      from = open + value.size();
    }
    const qsizetype percent = parameters.indexOf(u'%');
    if (percent >= 0) {
      const QString name = parameters.mid(percent + 1);
      QString value;
      if (!ReferenceValue(doc, name, item, &value)) {
        out.message = kBadReference;
        return out;
      }
      parameters.replace(u'%' + name, value);
    }
  }
  out.file = ReplaceStoredTexts(doc, file);
  out.parameters = ReplaceStoredTexts(doc, parameters);
  return out;
}
