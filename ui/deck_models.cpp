#include "ui/deck_models.h"

#include "core/velum_doc.h"

QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(u'\n', u' ');
  return text;
}

CItemValueModel::CItemValueModel(CVelumDoc& doc, QObject* parent)
    : QAbstractListModel(parent), m_doc(doc), m_rows(doc.VisibleCount()) {}

int CItemValueModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

QVariant CItemValueModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_doc.VisibleCount()) return {};
  return OneLine(m_doc.Store().GetItemValue(index.row(), m_item));
}

void CItemValueModel::SetItem(int item) {
  m_item = item;
  Refresh(false);
}

void CItemValueModel::Refresh(bool reset) {
  if (reset || m_rows != m_doc.VisibleCount()) {
    beginResetModel();
    m_rows = m_doc.VisibleCount();
    endResetModel();
  } else if (m_rows > 0) {
    Q_EMIT dataChanged(index(0), index(m_rows - 1), {Qt::DisplayRole});
  }
}

CCardTableModel::CCardTableModel(CVelumDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_rows(doc.VisibleCount()), m_columns(doc.ItemCount()) {}

int CCardTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }
int CCardTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant CCardTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_doc.VisibleCount() ||
      index.column() >= m_doc.ItemCount())
    return {};
  return OneLine(m_doc.Store().GetItemValue(index.row(), index.column()));
}

QVariant CCardTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section < m_doc.ItemCount() ? m_doc.Store().Item(section).toString() : QVariant();
}

void CCardTableModel::Refresh(bool reset) {
  if (reset || m_rows != m_doc.VisibleCount() || m_columns != m_doc.ItemCount()) {
    beginResetModel();
    m_rows = m_doc.VisibleCount();
    m_columns = m_doc.ItemCount();
    endResetModel();
  } else if (m_rows > 0 && m_columns > 0) {
    Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1), {Qt::DisplayRole});
  }
}
