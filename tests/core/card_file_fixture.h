#pragma once

#include "core/card_store.h"

#include <QString>
#include <QStringList>

// What the card-file tests share: texts that stress the escapes, and a store
// made of them.

// Texts that stress the escapes: commas, quotes and their neighbours.
inline const QStringList kHardTexts = {
    QStringLiteral(",ああ"),     QStringLiteral("ああ,"),     QStringLiteral("\",いい"),    QStringLiteral("いい\","),
    QStringLiteral("\",\"うう"), QStringLiteral("うう\",\""), QStringLiteral(",\"ええ"),    QStringLiteral("ええ,\""),
    QStringLiteral("\"おお"),    QStringLiteral("おお\""),    QStringLiteral("\"\"かか"),   QStringLiteral("かか\"\""),
    QStringLiteral("き\"き"),    QStringLiteral("さ\"\"さ"),  QStringLiteral("せ\"\"\"せ"), QStringLiteral("く\",く"),
    QStringLiteral("け,\"け"),   QStringLiteral("し,,し"),    QStringLiteral("そ,,,そ"),    QStringLiteral("す,\"\"す"),
    QStringLiteral(""),          QStringLiteral("plain"),     QStringLiteral("行1\r\n行2"), QStringLiteral("\r\n"),
    QStringLiteral("\"\r\n\","),
};

// A store with one item per text and one card holding the texts, every item
// quoted or every item bare.
inline void FillStore(CCardStore& store, const QStringList& texts, bool quoted) {
  CItemNameRow names;
  names.MakeEmpty(int(texts.size()));
  for (int i = 0; i < texts.size(); ++i) {
    names.SetItem(i, QStringLiteral("n%1").arg(i));
    names.SetQuoted(i, quoted);
  }
  store.SetItemNames(names, true);
  for (int i = 0; i < texts.size(); ++i) {
    store.SetItemText(0, i, texts[i]);
    store.VisibleCard(0)->SetQuoted(i, quoted);
  }
}

inline QStringList Texts(const CCardRow& row) {
  QStringList out;
  for (int i = 0; i < row.ItemCount(); ++i) out << row.Item(i).toString();
  return out;
}
