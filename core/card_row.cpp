#include "core/card_row.h"

#include <array>
#include <mutex>

namespace {

// The last item edits, each at the slot of its change number.
struct CJournalEntry {
  std::uint64_t change = 0;
  const CCardRow* row = nullptr;
  int item = 0;
};
constexpr std::size_t kJournalSize = 4096;
std::mutex s_journalLock;
std::array<CJournalEntry, kJournalSize> s_journal;

// The items of a row as they stood before a rebuild: the shared copy of the
// buffer keeps the old texts alive while the new buffer is filled.
class CRowSnapshot {
 public:
  CRowSnapshot(const QString& text, int count) : m_text(text), m_count(std::max(count, 0)) {}
  QStringView operator()(int k) const {
    const std::uint32_t b = Offset(k);
    const std::uint32_t e = (k + 1 < m_count ? Offset(k + 1) : std::uint32_t(Texts())) - 1;
    return QStringView(m_text).mid(CCardRow::HeaderSize(m_count) + b, e - b);
  }
  bool Quoted(int k) const { return (Word(k) & CCardRow::kQuotedBit) != 0; }

 private:
  std::uint32_t Word(int k) const {
    const QChar* d = m_text.constData();
    return std::uint32_t(d[2 * k].unicode()) | (std::uint32_t(d[2 * k + 1].unicode()) << 16);
  }
  std::uint32_t Offset(int k) const { return Word(k) & ~CCardRow::kQuotedBit; }
  qsizetype Texts() const { return m_text.size() - CCardRow::HeaderSize(m_count); }

  QString m_text;
  int m_count;
};

}  // namespace

CCardRow::CCardRow(const CCardRow& other)
    : m_text(other.m_text), m_mark(other.m_mark), m_count(other.m_count), m_visible(other.m_visible) {}

CCardRow& CCardRow::operator=(const CCardRow& other) {
  if (this == &other) return *this;
  NoteItemEdit(kWholeRow);
  m_text = other.m_text;
  m_count = other.m_count;
  m_visible = other.m_visible;
  m_mark = other.m_mark;
  return *this;
}

QStringView CCardRow::Item(int i) const {
  if (i < 0 || i >= m_count) return {};
  const qsizetype header = HeaderSize(m_count);
  const std::uint32_t begin = Word(i) & ~kQuotedBit;
  const std::uint32_t end = (i + 1 < m_count ? Word(i + 1) & ~kQuotedBit : std::uint32_t(m_text.size() - header)) - 1;
  return QStringView(m_text).mid(header + begin, end - begin);
}

void CCardRow::SetQuoted(int i, bool quoted) {
  if (i < 0 || i >= m_count || Quoted(i) == quoted) return;
  PutWord(m_text.data(), i, quoted ? Word(i) | kQuotedBit : Word(i) & ~kQuotedBit);
}

template <typename Get, typename IsQuoted>
void CCardRow::Rebuild(int count, Get&& get, IsQuoted&& quoted) {
  qsizetype total = HeaderSize(count);
  for (int i = 0; i < count; ++i) total += get(i).size() + 1;
  QString buffer(total, Qt::Uninitialized);
  QChar* out = buffer.data();
  QChar* texts = out + HeaderSize(count);
  std::uint32_t pos = 0;
  for (int i = 0; i < count; ++i) {
    const QStringView t = get(i);
    PutWord(out, i, pos | (quoted(i) ? kQuotedBit : 0));
    std::copy(t.begin(), t.end(), texts + pos);
    pos += t.size();
    texts[pos++] = QChar(0);
  }
  m_text = std::move(buffer);
  m_count = std::int16_t(count);
}

void CCardRow::NoteItemEdit(int i) const {
  const std::lock_guard lock(s_journalLock);
  const std::uint64_t change = s_changes.fetch_add(1, std::memory_order_relaxed) + 1;
  s_textChanges.fetch_add(1, std::memory_order_relaxed);
  s_journal[change % kJournalSize] = {change, this, i};
}

bool CCardRow::ItemEditsSince(std::uint64_t since, std::uint64_t upTo, std::vector<CItemEdit>* edits) {
  if (upTo < since || upTo - since > kJournalSize) return false;
  const std::lock_guard lock(s_journalLock);
  for (std::uint64_t c = since + 1; c <= upTo; ++c) {
    const CJournalEntry& e = s_journal[c % kJournalSize];
    if (e.change != c) return false;
    edits->push_back({e.row, e.item});
  }
  return true;
}

void CCardRow::Clear() {
  if (m_count != 0 || !m_visible) NoteTextChange();
  m_text = QString();
  m_count = 0;
  m_visible = true;
  m_mark = 0;
}

bool CCardRow::DeleteItem(int i) {
  if (i < 0 || i >= m_count) return false;
  const CRowSnapshot old(m_text, m_count);
  const auto from = [&](int k) { return k < i ? k : k + 1; };
  Rebuild(m_count - 1, [&](int k) { return old(from(k)); }, [&](int k) { return old.Quoted(from(k)); });
  NoteTextChange();
  return true;
}

bool CCardRow::InsertEmptyItem(int i) {
  const int count = std::max<int>(m_count, 0);
  if (count >= kMaxItems) return false;
  if (i < 0 || i > count) i = count;
  const CRowSnapshot old(m_text, count);
  Rebuild(
      count + 1, [&](int k) { return k < i ? old(k) : k == i ? QStringView() : old(k - 1); },
      [&](int k) { return k < i ? old.Quoted(k) : k == i || old.Quoted(k - 1); });
  NoteTextChange();
  return true;
}

bool CCardRow::AppendItem(QStringView text) {
  if (!InsertEmptyItem(-1)) return false;
  return SetItem(m_count - 1, text);
}

bool CCardRow::SetItem(int i, QStringView text) {
  if (i < 0 || i >= m_count) return false;
  const QString copy = text.toString();  // text may point into our own buffer
  const CRowSnapshot old(m_text, m_count);
  Rebuild(m_count, [&](int k) { return k == i ? QStringView(copy) : old(k); }, [&](int k) { return old.Quoted(k); });
  NoteItemEdit(i);
  return true;
}

bool CCardRow::SetItems(const std::vector<std::pair<int, QString>>& texts) {
  std::vector<const QString*> replaced(std::max<int>(m_count, 0), nullptr);
  for (const auto& [i, text] : texts) {
    if (i < 0 || i >= m_count) return false;
    replaced[i] = &text;
  }
  const CRowSnapshot old(m_text, m_count);
  Rebuild(
      m_count, [&](int k) { return replaced[k] ? QStringView(*replaced[k]) : old(k); },
      [&](int k) { return old.Quoted(k); });
  for (const auto& edit : texts) NoteItemEdit(edit.first);
  if (texts.empty()) NoteTextChange();
  return true;
}

bool CCardRow::MakeEmpty(int count) {
  if (count < 0 || count > kMaxItems) return false;
  Rebuild(count, [](int) { return QStringView(); }, [](int) { return true; });
  NoteTextChange();
  return true;
}

void CCardRow::Adopt(QString buffer, int count) {
  NoteTextChange();
  m_text = std::move(buffer);
  m_count = std::int16_t(count);
}

std::size_t CCardRow::HeapBytes() const {
  // Qt's array header of 16 bytes, the units and the closing NUL.
  return m_text.isNull() ? 0 : std::size_t(m_text.capacity() + 1) * 2 + 16;
}
