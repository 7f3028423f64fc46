#pragma once

#include "app/starting_points.h"

#include <QDialog>

#include <vector>

class IPrompt;
class QLabel;
class QListWidget;
class QPlainTextEdit;

// 新規作成's choice of a starting point: 住所録, 年賀状リスト, 顧客名簿, 蔵書 or
// 空のファイル. A starting point shows its item names; 空のファイル takes the
// names typed one a line. OK with names that cannot make a list says why and
// stays open.
class CNewListDialog final : public QDialog {
 public:
  CNewListDialog(std::vector<CStartingPoint> points, IPrompt& prompt, QWidget* parent);
  CNewListDialog(const CNewListDialog&) = delete;
  CNewListDialog& operator=(const CNewListDialog&) = delete;

  // The items of the chosen starting point, or of the names typed; valid after accept.
  const std::vector<CStartingItem>& Items() const { return m_items; }
  // The chosen starting point's name.
  QString Chosen() const;

  void accept() override;

 private:
  void ShowPoint(int row);

  std::vector<CStartingPoint> m_points;
  IPrompt& m_prompt;
  QListWidget* m_list = nullptr;
  QLabel* m_namesLabel = nullptr;
  QPlainTextEdit* m_names = nullptr;
  QString m_typed;  // what was typed for 空のファイル, kept while another point is shown
  std::vector<CStartingItem> m_items;
};

namespace new_list_msg {
inline const QString kTitle = QStringLiteral("新しいリスト");
inline const QString kChoice = QStringLiteral("作るリスト(&L):");
inline const QString kItemsOfPoint = QStringLiteral("項目(&N):");
inline const QString kTypeNames = QStringLiteral("項目名を１行に１つずつ(&N):");
inline const QString kCreate = QStringLiteral("作成");
}  // namespace new_list_msg
