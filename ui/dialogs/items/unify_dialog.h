#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

// 項目内容の統一: the items with one chosen, and the text "内容(&W)" that the
// chosen item is to get on every shown card. The caller reads Item() and Text()
// after exec() and runs UnifyItem.
class CUnifyDialog final : public QDialog {
  Q_OBJECT

 public:
  CUnifyDialog(const QStringList& items, int current, QWidget* parent = nullptr);
  CUnifyDialog(const CUnifyDialog&) = delete;
  CUnifyDialog& operator=(const CUnifyDialog&) = delete;

  int Item() const;
  QString Text() const;

 private:
  QComboBox* m_items;
  QLineEdit* m_text;
};
