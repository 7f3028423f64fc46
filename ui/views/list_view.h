#pragma once

#include "core/velum_doc.h"

#include <QHash>
#include <QTableView>

#include <cstdint>
#include <vector>

class IViewHost;
class CCardTableModel;

// The list: every visible card as a row, every item as a column, shown in
// place of the splitter. Opening a row goes back to the card on that card.
class CListView final : public QTableView, public IDocView {
  Q_OBJECT

 public:
  explicit CListView(IViewHost& host, QWidget* parent = nullptr);
  ~CListView() override;

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;
  std::vector<int> SelectedCards() const override;
  void InitialUpdate();
  // The commands the list carries out; false for any other.
  bool OnCommand(std::uint32_t id);
  CCardTableModel& Model() { return *m_model; }
  // A click on column's heading: sorts the cards by its item through the sort
  // command, by number where its values are numbers; the same heading again
  // reverses the order.
  void SortByHeading(int column);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectCurrent();
  void SizeColumns();
  void OpenRow(int row);

  IViewHost& m_host;
  CVelumDoc& m_doc;
  CCardTableModel* m_model;
  std::vector<bool> m_numeric;  // by column, from the sampled rows
  // Widths the user gave by dragging, by item name: no refresh measures them anew.
  QHash<QString, int> m_userWidths;
  bool m_sizing = false;
  bool m_headingPressed = false;
  bool m_selecting = false;  // the row follows the document, not the other way
  int m_sortColumn = -1;
  bool m_sortDescending = false;
};
