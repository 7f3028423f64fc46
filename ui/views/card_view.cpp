#include "ui/views/card_view.h"

#include "app/frame_command_table.h"
#include "app/navigation.h"
#include "app/open_item.h"
#include "core/card_commands.h"
#include "core/edit_messages.h"
#include "core/services.h"
#include "datetime/date_insert_format.h"
#include "datetime/dtime.h"
#include "platform/prompt.h"
#include "records/item_property.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/dialogs/japanese/japanese_card_input.h"
#include "ui/views/card_edit.h"
#include "ui/views/deck_models.h"
#include "ui/views/font_metrics_source.h"
#include "ui/views/start_settings.h"
#include "ui/views/view_host.h"
#include "ui/widgets/font_dialog.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/ui_messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kLabelIdBase = 200;
constexpr int kControlIdBase = 5000;
constexpr std::uint32_t kCheckBoxType = 4;

// Font keys of the layout: the view's content and name fonts, then each item's
// own content and name font.
constexpr int kContentKey = 0;
constexpr int kNameKey = 1;
int ItemContentKey(int item) { return 2 + 2 * item; }
int ItemNameKey(int item) { return 3 + 2 * item; }

const char* KindName(ControlKind k) {
  switch (k) {
    case ControlKind::Edit:
      return "edit";
    case ControlKind::ReadOnlyEdit:
      return "readonly";
    case ControlKind::HiddenEdit:
      return "hidden";
    case ControlKind::DropDown:
      return "dropdown";
    case ControlKind::CheckBox:
      return "check";
  }
  return "edit";
}

// Keys inside a choice item's edit part move between items as in an edit.
class CComboKeys final : public QObject {
 public:
  CComboKeys(CCardView& view, QObject* parent) : QObject(parent), m_view(view) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)) == 0;
    if (!plain) return false;
    const CStartSettings& cache = m_view.Host().StartSettings();
    if (cache.cursorMove && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      key->key() == Qt::Key_Up ? m_view.PreviousItem() : m_view.NextItem();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      m_view.NextItem();
      return true;
    }
    return false;
  }

 private:
  CCardView& m_view;
};

}  // namespace

CCardView::CCardView(IViewHost& host, QWidget* parent)
    : QScrollArea(parent), m_host(host), m_doc(host.Doc()), m_form(new QWidget) {
  setObjectName(QStringLiteral("CVelumView"));
  const CSettingsStore& s = host.Settings();
  m_standard = ReadSetting(s, settings::kStandard) != 0;
  m_cardMargin = ReadSetting(s, settings::kCardMargin) != 0;
  m_labelEditZero = ReadSetting(s, settings::kLabelEditZero) != 0;
  m_cardScroll = ReadSetting(s, settings::kCardScroll) != 0;
  m_singleLine = ReadSetting(s, settings::kItem1) != 0;
  ReadFonts();
  m_japanese = new CJapaneseCardInput(host, this);
  m_form->setObjectName(QStringLiteral("cardForm"));
  m_form->setAutoFillBackground(true);
  setWidget(m_form);
  setWidgetResizable(false);
  setFocusPolicy(Qt::StrongFocus);
  if (m_cardScroll) {
    // The bar below the form selects the card: a step is one card, a page five.
    m_cardBar = new QScrollBar(Qt::Horizontal, this);
    m_cardBar->setObjectName(QStringLiteral("cardScroll"));
    m_cardBar->setSingleStep(1);
    m_cardBar->setPageStep(5);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewportMargins(0, 0, 0, m_cardBar->sizeHint().height());
    connect(m_cardBar, &QScrollBar::valueChanged, this, [this](int value) {
      if (!m_built || value == m_doc.CurrentCard()) return;
      StoreCard();
      if (m_doc.MakeCurrent(value)) {
        ShowCard();
        m_doc.UpdateAllViews(this, hint::kCardsChanged);
      }
    });
  }
  // The focused item is the one the item commands (sort, count, ...) work on.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
    // The ring around the focused field moves with the focus.
    if ((before && m_form->isAncestorOf(before)) || (now && m_form->isAncestorOf(now))) m_form->update();
    if (!now || !m_form->isAncestorOf(now)) return;
    if (const int item = FocusedItem(); item >= 0) m_doc.SetCurrentItem(item);
  });
  m_form->installEventFilter(this);
  m_doc.AddView(this);
}

CCardView::~CCardView() { m_doc.RemoveView(this); }

void CCardView::ReadFonts() {
  const int dpi = ScreenDpiY();
  m_contentFont = FontFromRecord(settings::ReadFont(m_host.Settings(), settings::FontSection::Font), dpi);
  m_nameFont = FontFromRecord(settings::ReadFont(m_host.Settings(), settings::FontSection::Item), dpi);
}

void CCardView::OnUpdate(IDocView*, std::uint32_t hint) {
  // Followed change by change, the line counts need no reading of every card.
  if (hint & 0x20000) m_lineCounts.MaxLines(m_doc.Store(), m_doc.CurrentCard());
  if (hint & 0x40000)
    RebuildCard();
  else if (hint & 0x20000)
    ShowCard();
  if (m_cardBar && (hint & 0x60000)) SyncCardBar();
  if (hint == 0) viewport()->update();
}

void CCardView::InitialUpdate() {
  RebuildCard();
  m_host.UpdateTitle();
  m_laidOutWidth = viewport()->width();
  m_laidOutHeight = viewport()->height();
}

bool CCardView::IsInputFree(int item) const {
  const CItemProperty& p = m_doc.Store().Property(item);
  return IsFormulaOrLinked(p) || p.m_type == kItemLinked;
}

std::vector<CLayoutItem> CCardView::LayoutItems() const {
  const CCardStore& store = m_doc.Store();
  const std::vector<int>& maxLines = const_cast<CItemLineCounts&>(m_lineCounts).MaxLines(store, m_doc.CurrentCard());
  std::vector<CLayoutItem> items;
  const int card = m_doc.CurrentCard();
  for (int i = 0; i < store.ItemCount(); ++i) {
    const CItemProperty& p = store.Property(i);
    CLayoutItem it;
    it.name = store.Item(i).toString();
    it.text = card < store.VisibleCount() ? store.GetItemValue(card, i) : QString();
    it.type = int(p.m_type);
    it.multiLine = int(p.m_multiLine);
    it.alignment = int(p.m_hPos);
    it.maxLines = std::size_t(i) < maxLines.size() ? maxLines[std::size_t(i)] : 1;
    it.nameFont = !m_standard && p.m_hasNameFont ? ItemNameKey(i) : kNameKey;
    it.contentFont = !m_standard && p.m_hasContentFont ? ItemContentKey(i) : kContentKey;
    items.push_back(std::move(it));
  }
  return items;
}

CLayoutSettings CCardView::LayoutSettingsNow() const {
  const CStartSettings& cache = m_host.StartSettings();
  CLayoutSettings s;
  s.maxTate = int(cache.maxTate);
  s.itemPosMode = int(cache.itemPosMode);
  s.itemWidthMode = int(cache.itemWidthMode);
  s.cardMargin = m_cardMargin;
  s.labelEditZero = m_labelEditZero;
  s.singleLine = m_singleLine;
  s.clientWidth = viewport()->width();
  s.clientHeight = viewport()->height();
  s.scrollBarWidth = verticalScrollBar()->isVisible() ? 0 : verticalScrollBar()->sizeHint().width();
  s.screenHeight = m_host.Screen().height();
  s.viewNameFont = kNameKey;
  s.viewContentFont = kContentKey;
  return s;
}

CCardLayout CCardView::ComputeLayout() const {
  const CCardStore& store = m_doc.Store();
  std::vector<QFontMetrics> metrics{QFontMetrics(m_contentFont), QFontMetrics(m_nameFont)};
  std::vector<bool> inputFree;
  for (int i = 0; i < store.ItemCount(); ++i) {
    const CItemProperty& p = store.Property(i);
    metrics.emplace_back(p.m_hasContentFont ? FontFromArchive(p.m_contentFont) : m_contentFont);
    metrics.emplace_back(p.m_hasNameFont ? FontFromArchive(p.m_nameFont) : m_nameFont);
    inputFree.push_back(IsInputFree(i));
  }
  return LayoutCard(LayoutItems(), inputFree, LayoutSettingsNow(), CFontMetricsSource(std::move(metrics)));
}

void CCardView::DestroyControls() {
  m_built = false;
  for (Control& c : m_controls) {
    delete c.label;
    delete c.widget;
  }
  m_controls.clear();
}

void CCardView::RebuildCard() {
  const int focused = FocusedItem();
  DestroyControls();
  BuildCard();
  m_built = true;
  ShowCard();
  if (focused >= 0) FocusItem(focused);
}

void CCardView::BuildCard() {
  const CCardStore& store = m_doc.Store();
  const CCardLayout layout = ComputeLayout();
  QPalette formPalette = palette();
  const CVelumProperty& fp = store.FileProperty();
  if (!m_standard && fp.m_set) formPalette.setColor(QPalette::Window, ColorFromRef(fp.m_backColor));
  m_form->setPalette(formPalette);

  for (const CLayoutControl& lc : layout.controls) {
    const int i = lc.item;
    const CItemProperty& p = store.Property(i);
    Control c;
    c.kind = lc.kind;
    c.label = new QLabel(Shortened(store.Item(i)), m_form);
    c.label->setObjectName(QString::number(kLabelIdBase + i));
    c.label->setFont(!m_standard && p.m_hasNameFont ? FontFromArchive(p.m_nameFont) : m_nameFont);
    c.label->setWordWrap(false);
    const QFont contentFont = !m_standard && p.m_hasContentFont ? FontFromArchive(p.m_contentFont) : m_contentFont;
    const Qt::Alignment align = p.m_hPos == 1 ? Qt::AlignHCenter : p.m_hPos == 2 ? Qt::AlignRight : Qt::AlignLeft;
    switch (lc.kind) {
      case ControlKind::DropDown: {
        c.combo = new QComboBox(m_form);
        c.combo->setEditable(true);
        c.combo->setInsertPolicy(QComboBox::NoInsert);
        if (!p.HasFileReference()) c.combo->addItems(p.m_choices);
        c.combo->lineEdit()->setAlignment(align);
        c.combo->lineEdit()->installEventFilter(new CComboKeys(*this, c.combo));
        c.combo->setFocusPolicy(Qt::StrongFocus);
        connect(c.combo, &QComboBox::activated, this, [this, i](int index) {
          Control& ctl = m_controls[std::size_t(i)];
          ctl.combo->lineEdit()->setText(ctl.combo->itemText(index));
          ctl.combo->lineEdit()->setModified(true);
          StoreCard();
          m_doc.UpdateAllViews(this, hint::kRedraw);
        });
        connect(c.combo->lineEdit(), &QLineEdit::editingFinished, this, [this, i] { OnItemFocusOut(i); });
        c.widget = c.combo;
        break;
      }
      case ControlKind::CheckBox: {
        c.check = new QCheckBox(p.m_checkText, m_form);
        connect(c.check, &QCheckBox::clicked, this, [this] {
          StoreCard();
          m_doc.UpdateAllViews(this, hint::kRedraw);
        });
        c.widget = c.check;
        break;
      }
      default: {
        c.edit = new CVelumEdit(m_host.StartSettings(), i, lc.multiLineStyle, m_form);
        connect(c.edit, &CVelumEdit::nextItemRequested, this, &CCardView::NextItem);
        connect(c.edit, &CVelumEdit::previousItemRequested, this, &CCardView::PreviousItem);
        connect(c.edit, &CVelumEdit::itemFocusIn, this, &CCardView::OnItemFocusIn);
        connect(c.edit, &CVelumEdit::itemFocusOut, this, &CCardView::OnItemFocusOut);
        connect(c.edit, &CVelumEdit::contextMenuRequested, this, &CCardView::ContextMenuAt);
        c.edit->setReadOnly(lc.kind == ControlKind::ReadOnlyEdit);
        if (lc.kind == ControlKind::HiddenEdit) c.edit->hide();
        QTextOption option = c.edit->document()->defaultTextOption();
        option.setAlignment(align);
        c.edit->document()->setDefaultTextOption(option);
        // The input method: 常にOFF turns it off for the item, 常にON on.
        if (p.m_set && p.m_imeMode == 2) c.edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        m_japanese->Watch(c.edit, i);
        c.widget = c.edit;
        break;
      }
    }
    c.widget->setObjectName(QString::number(kControlIdBase + i));
    c.widget->setFont(contentFont);
    ApplyColours(i, c);
    c.label->show();
    if (lc.kind != ControlKind::HiddenEdit) c.widget->show();
    m_controls.push_back(c);
  }
  PlaceControls(layout);
}

void CCardView::ApplyColours(int item, Control& c) {
  const CItemProperty& p = m_doc.Store().Property(item);
  if (m_standard || !p.m_set) return;
  QPalette lp = c.label->palette();
  lp.setColor(QPalette::WindowText, ColorFromRef(p.m_nameTextColor));
  c.label->setPalette(lp);
  QPalette wp = c.widget->palette();
  wp.setColor(QPalette::Text, ColorFromRef(p.m_textColor));
  wp.setColor(QPalette::Base, ColorFromRef(p.m_backColor));
  c.widget->setPalette(wp);
}

void CCardView::PlaceControls(const CCardLayout& layout) {
  for (std::size_t k = 0; k < layout.controls.size() && k < m_controls.size(); ++k) {
    const CLayoutControl& lc = layout.controls[k];
    m_controls[k].label->setGeometry(lc.label);
    QRect r = lc.control;
    if (m_controls[k].combo) r.setHeight(m_controls[k].combo->sizeHint().height());
    if (m_controls[k].check) r.setHeight(std::max(r.height(), m_controls[k].check->sizeHint().height()));
    if (CVelumEdit* e = m_controls[k].edit) {
      // The lines the layout gives must show whole in this font's line spacing.
      const int needed = lc.lines * e->fontMetrics().lineSpacing() + 2 * e->frameWidth() + 3;
      r.setHeight(std::max(r.height(), needed));
    }
    m_controls[k].widget->setGeometry(r);
    if (m_controls[k].edit) m_controls[k].edit->SetStyle(lc.multiLineStyle, lc.lines);
  }
  m_form->resize(std::max(layout.scrollSize.width(), viewport()->width()), std::max(layout.scrollSize.height(), 1));
  verticalScrollBar()->setSingleStep(std::max(layout.lineStep.height(), 1));
  verticalScrollBar()->setPageStep(std::max(layout.pageStep.height(), 1));
  m_laidOutWidth = viewport()->width();
  m_laidOutHeight = viewport()->height();
}

void CCardView::RepositionCard() {
  if (m_controls.empty()) return;
  PlaceControls(ComputeLayout());
  m_doc.UpdateAllViews(this, hint::kRedraw);
}

void CCardView::SetSingleLine(bool on) {
  m_singleLine = on;
  StoreCard();
  RebuildCard();
}

void CCardView::ShowCard() {
  if (m_doc.VisibleCount() == 0) {
    // Every card hidden by a filter: the fields stay empty.
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
      Control& c = m_controls[i];
      if (c.edit) c.edit->ShowCardText(u"");
      if (c.combo) c.combo->lineEdit()->setText(QString());
      if (c.check) c.check->setChecked(false);
    }
    return;
  }
  if (m_doc.CurrentCard() >= m_doc.VisibleCount()) {
    m_host.Prompt().Notice(ui_msg::kCardOutOfRange);
    return;
  }
  const bool built = m_built;
  m_built = false;
  for (int i = 0; i < int(m_controls.size()); ++i) ShowItem(i);
  m_built = built;
  if (m_cardBar) SyncCardBar();
}

void CCardView::ShowItem(int item) {
  if (item < 0 || item >= int(m_controls.size())) return;
  const QString text = m_doc.Store().GetItemValue(m_doc.CurrentCard(), item);
  Control& c = m_controls[std::size_t(item)];
  if (c.edit) c.edit->ShowCardText(text);
  if (c.combo) {
    c.combo->lineEdit()->setText(text);
    c.combo->lineEdit()->setModified(false);
  }
  if (c.check) c.check->setChecked(text != u"0" && !text.isEmpty());
}

QString CCardView::ControlText(const Control& c) const {
  if (c.edit) return c.edit->CardText();
  if (c.combo) return c.combo->lineEdit()->text();
  return c.check && c.check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void CCardView::StoreCard() {
  if (!m_built || m_storing) return;
  const int card = m_doc.CurrentCard();
  if (card < 0 || card >= m_doc.VisibleCount()) return;
  m_storing = true;
  CCardStore& store = m_doc.Store();
  std::vector<int> typedItems;
  for (int i = 0; i < int(m_controls.size()); ++i) {
    Control& c = m_controls[std::size_t(i)];
    if (c.check) {
      const QString value = ControlText(c);
      if (value != store.GetItemText(card, i)) {
        m_doc.UndoStack().RecordCard(m_doc, card, undo_label::kSetText);
        store.SetItemText(card, i, value);
        m_doc.SetModifiedFlag();
        RefreshDependents(i);
      }
      continue;
    }
    const bool modified = c.edit ? c.edit->Modified() : c.combo->lineEdit()->isModified();
    if (!modified || (c.edit && c.edit->isReadOnly())) continue;
    // The flag is cleared before the comma question, so the focus leaving for
    // the question box does not store (and ask) a second time.
    if (c.edit) c.edit->SetModified(false);
    if (c.combo) c.combo->lineEdit()->setModified(false);
    const QString typed = ControlText(c);
    QString stored;
    if (!CommitItemText(m_doc, card, i, typed, &stored)) continue;
    typedItems.push_back(i);
    m_lineCounts.NoteText(i, stored);
    const QString shown = store.GetItemValue(card, i);
    if (shown != typed) ShowItem(i);
    RefreshDependents(i);
  }
  m_storing = false;
  if (!typedItems.empty()) m_japanese->Stored(card, typedItems);
}

void CCardView::RefreshDependents(int item) {
  const CCardStore& store = m_doc.Store();
  for (int j = 0; j < int(m_controls.size()); ++j)
    if (j != item && DependsOn(store.Property(j), item)) ShowItem(j);
}

int CCardView::FocusedItem() const {
  for (int i = 0; i < int(m_controls.size()); ++i) {
    const QWidget* w = m_controls[std::size_t(i)].widget;
    if (w && (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()))) return i;
  }
  return -1;
}

QWidget* CCardView::ItemControl(int item) const {
  return item >= 0 && item < int(m_controls.size()) ? m_controls[std::size_t(item)].widget : nullptr;
}

void CCardView::FocusItem(int item) {
  QWidget* w = ItemControl(item);
  if (!w) return;
  w->setFocus(Qt::OtherFocusReason);
  ensureWidgetVisible(w, 0, 0);
  m_lastFocused = item;
}

void CCardView::FocusFirstInputItem() {
  int target = 0;
  for (int i = 0; i < int(m_controls.size()); ++i)
    if (!IsInputFree(i)) {
      target = i;
      break;
    }
  FocusItem(target);
  verticalScrollBar()->setValue(0);
}

void CCardView::OnItemFocusIn(int item) {
  m_lastFocused = item;
  QWidget* w = ItemControl(item);
  if (!w) return;
  if (item == 0)
    verticalScrollBar()->setValue(0);
  else if (item + 1 == int(m_controls.size()))
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  ensureWidgetVisible(w, 0, 0);
}

void CCardView::OnItemFocusOut(int item) {
  if (!m_built || item < 0 || item >= int(m_controls.size())) return;
  const Control& c = m_controls[std::size_t(item)];
  const bool modified = c.edit ? c.edit->Modified() : c.combo ? c.combo->lineEdit()->isModified() : false;
  if (!modified) return;
  StoreCard();
  m_doc.UpdateAllViews(this, hint::kRedraw);
}

void CCardView::NextItem() {
  StoreCard();
  const int i = FocusedItem();
  if (i < 0) return;
  const int n = int(m_controls.size());
  if (!m_host.StartSettings().focusSkip) {
    if (i + 1 < n) return FocusItem(i + 1);
  } else {
    for (int j = i + 1; j < n; ++j)
      if (!IsInputFree(j)) return FocusItem(j);
  }
  const int card = m_doc.CurrentCard();
  if (card + 1 < m_doc.VisibleCount()) {
    m_doc.MakeCurrent(card + 1);
    m_doc.UpdateAllViews(this, hint::kCardMoved);
    ShowCard();
    FocusFirstInputItem();
    return;
  }
  const int focus = AddCardAtEnd(m_doc);
  if (focus < 0) {
    setFocus();
    return;
  }
  ShowCard();
  FocusItem(focus);
  verticalScrollBar()->setValue(0);
}

void CCardView::PreviousItem() {
  const int i = FocusedItem();
  if (i > 0) return FocusItem(i - 1);
  if (i == 0 && m_doc.CurrentCard() > 0) {
    StoreCard();
    m_doc.MakeCurrent(m_doc.CurrentCard() - 1);
    m_doc.UpdateAllViews(this, hint::kCardMoved);
    ShowCard();
    FocusItem(int(m_controls.size()) - 1);
  }
}

void CCardView::LineBreak() {
  const int i = FocusedItem() >= 0 ? FocusedItem() : m_lastFocused;
  if (i < 0 || i >= int(m_controls.size())) return;
  Control& c = m_controls[std::size_t(i)];
  if (c.combo) {
    m_host.Prompt().Notice(edit_msg::kNoBreakInChoice);
    return;
  }
  if (!c.edit || c.edit->isReadOnly()) return;
  if (c.edit->ReplaceSelection(QStringLiteral("\n"))) return;
  StoreCard();
  // The caret in the card's text, where each line break is CR LF.
  const QString shown = c.edit->toPlainText();
  const int pos = c.edit->textCursor().selectionStart();
  const int caret = pos + int(shown.left(pos).count(u'\n'));
  const int after = InsertLineBreak(m_doc, i, caret);
  if (after < 0) return;
  m_lineCounts.NoteText(i, m_doc.Store().GetItemText(m_doc.CurrentCard(), i));
  RebuildCard();
  FocusItem(i);
  Control& rebuilt = m_controls[std::size_t(i)];
  if (rebuilt.edit) {
    const QString text = m_doc.Store().GetItemText(m_doc.CurrentCard(), i).toString();
    const int editPos = after - int(text.left(after).count(QStringLiteral("\r\n")));
    QTextCursor cursor = rebuilt.edit->textCursor();
    cursor.setPosition(std::min(editPos, int(rebuilt.edit->toPlainText().size())));
    rebuilt.edit->setTextCursor(cursor);
  }
}

void CCardView::ChooseFont(bool nameFont) {
  StoreCard();
  if (!ChooseSectionFont(this, m_host.Settings(), nameFont ? settings::FontSection::Item : settings::FontSection::Font))
    return;
  ReadFonts();
  RebuildCard();
  m_doc.UpdateAllViews(this, hint::kRedraw);
}

void CCardView::OpenAsFile() {
  StoreCard();
  const int i = FocusedItem() >= 0 ? FocusedItem() : m_lastFocused;
  if (i < 0) return;
  const COpenRequest request = BuildOpenRequest(m_doc, i);
  if (!request.message.isEmpty()) {
    m_host.Prompt().Notice(request.message);
    return;
  }
  if (request.file.isEmpty()) return;
  m_host.Services().shell.Run(request.file, request.parameters);
}

void CCardView::InsertDateNow() {
  InsertText(ComposeDateTime(CDTime(m_host.Services().clock), ReadDateOptions(m_host.Settings())));
}

void CCardView::InsertText(const QString& text) {
  const int i = FocusedItem() >= 0 ? FocusedItem() : m_lastFocused;
  if (i < 0 || i >= int(m_controls.size())) return;
  Control& c = m_controls[std::size_t(i)];
  if (c.edit && !c.edit->isReadOnly()) {
    c.edit->insertPlainText(text);
  } else if (c.combo) {
    c.combo->lineEdit()->insert(text);
    c.combo->lineEdit()->setModified(true);
  }
}

void CCardView::SetMarginSettings(bool cardMargin, bool labelEditZero) {
  m_cardMargin = cardMargin;
  m_labelEditZero = labelEditZero;
}

bool CCardView::OnCommand(std::uint32_t id) {
  const int focused = FocusedItem();
  auto focusedEdit = [&]() -> QPlainTextEdit* {
    return focused >= 0 ? m_controls[std::size_t(focused)].edit : nullptr;
  };
  auto focusedLine = [&]() -> QLineEdit* {
    return focused >= 0 && m_controls[std::size_t(focused)].combo ? m_controls[std::size_t(focused)].combo->lineEdit()
                                                                   : nullptr;
  };
  switch (id) {
    case cmd::kNextCard:
      NextCard(m_doc);
      return true;
    case cmd::kPrevCard:
      PreviousCard(m_doc);
      return true;
    case cmd::kFirstCard:
      FirstCard(m_doc);
      return true;
    case cmd::kLastCard:
      LastCard(m_doc);
      return true;
    case cmd::kAddCard:
      StoreCard();
      AddCard(m_doc);
      ShowCard();
      FocusFirstInputItem();
      return true;
    case cmd::kInsertCard:
      StoreCard();
      InsertCard(m_doc);
      return true;
    case cmd::kDeleteCard:
      DeleteCards(m_doc);
      return true;
    case cmd::kCutCard:
      CutCards(m_doc);
      return true;
    case cmd::kCopyCard:
      CopyCards(m_doc);
      return true;
    case cmd::kPasteCard:
      PasteCards(m_doc);
      return true;
    case cmd::kAppendPaste:
      if (AppendPasteCards(m_doc) == 0) m_host.Prompt().Notice(edit_msg::kNothingToPaste);
      return true;
    case cmd::kNextItem:
    case cmd::kNextItemAdd:
      NextItem();
      return true;
    case cmd::kPrevItem:
      PreviousItem();
      return true;
    case cmd::kLineBreak:
      LineBreak();
      return true;
    case cmd::kAdjustLengths:
      StoreCard();
      RebuildCard();
      return true;
    case cmd::kScrollUp:
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
      return true;
    case cmd::kScrollDown:
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      return true;
    case cmd::kUndo:
      if (auto* e = focusedEdit()) e->undo();
      if (auto* l = focusedLine()) l->undo();
      return true;
    case cmd::kCopy:
      if (auto* e = focusedEdit()) e->copy();
      if (auto* l = focusedLine()) l->copy();
      return true;
    case cmd::kCut:
      if (auto* e = focusedEdit()) e->cut();
      if (auto* l = focusedLine()) l->cut();
      return true;
    case cmd::kPaste:
      if (auto* e = focusedEdit()) e->paste();
      if (auto* l = focusedLine()) l->paste();
      return true;
    case cmd::kInsertDateNow:
      InsertDateNow();
      return true;
    case cmd::kFont:
      ChooseFont(false);
      return true;
    case cmd::kNameFont:
      ChooseFont(true);
      return true;
    case cmd::kStandard:
      m_standard = !m_standard;
      WriteSetting(m_host.Settings(), settings::kStandard, m_standard ? 1 : 0);
      StoreCard();
      RebuildCard();
      return true;
    case cmd::kOpenAsFile:
      OpenAsFile();
      return true;
    case cmd::kStoreItem:
      m_doc.SetCurrentItem(focused >= 0 ? focused : 0);
      return true;
    case cmd::kFocusMove:
      return true;
    case cmd::kTest:
      horizontalScrollBar()->setValue(0);
      verticalScrollBar()->setValue(0);
      return true;
    default:
      return false;
  }
}

QJsonArray CCardView::LayoutJson() const {
  QJsonArray out;
  for (int i = 0; i < int(m_controls.size()); ++i) {
    const Control& c = m_controls[std::size_t(i)];
    const QRect l = c.label->geometry();
    out.append(QJsonObject{{QStringLiteral("id"), kLabelIdBase + i},
                           {QStringLiteral("item"), i},
                           {QStringLiteral("kind"), QStringLiteral("label")},
                           {QStringLiteral("x"), l.x()},
                           {QStringLiteral("y"), l.y()},
                           {QStringLiteral("w"), l.width()},
                           {QStringLiteral("h"), l.height()},
                           {QStringLiteral("text"), c.label->text()}});
    const QRect r = c.widget->geometry();
    out.append(QJsonObject{{QStringLiteral("id"), kControlIdBase + i},
                           {QStringLiteral("item"), i},
                           {QStringLiteral("kind"), QString::fromLatin1(KindName(c.kind))},
                           {QStringLiteral("x"), r.x()},
                           {QStringLiteral("y"), r.y()},
                           {QStringLiteral("w"), r.width()},
                           {QStringLiteral("h"), r.height()},
                           {QStringLiteral("text"), ControlText(c)}});
  }
  return out;
}

bool CCardView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_form && event->type() == QEvent::Paint) {
    // The focused field is ringed in the highlight colour, drawn on the form
    // around the field so that the field's own frame and size stay as laid out.
    if (const QWidget* w = ItemControl(FocusedItem())) {
      QPainter p(m_form);
      p.setPen(QPen(palette().color(QPalette::Highlight), 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(w->geometry()).adjusted(-1, -1, 1, 1));
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

void CCardView::ContextMenuAt(const QPoint& globalPos) { m_host.ShowContextMenu(1, globalPos); }

void CCardView::SyncCardBar() {
  QSignalBlocker block(m_cardBar);
  m_cardBar->setRange(0, std::max(m_doc.VisibleCount() - 1, 0));
  m_cardBar->setValue(m_doc.CurrentCard());
}

void CCardView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  if (m_cardBar) {
    const QRect v = viewport()->geometry();
    m_cardBar->setGeometry(v.left(), v.bottom() + 1, v.width(), m_cardBar->sizeHint().height());
  }
  // Fields that fill the window follow its height too (the multi-line items' lines).
  const bool fill = m_host.StartSettings().itemWidthMode == 1;
  if (m_built && (viewport()->width() != m_laidOutWidth || (fill && viewport()->height() != m_laidOutHeight))) {
    StoreCard();
    RepositionCard();
  }
}

void CCardView::mouseDoubleClickEvent(QMouseEvent*) {
  StoreCard();
  RebuildCard();
  m_host.Prompt().Notice(ui_msg::kLengthsAdjusted);
}

void CCardView::keyPressEvent(QKeyEvent* event) {
  StoreCard();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    NextItem();
    return;
  }
  QScrollArea::keyPressEvent(event);
}
