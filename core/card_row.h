#pragma once

#include <QString>
#include <QStringView>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>

// One card: the texts of its items back to back in one buffer, each followed
// by a NUL, with one offset per item into that buffer. A change to any item
// rebuilds the whole buffer, so a card always costs one text allocation and one
// offset array. Texts are UTF-16; a line break inside a text is CR LF.
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

  bool Quoted(int i) const { return i >= 0 && i < kMaxItems && m_quoted[i]; }
  void SetQuoted(int i, bool quoted) {
    if (i >= 0 && i < kMaxItems) m_quoted[i] = quoted;
  }
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
  // The row becomes count empty quoted items.
  bool MakeEmpty(int count);

  // Takes a buffer of NUL-ended texts and the offset of each; used by the line
  // parser. The quote flags are left as the caller set them.
  void Adopt(QString buffer, std::unique_ptr<std::uint32_t[]> offsets, int count);

  // Heap bytes held by the row (texts and offsets), for the memory benchmark.
  std::size_t HeapBytes() const;

  // A process-wide count that moves with every change of any row's texts,
  // items or visible flag, and of the store's card lists: values computed
  // from the cards (remembered formula results) hold while it stands still.
  static std::uint64_t Changes() { return s_changes.load(std::memory_order_relaxed); }
  static void NoteChange() { s_changes.fetch_add(1, std::memory_order_relaxed); }

 protected:
  // Rebuilds the buffer from texts[i] for i in [0, count).
  template <typename Get>
  void Rebuild(int count, Get&& get);

 private:
  QString m_text;
  std::unique_ptr<std::uint32_t[]> m_offsets;
  std::int32_t m_count = -1;
  std::bitset<kMaxItems> m_quoted;
  bool m_visible = true;
  std::int32_t m_mark = 0;
  std::int32_t m_position = 0;

  static inline std::atomic<std::uint64_t> s_changes{0};
};
