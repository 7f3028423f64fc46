#include "core/velum_doc.h"

#include "core/card_file.h"
#include "core/file_kind.h"
#include "core/messages.h"
#include "core/save_question.h"
#include "settings/settings.h"

#include <QFileInfo>

CVelumDoc::CVelumDoc(const CServices& services)
    : m_services(services), m_store(std::make_unique<CCardStore>(services)) {
  MakeNew();
}

void CVelumDoc::MakeNew() {
  m_undo.Clear();
  CItemNameRow names;
  ParseLine(names, u"\"項目１\"\n");
  m_store->SetItemNames(names, true);
  m_currentCard = 0;
  m_currentItem = 0;
}

bool CVelumDoc::OnNewDocument() {
  MakeNew();
  m_path.clear();
  m_stamp = {};
  m_readIncomplete = false;
  m_modified = false;
  return true;
}

bool CVelumDoc::OnOpenDocument(const QString& path) {
  if (const QString reason = NotCardFileReason(path); !reason.isEmpty()) {
    m_services.prompt.Notice(msg::kCannotOpenPath.arg(QFileInfo(path).absoluteFilePath(), reason));
    return false;
  }
  m_modified = true;
  m_undo.Clear();
  m_store->Clear();
  // Taken before the read: a change made while it runs shows at the next save.
  m_stamp = FileStamp(path);
  CWaitCursor wait(m_services.prompt);
  const int result = [&] {
    CProgressScope progress(m_services.Progress(), progress_msg::kOpening, 0);
    return m_store->Read(path);
  }();
  if (result == 0) {
    wait.End();
    m_services.prompt.Notice(msg::kCannotOpen);
    MakeNew();
    m_path.clear();
    m_stamp = {};
    m_readIncomplete = false;
    m_modified = false;
    return true;
  }
  m_readIncomplete = result < 0;
  if (result < 0) m_services.prompt.Notice(msg::kReadIncomplete);

  const int visible = m_store->VisibleCount();
  int card = 0;
  switch (ReadSetting(m_services.settings, settings::kIniCursor)) {
    case 1:
      card = std::max(visible - 1, 0);
      break;
    case 2: {
      const auto pos = m_store->FileProperty().m_cardPosition;
      card = pos < std::uint32_t(visible) ? int(pos) : 0;
      break;
    }
    default:
      break;
  }
  m_currentCard = card;
  m_currentItem = 0;
  wait.End();
  m_path = QFileInfo(path).absoluteFilePath();
  if (onRecentFile) onRecentFile(m_path);
  m_modified = false;
  if (recordDefaultFile) WriteSetting(m_services.settings, settings::kDefaultFile, m_path);
  m_loadTime = m_services.clock.Now();
  return true;
}

void CVelumDoc::StoreCards() {
  for (IDocView* v : m_views) v->StoreCard();
}

bool CVelumDoc::IsOwnFile(const QString& absolute) const {
  return !m_path.isEmpty() && (absolute == m_path || SameFile(absolute, m_path));
}

bool CVelumDoc::MaySaveOver(const QString& absolute, bool* saved) {
  *saved = false;
  if (!IsOwnFile(absolute)) return true;
  if (m_readIncomplete) {
    // What could not be read would be lost with the file: save elsewhere.
    m_services.prompt.Notice(msg::kPartialOverwrite);
    return false;
  }
  if (const CFileStamp now = FileStamp(absolute); m_stamp.valid && now.valid && now != m_stamp) {
    switch (m_services.prompt.OverwriteOrSaveAs(msg::kChangedOnDisk.arg(QFileInfo(absolute).fileName()))) {
      case IPrompt::Choice::Yes:
        break;
      case IPrompt::Choice::No:
        *saved = onSaveAsCommand && onSaveAsCommand();
        return false;
      case IPrompt::Choice::Cancel:
        return false;
    }
  }
  if (m_store->HasReplacedBytes() &&
      !m_services.prompt.Question(msg::kReplacedBytesOverwrite.arg(QFileInfo(absolute).fileName())))
    return false;
  return true;
}

bool CVelumDoc::OnSaveDocument(const QString& path) {
  StoreCards();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  if (bool saved = false; !MaySaveOver(absolute, &saved)) return saved;
  m_store->FileProperty().m_cardPosition = std::uint32_t(std::max(m_currentCard, 0));
  m_loadTime = m_services.clock.Now();
  m_modified = false;
  if (recordDefaultFile) WriteSetting(m_services.settings, settings::kDefaultFile, m_path);
  const bool ok = m_store->Write(absolute) == 1;
  if (!ok) m_modified = true;
  if (ok) {
    m_undo.NoteSaved();
    m_stamp = FileStamp(absolute);
    // The file now holds what the document shows; the bytes replaced on
    // reading are gone from it (or were never in this one).
    m_store->SetReplacedBytes(false);
  }
  return ok;
}

bool CVelumDoc::Save() {
  if (m_path.isEmpty()) return false;
  return OnSaveDocument(m_path);
}

bool CVelumDoc::SaveAs(const QString& path) {
  const QString before = m_path;
  if (!OnSaveDocument(path)) return false;
  // Saved under the name chosen in the window's own 名前を付けて保存 instead.
  if (m_path != before) return true;
  m_path = QFileInfo(path).absoluteFilePath();
  m_readIncomplete = false;
  if (onRecentFile) onRecentFile(m_path);
  return true;
}

bool CVelumDoc::Reload() {
  if (m_path.isEmpty()) {
    m_services.prompt.Notice(msg::kNewFileError);
    return false;
  }
  StoreCards();
  // Unsaved changes would go with the reload: the save question stands in
  // for the reload question then (保存しない reloads without them).
  if (m_modified ? !SaveChangesFirst(*this, [this] { return Save(); })
                 : !m_services.prompt.Question(msg::kReloadQuestion))
    return false;
  const QString path = m_path;
  OnOpenDocument(path);
  UpdateAllViews(nullptr, hint::kWholeDocument);
  return true;
}

bool CVelumDoc::SyncCheck() {
  if (m_path.isEmpty()) return false;
  const QFileInfo info(m_path);
  if (!info.exists()) return false;
  QDateTime stamp = info.birthTime();
  if (!stamp.isValid()) stamp = info.lastModified();
  if (!m_loadTime.isValid() || !(m_loadTime < stamp)) return false;
  if (!m_services.prompt.Question(msg::kSyncQuestion)) return false;
  if (onReloadCommand)
    onReloadCommand();
  else
    Reload();
  return true;
}

void CVelumDoc::ApplyFileProperties(bool msCsv, ColorRef background, bool firstLineIsItems) {
  // The cards change only where the first line turns into names or back.
  if (firstLineIsItems == m_store->FirstLineIsItems())
    m_undo.RecordRecords(*this, undo_label::kFileProperty);
  else
    m_undo.Record(*this, undo_label::kFileProperty);
  CVelumProperty& p = m_store->FileProperty();
  p.m_msCsv = msCsv ? 1 : 0;
  p.m_backColor = background;
  p.m_set = 1;
  const bool changed = m_store->SetFirstLineIsItems(firstLineIsItems) != 0;
  m_modified = true;
  if (changed) {
    m_currentCard = std::min(m_currentCard, std::max(VisibleCount() - 1, 0));
    UpdateAllViews(nullptr, hint::kItemLayout);
  } else {
    UpdateAllViews(nullptr, hint::kRedraw);
  }
}

bool CVelumDoc::MakeCurrent(int card) {
  if (card < 0 || card >= VisibleCount()) return false;
  m_currentCard = card;
  return true;
}

std::vector<int> CVelumDoc::TargetCards() const {
  for (const IDocView* v : m_views) {
    const auto selected = v->SelectedCards();
    if (selected.size() > 1) return selected;
  }
  std::vector<int> all(VisibleCount());
  for (int i = 0; i < VisibleCount(); ++i) all[i] = i;
  return all;
}

std::vector<int> CVelumDoc::TargetCardsOfItemList() const {
  for (const IDocView* v : m_views)
    if (v->IsItemList()) return v->SelectedCards();
  if (VisibleCount() == 0) return {};
  return {m_currentCard};
}

QString CVelumDoc::Title() const {
  return m_path.isEmpty() ? QStringLiteral("無題") : QFileInfo(m_path).fileName();
}

void CVelumDoc::AddView(IDocView* view) { m_views.push_back(view); }

void CVelumDoc::RemoveView(IDocView* view) { std::erase(m_views, view); }

void CVelumDoc::UpdateAllViews(IDocView* sender, std::uint32_t hint) {
  for (IDocView* v : m_views)
    if (v != sender) v->OnUpdate(sender, hint);
}
