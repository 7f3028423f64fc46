#pragma once

#include "core/velum_doc.h"

#include <QTableView>

#include <cstdint>

class CVelumApp;
class CCardTableModel;

// The list: every visible card as a row, every item as a column, shown in
// place of the splitter. Opening a row goes back to the card on that card.
class CListView final : public QTableView, public IDocView {
  Q_OBJECT

 public:
  explicit CListView(CVelumApp& app, QWidget* parent = nullptr);
  ~CListView() override;

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;
  std::vector<int> SelectedCards() const override;
  void InitialUpdate();
  // The commands the list carries out; false for any other.
  bool OnCommand(std::uint32_t id);
  CCardTableModel& Model() { return *m_model; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void SelectCurrent();
  void SizeColumns();
  void OpenRow(int row);

  CVelumApp& m_app;
  CVelumDoc& m_doc;
  CCardTableModel* m_model;
};
