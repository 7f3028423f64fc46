#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class CPostcardCardView;
class CPostcardDocument;
class QLabel;
class QPushButton;

// はがき宛名印刷: the postcards of the run card by card, as they will print
// on the card (its edge and boxes drawn in), with what is wrong with the card
// shown beneath. 設定 opens the postcard settings and lays the run out again,
// 印刷 prints it.
class CPostcardPrintDialog final : public QDialog {
  Q_OBJECT

 public:
  using Build = std::function<std::unique_ptr<CPostcardDocument>()>;
  using Settings = std::function<bool(QWidget* parent)>;  // true when the settings changed
  using Print = std::function<void(QWidget* parent)>;

  CPostcardPrintDialog(Build build, Settings settings, Print print, bool narrow, QWidget* parent = nullptr);
  ~CPostcardPrintDialog() override;
  CPostcardPrintDialog(const CPostcardPrintDialog&) = delete;
  CPostcardPrintDialog& operator=(const CPostcardPrintDialog&) = delete;

  int Page() const { return m_page; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Rebuild();
  void GoTo(int page);

  Build m_build;
  std::unique_ptr<CPostcardDocument> m_doc;
  int m_page = 0;
  QPushButton* m_prev;
  QPushButton* m_next;
  QLabel* m_pageText;
  QLabel* m_problem;
  CPostcardCardView* m_view;
};
