#pragma once

#include "app/card_layout.h"
#include "core/velum_doc.h"

#include <QFont>
#include <QJsonArray>
#include <QPointer>
#include <QScrollArea>

#include <cstdint>
#include <vector>

class CJapaneseCardInput;
class IViewHost;
class CVelumEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QScrollBar;

// The card view: one card of the document as a form of item names and fields,
// laid out by LayoutCard; it stores what was typed back into the card.
class CCardView final : public QScrollArea, public IDocView {
  Q_OBJECT

 public:
  explicit CCardView(IViewHost& host, QWidget* parent = nullptr);
  ~CCardView() override;

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;
  void StoreCard() override;

  // After a new document: lay out the controls and show the current card.
  void InitialUpdate();
  void RebuildCard();
  void RepositionCard();
  void ShowCard();
  void ShowItem(int item);
  // The commands this view carries out; false for any other.
  bool OnCommand(std::uint32_t id);
  // The item whose control has the focus, or -1.
  int FocusedItem() const;
  void FocusItem(int item);
  // The first item that is neither a formula nor linked (0 when all are).
  void FocusFirstInputItem();
  QWidget* ItemControl(int item) const;
  bool Standard() const { return m_standard; }
  void SetSingleLine(bool on);
  // The margin settings of the settings sheet; the next layout uses them.
  void SetMarginSettings(bool cardMargin, bool labelEditZero);
  // Replaces the selection of the focused (or last focused) item with text.
  void InsertText(const QString& text);
  // The controls for automation: id, item, kind, x, y, w, h, text.
  QJsonArray LayoutJson() const;

  // The item controls call these.
  void OnItemFocusIn(int item);
  void OnItemFocusOut(int item);
  void NextItem();
  void PreviousItem();
  void ContextMenuAt(const QPoint& globalPos);
  IViewHost& Host() const { return m_host; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Control {
    QLabel* label = nullptr;
    QWidget* widget = nullptr;  // CVelumEdit, QComboBox or QCheckBox
    CVelumEdit* edit = nullptr;  // the edit, or null for a check box
    QComboBox* combo = nullptr;
    QCheckBox* check = nullptr;
    ControlKind kind = ControlKind::Edit;
  };
  void ReadFonts();
  std::vector<CLayoutItem> LayoutItems() const;
  CLayoutSettings LayoutSettingsNow() const;
  CCardLayout ComputeLayout() const;
  void ApplyColours(int item, Control& c);
  void DestroyControls();
  void BuildCard();
  void PlaceControls(const CCardLayout& layout);
  bool IsInputFree(int item) const;
  void LineBreak();
  void ChooseFont(bool nameFont);
  void OpenAsFile();
  void InsertDateNow();
  QString ControlText(const Control& c) const;
  void RefreshDependents(int item);
  void SyncCardBar();

  IViewHost& m_host;
  CVelumDoc& m_doc;
  QWidget* m_form;
  std::vector<Control> m_controls;
  QFont m_contentFont;
  QFont m_nameFont;
  bool m_standard = false;
  bool m_singleLine = false;
  bool m_cardMargin = true;
  bool m_labelEditZero = false;
  bool m_cardScroll = false;
  QScrollBar* m_cardBar = nullptr;  // card-scroll mode: selects the card
  bool m_built = false;
  bool m_storing = false;
  // Readings and addresses filled after a store (a child of the view).
  CJapaneseCardInput* m_japanese = nullptr;
  int m_laidOutWidth = -1;
  int m_laidOutHeight = -1;
  int m_lastFocused = -1;
  CItemLineCounts m_lineCounts;
};
