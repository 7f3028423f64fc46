#include "ui/views/deck_models.h"

#include "core/velum_doc.h"
#include "records/item_property.h"

namespace {

// The value a row shows. A stored text is read as a view and only its
// beginning copied; a computed one is computed as the store computes it.
QString ShownValue(const CCardStore& store, int card, int item) {
  const CCardRow* row = store.VisibleCard(card);
  if (!row || item < 0 || item >= store.ItemCount()) return {};
  if (IsFormulaOrLinked(store.Property(item))) return OneLine(store.GetItemValue(card, item));
  return OneLine(row->Item(item).left(kMaxShownChars + 1).toString());
}

}  // namespace

QString Shortened(QStringView text) {
  if (text.size() <= kMaxShownChars) return text.toString();
  qsizetype cut = kMaxShownChars;
  if (text[cut - 1].isHighSurrogate() || text[cut - 1] == u'\r') --cut;
  return text.left(cut).toString() + QStringLiteral("…");
}

QString OneLine(QString text) {
  if (text.size() > kMaxShownChars) text = Shortened(text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(u'\n', u' ');
  return text;
}

CItemValueModel::CItemValueModel(CVelumDoc& doc, QObject* parent)
    : QAbstractListModel(parent), m_doc(doc), m_rows(doc.VisibleCount()) {}

int CItemValueModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

QVariant CItemValueModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_doc.VisibleCount()) return {};
  return ShownValue(m_doc.Store(), index.row(), m_item);
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
  if (role == Qt::TextAlignmentRole && index.isValid())
    return QVariant::fromValue(Qt::AlignVCenter | (RightAligned(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_doc.VisibleCount() ||
      index.column() >= m_doc.ItemCount())
    return {};
  return ShownValue(m_doc.Store(), index.row(), index.column());
}

QVariant CCardTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section < m_doc.ItemCount() ? Shortened(m_doc.Store().Item(section)) : QVariant();
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
