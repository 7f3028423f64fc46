#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class CPrintDocument;
class CPrintPageView;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

// 印刷プレビュー: one page of a print run at a time, drawn when it is shown,
// so that a long run opens at once; the page count follows once the pages are
// laid out. 設定 opens the layout's dialog and lays the run out again, 印刷
// prints it.
class CPrintPreviewDialog final : public QDialog {
  Q_OBJECT

 public:
  using Build = std::function<std::unique_ptr<CPrintDocument>()>;
  using Settings = std::function<bool(QWidget* parent)>;  // true when the layout changed
  using Print = std::function<void(QWidget* parent)>;

  CPrintPreviewDialog(const QString& title, Build build, Settings settings, Print print, bool narrow,
                      QWidget* parent = nullptr);
  ~CPrintPreviewDialog() override;
  CPrintPreviewDialog(const CPrintPreviewDialog&) = delete;
  CPrintPreviewDialog& operator=(const CPrintPreviewDialog&) = delete;

  int Page() const { return m_page; }
  int PageCount() const { return m_count; }
  // The run shown, as built last.
  const CPrintDocument& Document() const { return *m_doc; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rebuild();
  void CountPages();
  void GoTo(int page);
  void Fit();

  Build m_build;
  std::unique_ptr<CPrintDocument> m_doc;
  int m_page = 0;
  int m_count = 0;  // 0 until the pages are counted
  QPushButton* m_prev;
  QPushButton* m_next;
  QLabel* m_pageText;
  QComboBox* m_zoom;
  QScrollArea* m_scroll;
  CPrintPageView* m_view;
};
