#pragma once

#include "core/item_name_row.h"
#include "core/line_ends.h"
#include "core/services.h"
#include "platform/code_page.h"
#include "records/search_request.h"
#include "records/velum_property.h"
#include "records/velum_select.h"
#include "records/velum_sort.h"

#include <QString>

#include <memory>
#include <vector>

// The in-memory form of one card file. Its own texts are the item names (with
// the item property records beside them); it owns every card in the all-cards
// list, in file order, and keeps the visible list of the cards a filter leaves
// shown. Card numbers everywhere are indexes into the visible list.
class CCardStore : public CItemNameRow {
 public:
  // Reads CalcNull and MsCsvIn from the settings; they hold for the store's life.
  explicit CCardStore(const CServices& services);
  ~CCardStore() override;
  CCardStore(const CCardStore&) = delete;
  CCardStore& operator=(const CCardStore&) = delete;

  const CServices& Services() const { return m_services; }

  int VisibleCount() const { return int(m_visible.size()); }
  int AllCount() const { return int(m_all.size()); }
  CCardRow* VisibleCard(int n) const { return n >= 0 && n < VisibleCount() ? m_visible[n] : nullptr; }
  CCardRow* AllCard(int i) const { return i >= 0 && i < AllCount() ? m_all[i].get() : nullptr; }

  // The stored text of an item of a visible card; empty when either is out of range.
  QStringView GetItemText(int card, int item) const;
  // The value an item shows on a visible card, as the views show it (digit
  // grouping where the item asks for it). Formula and linked items answer
  // through the value source (the item formulas, once installed); without
  // one, and for every other item, the stored text.
  QString GetItemValue(int card, int item) const;
  // Sets the stored text; the caller marks the document modified.
  bool SetItemText(int card, int item, QStringView text);

  // A new card from the items' initial values, before visible card n or at the
  // end when n is -1.
  bool AddCard(int n);
  bool InsertCopyAt(int n, const CCardRow& card);
  bool AppendCardCopy(const CCardRow& card);
  bool AppendEmptyCard();
  bool DeleteCard(int n);
  void RebuildVisible();
  // Clears names and records, destroys every card, resets the file properties;
  // the file's form becomes that of a new file (NewFileEncoding,
  // NewFileMultiLine, CR LF line ends).
  void Clear() override;
  // Clear, then takes the names, quote flags and records of row; then, when
  // addCard is set, AddCard(-1).
  void SetItemNames(const CItemNameRow& row, bool addCard);
  // 1 when the flag changed, 0 when it already had that value.
  int SetFirstLineIsItems(bool flag);
  // Stores the value of every formula or linked item of every card as its text.
  void RecalcAll();
  // Position of visible card n in the all-cards list; 0 with a message when absent.
  int FindAllIndex(int n) const;

  // The file reader and writer: 1 done, 0 the file could not be opened or
  // created, -1 (Read only) reading stopped early.
  int Read(const QString& path);
  int Write(const QString& path);

  // The file properties: first-line flag, background colour, card position, ...
  CVelumProperty& FileProperty() { return m_fileProp; }
  const CVelumProperty& FileProperty() const { return m_fileProp; }
  // The keys of the last sort, the search request of the filter and the
  // search commands, and the filter history (emptied by Clear).
  CVelumSortArray& SortKeys() { return m_sortKeys; }
  const CVelumSortArray& SortKeys() const { return m_sortKeys; }
  CSearchRequest& SearchRequest() { return m_searchRequest; }
  const CSearchRequest& SearchRequest() const { return m_searchRequest; }
  CVelumSelectSet& FilterHistory() { return m_filterHistory; }
  const CVelumSelectSet& FilterHistory() const { return m_filterHistory; }
  bool FirstLineIsItems() const { return m_fileProp.m_firstLine != 0; }

  const QString& FilePath() const { return m_path; }
  void SetFilePath(const QString& p) { m_path = p; }
  std::uint32_t CalcNull() const { return m_calcNull; }
  std::uint32_t MsCsvIn() const { return m_msCsvIn; }
  // The form the file is written in: the Microsoft-CSV form (line breaks
  // inside quoted items as real line breaks) when set, else the own form.
  bool MultiLine() const { return m_multiLine; }
  void SetMultiLine(bool on) { m_multiLine = on; }
  // The encoding the file was read in, and is written in.
  const FileEncoding& Encoding() const { return m_encoding; }
  void SetEncoding(const FileEncoding& e) { m_encoding = e; }
  // The line ends the file was read with, and is written with.
  const CLineEnds& LineEnds() const { return m_lineEnds; }
  void SetLineEnds(const CLineEnds& e) { m_lineEnds = e; }
  // A new file's form: the Microsoft-CSV form unless the settings choose the
  // own one (System/NewFileForm) or the reader does not join lines (MsCsvIn 0),
  // so that what is written reads back.
  bool NewFileMultiLine() const;
  // A new file's encoding: UTF-8 with a byte-order mark, or the code page the
  // command line or System/CodePage chose for good (UTF-8 then without one).
  FileEncoding NewFileEncoding() const;
  // Whether the last read met bytes that were no character of the file's
  // encoding and showed them as U+FFFD: saving then writes U+FFFD in their
  // place. Clear resets it.
  bool HasReplacedBytes() const { return m_replacedBytes; }
  void SetReplacedBytes(bool replaced) { m_replacedBytes = replaced; }

  // The evaluator of computed items: the item formulas install themselves as
  // the default source of every store (InstallItemFormulas); a store may be
  // given its own. The card store and the formulas need each other; this is
  // the whole of the crossing.
  class IValueSource {
   public:
    virtual ~IValueSource() = default;
    // The value of formula or linked item `item` on a card of store, as the
    // views show it.
    virtual QString Value(const CCardStore& store, const CCardRow& card, int item) const = 0;
    // The same for card number `card` of the visible list, or of the
    // all-cards list when allCards is set; by default through Value.
    virtual QString ValueAt(const CCardStore& store, int card, bool allCards, int item) const;
    // RecalcAll: stores the value of every formula or linked item of every
    // card where it differs from the stored text; by default through Value.
    virtual void StoreValues(CCardStore& store) const;
  };
  void SetValueSource(const IValueSource* source) { m_valueSource = source; }
  static void SetDefaultValueSource(const IValueSource* source) { s_defaultValueSource = source; }
  const IValueSource* ValueSource() const { return m_valueSource ? m_valueSource : s_defaultValueSource; }

  // What the value source keeps for this store (remembered results); it is
  // dropped with the store and is no part of its contents.
  class IValueCache {
   public:
    virtual ~IValueCache() = default;
  };
  IValueCache* ValueCache() const { return m_valueCache.get(); }
  void SetValueCache(std::unique_ptr<IValueCache> cache) const { m_valueCache = std::move(cache); }

  // A default file record: first-line flag from System/Item, one print layout.
  CVelumProperty DefaultFileProperty() const;

  // The lists, for the reader and the editing commands. Taking either counts
  // as a change of the cards (CCardRow::Changes): take them to change them,
  // and read through AllCard and VisibleCard.
  std::vector<std::unique_ptr<CCardRow>>& AllCards() {
    NoteTextChange();
    return m_all;
  }
  // The all-cards list for a command that only puts the same cards in
  // another order (a sort and its undo): no change of texts (TextChanges).
  std::vector<std::unique_ptr<CCardRow>>& AllCardsToReorder() {
    NoteChange();
    return m_all;
  }
  std::vector<CCardRow*>& VisibleCards() {
    NoteChange();
    return m_visible;
  }

 protected:
  // The file record's print layouts, stored sets and form layouts follow the items.
  void OnItemLayoutChanged(const CItemChange& change) override { m_fileProp.OnItemChange(change); }

 private:
  friend class CCardFileReader;

  const CServices& m_services;
  std::vector<CCardRow*> m_visible;
  std::vector<std::unique_ptr<CCardRow>> m_all;
  QString m_path;
  std::uint32_t m_calcNull;
  std::uint32_t m_msCsvIn;
  bool m_multiLine = false;
  CVelumProperty m_fileProp;
  CVelumSortArray m_sortKeys;
  CSearchRequest m_searchRequest;
  CVelumSelectSet m_filterHistory;
  FileEncoding m_encoding;
  CLineEnds m_lineEnds;
  bool m_replacedBytes = false;
  const IValueSource* m_valueSource = nullptr;
  mutable std::unique_ptr<IValueCache> m_valueCache;

  static inline const IValueSource* s_defaultValueSource = nullptr;
};
