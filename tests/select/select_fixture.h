#pragma once

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "support/test_support.h"

#include <QStringList>

#include <vector>

// A document whose items are named by `names` ("a|b|c") and whose cards are
// given one word each, their items split at '|'.
class SelectTest : public ::testing::Test {
 protected:
  void Open(const QString& names, const QStringList& cards) {
    QString text = Quote(names);
    for (const QString& c : cards) text += Quote(c);
    w.WriteFile(QStringLiteral("f.csv"), Sjis(text));
    ASSERT_TRUE(doc.OnOpenDocument(w.Path(QStringLiteral("f.csv"))));
    doc.AddView(&view);
  }
  // A document of the items id and v afresh, a card x|text for each text.
  void OpenValues(const QStringList& texts) {
    doc.OnNewDocument();
    doc.RemoveView(&view);
    QStringList cards;
    for (const QString& t : texts) cards << QStringLiteral("x|") + t;
    Open(QStringLiteral("id|v"), cards);
  }
  // The given item of every visible card, in visible order.
  QStringList Visible(int item = 0) const {
    QStringList out;
    for (int n = 0; n < doc.VisibleCount(); ++n) out << doc.Store().GetItemText(n, item).toString();
    return out;
  }
  // The given item of every card, in all-cards order.
  QStringList All(int item = 0) const {
    QStringList out;
    for (int k = 0; k < doc.Store().AllCount(); ++k) out << doc.Store().AllCard(k)->Item(item).toString();
    return out;
  }
  // Hides the cards whose first item is one of `names`.
  void Hide(const QStringList& names) {
    for (int k = 0; k < doc.Store().AllCount(); ++k)
      if (names.contains(doc.Store().AllCard(k)->Item(0).toString())) doc.Store().AllCard(k)->SetVisible(false);
    doc.Store().RebuildVisible();
  }
  QStringList Shown() const { return w.prompt.Texts(); }

  CTestWorld w;
  CVelumDoc doc{*w.services};
  CRecordingView view;

 private:
  static QString Quote(const QString& line) {
    return u'"' + line.split(u'|').join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
  }
};
