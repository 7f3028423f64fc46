#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// The choice when a postal code has several addresses (住所の選択) or an
// address several codes (郵便番号の選択): one line each, the first chosen.
// The caller reads Chosen() after exec(): the index, or -1 when nothing is.
class CPostalChoiceDialog final : public QDialog {
  Q_OBJECT

 public:
  CPostalChoiceDialog(const QString& title, const QStringList& choices, QWidget* parent = nullptr);
  CPostalChoiceDialog(const CPostalChoiceDialog&) = delete;
  CPostalChoiceDialog& operator=(const CPostalChoiceDialog&) = delete;

  int Chosen() const;

 private:
  QListWidget* m_list;
};

// Opens the dialog fitted to the screen; the index chosen or -1.
int ChoosePostal(const QString& title, const QStringList& choices, const QSize& screen, QWidget* parent);
