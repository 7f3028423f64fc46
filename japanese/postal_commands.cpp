#include "japanese/postal_commands.h"

#include "core/card_store.h"
#include "core/undo_stack.h"
#include "core/velum_doc.h"
#include "japanese/japanese_settings.h"

#include <algorithm>

int FindNamedItem(const CCardStore& store, QStringView names) {
  for (QStringView name : names.split(u',', Qt::SkipEmptyParts)) {
    name = name.trimmed();
    for (int i = 0; i < store.ItemCount(); ++i)
      if (store.Item(i) == name) return i;
  }
  return -1;
}

std::vector<CPostalMismatch> CheckPostalCodes(const CCardStore& store, const CPostalCodes& codes, int codeItem,
                                              int addressItem) {
  std::vector<CPostalMismatch> out;
  if (codeItem < 0 || addressItem < 0) return out;
  for (int n = 0; n < store.VisibleCount(); ++n) {
    const QString code = store.GetItemValue(n, codeItem).trimmed();
    const QString address = store.GetItemValue(n, addressItem);
    if (code.isEmpty() || address.trimmed().isEmpty() || codes.AddressMatches(code, address)) continue;
    // The areas of the code; an office code's office addresses.
    QStringList expected;
    const std::vector<CPostalAddress> known = codes.Lookup(code);
    const bool anyArea = std::any_of(known.begin(), known.end(), [](const CPostalAddress& a) { return a.office.isEmpty(); });
    for (const CPostalAddress& a : known)
      if (a.office.isEmpty() == anyArea && !expected.contains(a.address)) expected.push_back(a.address);
    out.push_back({n, code, address, expected.join(QStringLiteral(" / "))});
  }
  return out;
}

bool FillEmptyItem(CVelumDoc& doc, int card, int item, const QString& text, const QString& label) {
  CCardStore& store = doc.Store();
  CCardRow* row = store.VisibleCard(card);
  if (!row || item < 0 || item >= store.ItemCount() || !row->Item(item).isEmpty() || text.isEmpty()) return false;
  doc.UndoStack().RecordCard(doc, card, label);
  row->SetItem(item, text);
  doc.SetModifiedFlag();
  doc.UpdateAllViews(nullptr, hint::kCardsChanged);
  return true;
}

int PostalCheckCommand(CVelumDoc& doc, const CPostalCodes& codes) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  const CSettingsStore& settings = doc.Services().settings;
  const int codeItem = FindNamedItem(store, ReadSetting(settings, settings::kPostalCodeItems));
  const int addressItem = FindNamedItem(store, ReadSetting(settings, settings::kAddressItems));
  IPrompt& prompt = doc.Services().prompt;
  if (codeItem < 0 || addressItem < 0) {
    prompt.Notice(postal_msg::kNoItems);
    return -1;
  }
  const std::vector<CPostalMismatch> wrong = CheckPostalCodes(store, codes, codeItem, addressItem);
  if (wrong.empty()) {
    prompt.Notice(postal_msg::kAllMatch);
    return 0;
  }
  doc.UndoStack().Record(doc, postal_msg::kCheckLabel);
  std::vector<bool> keep(std::size_t(store.VisibleCount()), false);
  for (const CPostalMismatch& m : wrong) keep[std::size_t(m.card)] = true;
  for (int n = 0; n < store.VisibleCount(); ++n)
    if (!keep[std::size_t(n)]) store.VisibleCard(n)->SetVisible(false);
  store.RebuildVisible();
  doc.MakeFirstCurrent();
  doc.UpdateAllViews(nullptr, hint::kCardsDeleted);
  prompt.Notice(postal_msg::kMismatches.arg(wrong.size()));
  return int(wrong.size());
}

bool AddressToCodeCommand(CVelumDoc& doc, const CPostalCodes& codes,
                          const std::function<int(const QStringList& choices)>& choose) {
  doc.StoreCards();
  CCardStore& store = doc.Store();
  const CSettingsStore& settings = doc.Services().settings;
  IPrompt& prompt = doc.Services().prompt;
  const int codeItem = FindNamedItem(store, ReadSetting(settings, settings::kPostalCodeItems));
  const int addressItem = FindNamedItem(store, ReadSetting(settings, settings::kAddressItems));
  const int card = doc.CurrentCard();
  if (codeItem < 0 || addressItem < 0 || !store.VisibleCard(card)) {
    prompt.Notice(postal_msg::kNoItems);
    return false;
  }
  if (!store.VisibleCard(card)->Item(codeItem).trimmed().isEmpty()) {
    prompt.Notice(postal_msg::kCodeFilled);
    return false;
  }
  const QString address = store.GetItemValue(card, addressItem);
  if (address.trimmed().isEmpty()) {
    prompt.Notice(postal_msg::kNoAddress);
    return false;
  }
  std::vector<CPostalMatch> matches = codes.CodesForAddress(address);
  if (matches.empty()) {
    prompt.Notice(postal_msg::kNoCode);
    return false;
  }
  // The longest match only: a shorter one is the city around it.
  const qsizetype best = AddressKey(matches.front().address).size();
  std::erase_if(matches, [&](const CPostalMatch& m) { return AddressKey(m.address).size() != best; });
  int chosen = 0;
  if (matches.size() > 1) {
    QStringList choices;
    for (const CPostalMatch& m : matches)
      choices.push_back(QStringLiteral("%1-%2　%3").arg(m.code.left(3), m.code.mid(3), m.address));
    chosen = choose ? choose(choices) : -1;
    if (chosen < 0 || chosen >= int(matches.size())) return false;
  }
  const QString& code = matches[std::size_t(chosen)].code;
  return FillEmptyItem(doc, card, codeItem, code.left(3) + u'-' + code.mid(3), postal_msg::kCodeLabel);
}

std::vector<CPostalAddress> AddressesToFill(const CVelumDoc& doc, const CPostalCodes& codes, int card, int codeItem,
                                            int* addressItem) {
  const CCardStore& store = doc.Store();
  const CSettingsStore& settings = doc.Services().settings;
  const int wanted = FindNamedItem(store, ReadSetting(settings, settings::kPostalCodeItems));
  const int target = FindNamedItem(store, ReadSetting(settings, settings::kAddressItems));
  const CCardRow* row = store.VisibleCard(card);
  if (wanted < 0 || wanted != codeItem || target < 0 || !row || !row->Item(target).isEmpty()) return {};
  *addressItem = target;
  // The areas of the code; the offices only for an office's own code.
  std::vector<CPostalAddress> addresses = codes.Lookup(row->Item(codeItem));
  if (std::any_of(addresses.begin(), addresses.end(), [](const CPostalAddress& a) { return a.office.isEmpty(); }))
    std::erase_if(addresses, [](const CPostalAddress& a) { return !a.office.isEmpty(); });
  return addresses;
}
