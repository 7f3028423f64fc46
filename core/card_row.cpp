#include "core/card_row.h"

#include <vector>

namespace {

// The texts of a row as they stood before a rebuild; the rebuild replaces the
// buffer, and the shared copy keeps the old one alive while it is read.
class CRowSnapshot {
 public:
  CRowSnapshot(const QString& text, const std::uint32_t* offsets, int count)
      : m_text(text), m_offsets(offsets ? offsets : nullptr, offsets ? offsets + count : nullptr) {}
  QStringView operator()(int k) const {
    const std::uint32_t b = m_offsets[k];
    const std::uint32_t e = (k + 1 < int(m_offsets.size()) ? m_offsets[k + 1] : std::uint32_t(m_text.size())) - 1;
    return QStringView(m_text).mid(b, e - b);
  }

 private:
  QString m_text;
  std::vector<std::uint32_t> m_offsets;
};

}  // namespace

CCardRow::CCardRow(const CCardRow& other)
    : m_text(other.m_text),
      m_count(other.m_count),
      m_quoted(other.m_quoted),
      m_visible(other.m_visible),
      m_mark(other.m_mark) {
  if (other.m_offsets && m_count > 0) {
    m_offsets = std::make_unique<std::uint32_t[]>(m_count);
    std::copy(other.m_offsets.get(), other.m_offsets.get() + m_count, m_offsets.get());
  }
}

CCardRow& CCardRow::operator=(const CCardRow& other) {
  if (this == &other) return *this;
  NoteChange();
  CCardRow copy(other);
  m_text = std::move(copy.m_text);
  m_offsets = std::move(copy.m_offsets);
  m_count = copy.m_count;
  m_quoted = copy.m_quoted;
  m_visible = copy.m_visible;
  m_mark = copy.m_mark;
  return *this;
}

QStringView CCardRow::Item(int i) const {
  if (i < 0 || i >= m_count) return {};
  const std::uint32_t begin = m_offsets[i];
  const std::uint32_t end = (i + 1 < m_count ? m_offsets[i + 1] : std::uint32_t(m_text.size())) - 1;
  return QStringView(m_text).mid(begin, end - begin);
}

template <typename Get>
void CCardRow::Rebuild(int count, Get&& get) {
  qsizetype total = 0;
  for (int i = 0; i < count; ++i) total += get(i).size() + 1;
  QString buffer(total, Qt::Uninitialized);
  auto offsets = count > 0 ? std::make_unique<std::uint32_t[]>(count) : nullptr;
  QChar* out = buffer.data();
  std::uint32_t pos = 0;
  for (int i = 0; i < count; ++i) {
    const QStringView t = get(i);
    offsets[i] = pos;
    std::copy(t.begin(), t.end(), out + pos);
    pos += t.size();
    out[pos++] = QChar(0);
  }
  m_text = std::move(buffer);
  m_offsets = std::move(offsets);
  m_count = count;
  NoteChange();
}

void CCardRow::Clear() {
  if (m_count != 0 || !m_visible) NoteChange();
  m_text.clear();
  m_text.squeeze();
  m_offsets.reset();
  m_count = 0;
  m_visible = true;
  m_mark = 0;
}

bool CCardRow::DeleteItem(int i) {
  if (i < 0 || i >= m_count) return false;
  const CRowSnapshot text(m_text, m_offsets.get(), m_count);
  Rebuild(m_count - 1, [&](int k) { return text(k < i ? k : k + 1); });
  for (int k = i; k < kMaxItems - 1; ++k) m_quoted[k] = m_quoted[k + 1];
  m_quoted[kMaxItems - 1] = false;
  return true;
}

bool CCardRow::InsertEmptyItem(int i) {
  const int count = std::max(m_count, 0);
  if (count >= kMaxItems) return false;
  if (i < 0 || i > count) i = count;
  const CRowSnapshot text(m_text, m_offsets.get(), count);
  Rebuild(count + 1, [&](int k) { return k < i ? text(k) : k == i ? QStringView() : text(k - 1); });
  for (int k = kMaxItems - 1; k > i; --k) m_quoted[k] = m_quoted[k - 1];
  m_quoted[i] = true;
  return true;
}

bool CCardRow::AppendItem(QStringView text) {
  if (!InsertEmptyItem(-1)) return false;
  return SetItem(m_count - 1, text);
}

bool CCardRow::SetItem(int i, QStringView text) {
  if (i < 0 || i >= m_count) return false;
  const QString copy = text.toString();  // text may point into our own buffer
  const CRowSnapshot oldText(m_text, m_offsets.get(), m_count);
  Rebuild(m_count, [&](int k) { return k == i ? QStringView(copy) : oldText(k); });
  return true;
}

bool CCardRow::MakeEmpty(int count) {
  if (count < 0 || count > kMaxItems) return false;
  Rebuild(count, [](int) { return QStringView(); });
  for (int k = 0; k < kMaxItems; ++k) m_quoted[k] = k < count;
  return true;
}

void CCardRow::Adopt(QString buffer, std::unique_ptr<std::uint32_t[]> offsets, int count) {
  NoteChange();
  m_text = std::move(buffer);
  m_offsets = std::move(offsets);
  m_count = count;
}

std::size_t CCardRow::HeapBytes() const {
  const std::size_t text = m_text.isEmpty() ? 0 : std::size_t(m_text.capacity() + 1) * 2 + 16;
  return text + (m_offsets ? std::size_t(m_count) * 4 + 16 : 0);
}
