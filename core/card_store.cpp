#include "core/card_store.h"

#include "core/card_file.h"
#include "core/messages.h"
#include "platform/text_util.h"
#include "settings/settings.h"

#include <utility>

CCardStore::CCardStore(const CServices& services)
    : m_services(services),
      m_calcNull(ReadSetting(services.settings, settings::kCalcNull)),
      m_msCsvIn(ReadSetting(services.settings, settings::kMsCsvIn)),
      m_multiLine(NewFileMultiLine()),
      m_fileProp(DefaultFileProperty()),
      m_encoding(NewFileEncoding()) {}

CCardStore::~CCardStore() = default;

CVelumProperty CCardStore::DefaultFileProperty() const { return CVelumProperty::Defaults(m_services.settings); }

QStringView CCardStore::GetItemText(int card, int item) const {
  const CCardRow* row = VisibleCard(card);
  return row ? row->Item(item) : QStringView();
}

QString CCardStore::GetItemValue(int card, int item) const {
  const CCardRow* row = VisibleCard(card);
  if (!row) return {};
  const IValueSource* source = ValueSource();
  if (source && item >= 0 && item < ItemCount() && IsFormulaOrLinked(Property(item)))
    return source->ValueAt(*this, card, false, item);
  return row->Item(item).toString();
}

QString CCardStore::IValueSource::ValueAt(const CCardStore& store, int card, bool allCards, int item) const {
  const CCardRow* row = allCards ? store.AllCard(card) : store.VisibleCard(card);
  return row ? Value(store, *row, item) : QString();
}

void CCardStore::IValueSource::StoreValues(CCardStore& store) const {
  const int count = store.ItemCount();
  for (int k = 0; k < store.AllCount(); ++k) {
    CCardRow& card = *store.m_all[k];
    for (int i = 0; i < count; ++i) {
      if (!IsFormulaOrLinked(std::as_const(store).Property(i))) continue;
      const QString value = Value(store, card, i);
      if (value != card.Item(i)) card.SetItem(i, value);
    }
  }
}

bool CCardStore::SetItemText(int card, int item, QStringView text) {
  CCardRow* row = VisibleCard(card);
  return row && row->SetItem(item, text);
}

bool CCardStore::AddCard(int n) {
  const int count = ItemCount();
  const QString today = m_services.clock.Now().date().toString(QStringLiteral("yyyy/MM/dd"));
  const int before = n > 0 ? n - 1 : n == 0 ? 0 : VisibleCount() - 1;
  CCardRow card;
  card.MakeEmpty(count);
  // The card is built from the values directly rather than through a record
  // line, so that an initial value with commas or quotes arrives unchanged.
  for (int i = 0; i < count; ++i) {
    const QString& initial = Property(i).m_initialValue;
    QString value;
    if (WcsICmp(initial, u"Today()") == 0)
      value = today;
    else if (WcsICmp(initial, u"Before()") == 0)
      value = GetItemValue(before, i);
    else if (WcsICmp(initial, u"First()") == 0)
      value = GetItemValue(0, i);
    else
      value = initial;
    card.SetItem(i, value);
    card.SetQuoted(i, Quoted(i));
  }
  return n == -1 ? AppendCardCopy(card) : InsertCopyAt(n, card);
}

bool CCardStore::InsertCopyAt(int n, const CCardRow& card) {
  if (n < 0 || n > VisibleCount()) return false;
  auto copy = std::make_unique<CCardRow>(card);
  CCardRow* raw = copy.get();
  const int at = n == VisibleCount() ? AllCount() : FindAllIndex(n);
  NoteTextChange();
  m_all.insert(m_all.begin() + at, std::move(copy));
  if (raw->Visible())
    m_visible.insert(m_visible.begin() + n, raw);
  else
    RebuildVisible();
  return true;
}

bool CCardStore::AppendCardCopy(const CCardRow& card) {
  NoteTextChange();
  m_all.push_back(std::make_unique<CCardRow>(card));
  RebuildVisible();
  return true;
}

bool CCardStore::AppendEmptyCard() {
  auto card = std::make_unique<CCardRow>();
  const int count = std::max(ItemCount(), 0);
  card->MakeEmpty(count);
  for (int i = 0; i < count; ++i) card->SetQuoted(i, Quoted(i));
  NoteTextChange();
  m_all.push_back(std::move(card));
  RebuildVisible();
  return true;
}

bool CCardStore::DeleteCard(int n) {
  if (n < 0 || n >= VisibleCount()) return false;
  const int at = FindAllIndex(n);
  if (m_all[at].get() != m_visible[n]) return false;
  NoteTextChange();
  m_visible.erase(m_visible.begin() + n);
  m_all.erase(m_all.begin() + at);
  return true;
}

void CCardStore::RebuildVisible() {
  NoteChange();
  m_visible.clear();
  m_visible.reserve(m_all.size());
  for (const auto& card : m_all)
    if (card->Visible()) m_visible.push_back(card.get());
}

void CCardStore::Clear() {
  CItemNameRow::Clear();
  if (!m_all.empty() || !m_visible.empty()) NoteTextChange();
  m_visible.clear();
  m_all.clear();
  m_fileProp = DefaultFileProperty();
  m_filterHistory.m_records.Clear();
  m_encoding = NewFileEncoding();
  m_multiLine = NewFileMultiLine();
  m_lineEnds = {};
  m_replacedBytes = false;
}

bool CCardStore::NewFileMultiLine() const {
  return m_msCsvIn != 0 && ReadSetting(m_services.settings, settings::kNewFileForm) != 0;
}

FileEncoding CCardStore::NewFileEncoding() const {
  if (!m_services.CodePageForced()) return {CodePage::Utf8, true};
  return {m_services.FileCodePage(), false};
}

void CCardStore::SetItemNames(const CItemNameRow& row, bool addCard) {
  Clear();
  CItemNameRow::operator=(row);
  if (addCard) AddCard(-1);
}

int CCardStore::SetFirstLineIsItems(bool flag) {
  if (FirstLineIsItems() == flag) return 0;
  m_fileProp.m_firstLine = flag ? 1 : 0;
  const int count = ItemCount();
  if (flag) {
    // The first card's texts become the item names; the records stay.
    if (!m_all.empty()) {
      const CCardRow& first = *m_all.front();
      for (int i = 0; i < count; ++i) {
        CCardRow::SetItem(i, first.Item(i));
        SetQuoted(i, first.Quoted(i));
      }
      m_all.erase(m_all.begin());
    }
    if (m_all.empty()) AppendEmptyCard();
  } else {
    // The names become the first card of the file, whatever the filter shows.
    auto card = std::make_unique<CCardRow>();
    card->MakeEmpty(count);
    for (int i = 0; i < count; ++i) {
      card->SetItem(i, Item(i));
      card->SetQuoted(i, Quoted(i));
    }
    m_all.insert(m_all.begin(), std::move(card));
    for (int i = 0; i < count; ++i) CCardRow::SetItem(i, QStringLiteral("項目%1").arg(i + 1));
  }
  RebuildVisible();
  return 1;
}

void CCardStore::RecalcAll() {
  const IValueSource* source = ValueSource();
  if (!source) return;
  CProgressScope progress(m_services.Progress(), progress_msg::kRecalculating, 0);
  source->StoreValues(*this);
}

int CCardStore::FindAllIndex(int n) const {
  const CCardRow* target = VisibleCard(n);
  for (int i = 0; target && i < AllCount(); ++i)
    if (m_all[i].get() == target) return i;
  m_services.prompt.Notice(msg::kNotInAllCards);
  return 0;
}

int CCardStore::Read(const QString& path) { return ReadCardFile(*this, path); }
int CCardStore::Write(const QString& path) { return WriteCardFile(*this, path); }
