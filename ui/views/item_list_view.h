#pragma once

#include "core/velum_doc.h"
#include "select/find.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class IViewHost;
class CIncrementalSearchWindow;
class CItemValueModel;
class QComboBox;
class QListView;

// Pane 0: the item chooser and the list of the chosen item's value on every
// visible card; selecting a line makes that card current.
class CItemListView final : public QWidget, public IDocView {
  Q_OBJECT

 public:
  explicit CItemListView(IViewHost& host, QWidget* parent = nullptr);
  ~CItemListView() override;

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;
  std::vector<int> SelectedCards() const override;
  bool IsItemList() const override { return true; }

  void InitialUpdate();
  int ListedItem() const;
  // Shows the current card's line anew (after an edit the list has not seen).
  void RefreshCurrentLine();
  bool ValueListHasFocus() const;
  void FocusChooser();
  void FocusValueList();
  // The font command with the value list focused: the font of the item list.
  void ChooseListFont();
  QComboBox& Chooser() { return *m_chooser; }
  QListView& ValueList() { return *m_values; }
  CItemValueModel& Model() { return *m_model; }
  // Opens the incremental-search window with text, or, when it is open
  // already, appends text to its text.
  void OpenIncrementalSearch(const QString& text);
  // The open incremental-search window, else null.
  CIncrementalSearchWindow* SearchWindow() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void FillChooser();
  void SelectCurrent(bool centre);
  void OnLineChosen(int row);
  // A character typed into the value list feeds the incremental search.
  bool TypeIntoSearch(const QString& text);


  IViewHost& m_host;
  CVelumDoc& m_doc;
  QComboBox* m_chooser;
  QListView* m_values;
  CItemValueModel* m_model;
  bool m_selecting = false;
  bool m_increSearch;
  CIncrementalSearch m_search;
  QPointer<CIncrementalSearchWindow> m_searchWindow;
};
