#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>

#include <vector>

class CVelumDoc;

// Models over the visible cards: they read each value when a row is drawn and
// hold no copy of the deck. Refresh() tells the views what changed: a reset
// only when the number of rows did (a reset drops the selection).

// One item's value on every visible card: the item list's lines.
class CItemValueModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit CItemValueModel(CVelumDoc& doc, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  int Item() const { return m_item; }
  void SetItem(int item);
  void Refresh(bool reset);

 private:
  CVelumDoc& m_doc;
  int m_item = 0;
  int m_rows = 0;
};

// Every item of every visible card: the list's rows.
class CCardTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CCardTableModel(CVelumDoc& doc, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void Refresh(bool reset);
  // Columns whose values are numbers are right-aligned (by column).
  void SetRightAligned(std::vector<bool> right) { m_right = std::move(right); }
  bool RightAligned(int column) const {
    return column >= 0 && column < int(m_right.size()) && m_right[std::size_t(column)];
  }

 private:
  CVelumDoc& m_doc;
  int m_rows = 0;
  int m_columns = 0;
  std::vector<bool> m_right;
};

// The most characters a row shows of one value: more than the widest column
// can hold, and a value of megabytes is never copied, measured or shaped whole.
inline constexpr qsizetype kMaxShownChars = 1000;

// A text longer than kMaxShownChars cut there (never inside a surrogate pair
// or a line break) and ended in "…".
QString Shortened(QStringView text);
// A value as one line, shortened: line breaks shown as blanks.
QString OneLine(QString text);
