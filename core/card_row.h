#pragma once

#include <QString>
#include <QStringView>

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// One card in one allocation: a table of one 32-bit word per item (the
// offset of its text, with the item's quote flag in the top bit), then the
// texts of the items back to back, each followed by a NUL. A change to any
// item rebuilds the whole buffer; a copy shares it until either changes.
// Texts are UTF-16; a line break inside a text is CR LF.
class CCardRow {
 public:
  static constexpr int kMaxItems = 200;

  CCardRow() = default;
  CCardRow(const CCardRow& other);  // copies everything but the position
  CCardRow& operator=(const CCardRow& other);
  virtual ~CCardRow() = default;

  // -1 for a row that was never filled.
  int ItemCount() const { return m_count; }
  // The text of item i; empty for an index outside the row.
  QStringView Item(int i) const;

  // The quote flag of item i; false for an index outside the row, whose flag
  // cannot be set.
  bool Quoted(int i) const { return i >= 0 && i < m_count && (Word(i) & kQuotedBit) != 0; }
  void SetQuoted(int i, bool quoted);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v) {
    if (m_visible != v) NoteChange();
    m_visible = v;
  }
  std::int32_t Mark() const { return m_mark; }
  void SetMark(std::int32_t m) { m_mark = m; }
  std::int32_t Position() const { return m_position; }
  void SetPosition(std::int32_t p) { m_position = p; }

  // Frees the texts: item count 0, visible, no mark.
  virtual void Clear();
  // Removes item i; later items and quote flags move down.
  virtual bool DeleteItem(int i);
  // Inserts an empty quoted item before i, or at the end when i is -1. Fails
  // at the item limit.
  virtual bool InsertEmptyItem(int i);
  // Appends an item with the given text (quoted, as an inserted item is).
  bool AppendItem(QStringView text);
  // Replaces the text of item i; fails for an index outside the row.
  bool SetItem(int i, QStringView text);
  // Replaces the texts of several items at once, one rebuild for all; fails
  // (nothing changed) for an index outside the row.
  bool SetItems(const std::vector<std::pair<int, QString>>& texts);
  // The row becomes count empty quoted items.
  bool MakeEmpty(int count);

  // The layout of the buffer, for the line parser: HeaderSize(count) units
  // holding one word per item (two units, low half first: the text's offset
  // from the end of the header, kQuotedBit for a quoted item), then the
  // NUL-ended texts.
  static constexpr std::uint32_t kQuotedBit = 0x80000000u;
  static constexpr qsizetype HeaderSize(int count) { return qsizetype(count) * 2; }
  static void PutWord(QChar* header, int i, std::uint32_t word) {
    header[2 * i] = QChar(char16_t(word & 0xFFFF));
    header[2 * i + 1] = QChar(char16_t(word >> 16));
  }
  // Takes such a buffer of count items.
  void Adopt(QString buffer, int count);

  // Heap bytes held by the row (texts and offsets), for the memory benchmark.
  std::size_t HeapBytes() const;
  // Where the row's buffer lies, for a walk over many cards to ask the
  // processor for it ahead of use.
  const void* Buffer() const { return m_text.constData(); }

  // A process-wide count that moves with every change of any row's texts,
  // items or visible flag, and of the store's card lists: values computed
  // from the cards (remembered formula results) hold while it stands still.
  static std::uint64_t Changes() { return s_changes.load(std::memory_order_relaxed); }
  static void NoteChange() { s_changes.fetch_add(1, std::memory_order_relaxed); }
  // A second count that moves only with changes of texts and items and with
  // cards coming into or leaving a store, not with the visible flags or a
  // new order of the same cards: what is read from the texts of every card
  // (the most lines of each item) holds while it stands still.
  static std::uint64_t TextChanges() { return s_textChanges.load(std::memory_order_relaxed); }
  static void NoteTextChange() {
    NoteChange();
    s_textChanges.fetch_add(1, std::memory_order_relaxed);
  }
  // SetItem and SetItems count one change per item they replace, and the last
  // few thousand such changes are kept: a holder of computed values can tell
  // which items of which rows changed. An assignment is kept as a change of
  // kWholeRow (a copy taken into an undo step is no change of any store's
  // card). Every other change is of unknown kind.
  static constexpr int kWholeRow = -1;
  struct CItemEdit {
    const CCardRow* row;
    int item;
  };
  // The item edits that make up every change after count `since` up to
  // `upTo`, appended to edits; false when any of them was another change or
  // is no longer kept.
  static bool ItemEditsSince(std::uint64_t since, std::uint64_t upTo, std::vector<CItemEdit>* edits);

 protected:
  // Rebuilds the buffer from get(i) and quoted(i) for i in [0, count); the
  // caller notes the change.
  template <typename Get, typename IsQuoted>
  void Rebuild(int count, Get&& get, IsQuoted&& quoted);

 private:
  void NoteItemEdit(int i) const;
  std::uint32_t Word(int i) const {
    const QChar* d = m_text.constData();
    return std::uint32_t(d[2 * i].unicode()) | (std::uint32_t(d[2 * i + 1].unicode()) << 16);
  }

  QString m_text;
  std::int32_t m_mark = 0;
  std::int32_t m_position = 0;
  std::int16_t m_count = -1;
  bool m_visible = true;

  static inline std::atomic<std::uint64_t> s_changes{0};
  static inline std::atomic<std::uint64_t> s_textChanges{0};
};
