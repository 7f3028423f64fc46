#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// 編集履歴の参照: the texts an item had on the shown cards, newest first. The
// caller reads the chosen text through Chosen() after exec(); false when
// nothing is chosen.
class CHistoryDialog final : public QDialog {
  Q_OBJECT

 public:
  CHistoryDialog(const QStringList& texts, QWidget* parent = nullptr);
  CHistoryDialog(const CHistoryDialog&) = delete;
  CHistoryDialog& operator=(const CHistoryDialog&) = delete;

  bool Chosen(QString* text) const;

 private:
  QStringList m_texts;
  QListWidget* m_list;
};
