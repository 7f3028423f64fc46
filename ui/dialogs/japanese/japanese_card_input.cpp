#include "ui/dialogs/japanese/japanese_card_input.h"

#include "core/card_store.h"
#include "core/velum_doc.h"
#include "japanese/postal_commands.h"
#include "japanese/japanese_settings.h"
#include "ui/dialogs/japanese/postal_choice_dialog.h"
#include "ui/views/view_host.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

// The reading item of a name item by System/ReadingItems ("氏名=ふりがな,..."), or -1.
int ReadingItemOf(const CCardStore& store, const CSettingsStore& settings, int item) {
  const QString pairs = ReadSetting(settings, settings::kReadingItems);
  for (QStringView pair : QStringView(pairs).split(u',', Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(u'=');
    if (eq <= 0 || store.Item(item) != pair.first(eq).trimmed()) continue;
    const int reading = FindNamedItem(store, pair.sliced(eq + 1));
    if (reading >= 0 && reading != item) return reading;
  }
  return -1;
}

}  // namespace

CJapaneseCardInput::CJapaneseCardInput(IViewHost& app, QWidget* dialogParent)
    : QObject(dialogParent), m_app(app), m_parent(dialogParent) {}

void CJapaneseCardInput::Watch(QPlainTextEdit* edit, int item) {
  edit->setProperty("velumItem", item);
  edit->installEventFilter(this);
  connect(edit, &QPlainTextEdit::textChanged, this, [this, edit] {
    if (edit == m_capturing) m_capture.FieldChanged(edit->toPlainText());
  });
}

bool CJapaneseCardInput::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QPlainTextEdit*>(watched);
  if (!edit) return false;
  if (event->type() == QEvent::FocusIn && edit != m_capturing) {
    m_capturing = edit;
    m_capturingItem = edit->property("velumItem").toInt();
    m_capture.Begin(edit->toPlainText());
  } else if (event->type() == QEvent::InputMethod) {
    if (edit != m_capturing) {
      m_capturing = edit;
      m_capturingItem = edit->property("velumItem").toInt();
      m_capture.Begin(edit->toPlainText());
    }
    const auto* im = static_cast<QInputMethodEvent*>(event);
    // A commit ends the composition; an event with neither text cancels it.
    if (!im->commitString().isEmpty() || im->preeditString().isEmpty()) m_capture.Commit(im->commitString());
    if (!im->preeditString().isEmpty()) m_capture.Preedit(im->preeditString());
  }
  return false;
}

void CJapaneseCardInput::Stored(int card, const std::vector<int>& items) {
  const CCardRow* row = m_app.Doc().Store().VisibleCard(card);
  if (!row) return;
  const bool katakana = ReadSetting(m_app.Settings(), settings::kReadingKatakana) != 0;
  for (const int item : items) {
    // The reading as it stands now: the focus may move on before the fill.
    const QString reading = item == m_capturingItem ? m_capture.Reading(katakana) : QString();
    // After the store has finished: the fill redraws the card and may ask.
    QTimer::singleShot(0, this, [this, row, card, item, reading] { Fill(row, card, item, reading); });
  }
}

void CJapaneseCardInput::Fill(const CCardRow* row, int stored, int item, const QString& reading) {
  const CCardStore& store = m_app.Doc().Store();
  // The card is where it was stored unless a command in between moved it.
  int card = store.VisibleCard(stored) == row ? stored : -1;
  for (int n = 0; card < 0 && n < store.VisibleCount(); ++n)
    if (store.VisibleCard(n) == row) card = n;
  if (card < 0 || item >= store.ItemCount()) return;
  FillReading(card, item, reading);
  FillAddress(card, item);
}

void CJapaneseCardInput::FillReading(int card, int item, const QString& reading) {
  if (reading.isEmpty()) return;
  CVelumDoc& doc = m_app.Doc();
  const int readingItem = ReadingItemOf(doc.Store(), m_app.Settings(), item);
  if (readingItem >= 0) FillEmptyItem(doc, card, readingItem, reading, QStringLiteral("ふりがなの入力"));
}

void CJapaneseCardInput::FillAddress(int card, int item) {
  CVelumDoc& doc = m_app.Doc();
  const QString code = doc.Store().VisibleCard(card)->Item(item).toString();
  if (NormalizePostalCode(code).isEmpty()) return;
  const CPostalCodes& codes = SharedPostalCodes(m_app.Settings());
  int addressItem = -1;
  const std::vector<CPostalAddress> addresses = AddressesToFill(doc, codes, card, item, &addressItem);
  if (addresses.empty()) return;
  int chosen = 0;
  if (addresses.size() > 1) {
    QStringList choices;
    for (const CPostalAddress& a : addresses)
      choices << (a.office.isEmpty() ? a.address : a.address + QStringLiteral("（") + a.office + QStringLiteral("）"));
    chosen = ChoosePostal(QStringLiteral("住所の選択"), choices, m_app.Screen(), m_parent);
    if (chosen < 0) return;
  }
  FillEmptyItem(doc, card, addressItem, addresses[std::size_t(chosen)].address, postal_msg::kAddressLabel);
}
