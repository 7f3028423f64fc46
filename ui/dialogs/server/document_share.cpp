#include "ui/dialogs/server/document_share.h"

#include "app/frame_command_table.h"
#include "core/card_store.h"
#include "platform/prompt.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSqlDriver>
#include <QTextEdit>

namespace {

const QString kHeldBy = QStringLiteral("このファイルは %1開いています。\n\n%2");
const QString kHeldChoices = QStringLiteral("[はい] 読み取り専用で開く　[いいえ] 開く（保存のときに他の変更を確かめます）　[キャンセル]");
const QString kOldLock = QStringLiteral("このファイルには一日より前の別のコンピューターの使用中の印があります（%1開いたまま）。");
const QString kReadOnlyRefused = QStringLiteral("読み取り専用で開いています。このファイルは変更できません。");
const QString kReadOnlyTitle = QStringLiteral(" (読み取り専用)");
const QString kConflict = QStringLiteral(
    "カード %1 の「%2」は、編集を始めた後に他の人が変更しました。\n\n自分の変更: %3\n相手の変更: %4\n\n"
    "上書きすると相手の変更は消えます。相手の変更を残すと、自分の変更はクリップボードに入ります。");
const QString kConflictDeleted = QStringLiteral(
    "カード %1 は、編集を始めた後に%2。\n\n自分: %3\n相手: %4\n\n[はい] 上書き（自分のほうを残す）　[いいえ] 相手の変更を残す");
const QString kConflictChoices = QStringLiteral("[はい] 上書き　[いいえ] 相手の変更を残す");
const QString kLost = QStringLiteral(
    "サーバーとの接続が切れました（%1）。\nこの後の変更はこのウィンドウと控えのファイルに残し、接続が戻ると送ります。");
const QString kLostStatus = QStringLiteral("サーバーに接続していません（未送信の変更があります）");
const QString kPendingClose = QStringLiteral(
    "サーバーに送っていない変更があります。\n閉じても変更は控えのファイルに残り、次にこのデッキを開くと送ります。閉じますか？");
const QString kCannotOpenDeck = QStringLiteral("サーバーのデッキを開けません。\n%1\n\n%2");
const QString kStructureChanged = QStringLiteral("他の人がデッキの項目を変更しました。デッキを読み込み直します。");
const QString kOrderSaved = QStringLiteral("この並び順をデッキの並び順にしました。");
const QString kOrderNeedsDeck = QStringLiteral("並び順を保存できるのはサーバーのデッキだけです。");

// Commands that change the document; a read-only window refuses them.
bool ChangesDocument(std::uint32_t id) {
  switch (id) {
    case cmd::kSave:
    case cmd::kFileProperties:
    case cmd::kCut:
    case cmd::kPaste:
    case cmd::kLineBreak:
    case cmd::kInsertDate:
    case cmd::kInsertDateNow:
    case cmd::kEditHistory:
    case cmd::kAddCard:
    case cmd::kInsertCard:
    case cmd::kDeleteCard:
    case cmd::kCutCard:
    case cmd::kPasteCard:
    case cmd::kAppendPaste:
    case cmd::kItemProperties:
    case cmd::kEditItems:
    case cmd::kUnify:
    case cmd::kDiscard:
    case cmd::kUndo:
    case cmd::kUndoCommand:
    case cmd::kRedoCommand:
    case cmd::kNextItemAdd:
    case cmd::kStoreItem:
    case 33217:  // 読み込み
      return true;
    default:
      return false;
  }
}

bool IsTextInput(QObject* o) {
  if (auto* line = qobject_cast<QLineEdit*>(o)) return !line->isReadOnly();
  return qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QTextEdit*>(o);
}

// A key that would change the text of an edit.
bool Edits(const QKeyEvent* key) {
  if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Undo) ||
      key->matches(QKeySequence::Redo) || key->matches(QKeySequence::Delete))
    return true;
  if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) return true;
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = key->text();
  return !text.isEmpty() && text[0].isPrint();
}

}  // namespace

CDocumentShare& CDocumentShare::Of(CVelumApp& app, CMainWindow& window) {
  if (auto* share = window.findChild<CDocumentShare*>(QString(), Qt::FindDirectChildrenOnly)) return *share;
  return *new CDocumentShare(app, window);
}

CDocumentShare::CDocumentShare(CVelumApp& app, CMainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  m_app.Doc().AddView(this);
  m_retry.setInterval(2000);
  connect(&m_retry, &QTimer::timeout, this, &CDocumentShare::Retry);
  qApp->installEventFilter(this);
}

CDocumentShare::~CDocumentShare() {
  qApp->removeEventFilter(this);
  m_app.Doc().RemoveView(this);
}

bool CDocumentShare::BeforeOpenFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  // The window's own lock: opening the file again changes nothing.
  if (m_lock.Held() && absolute == m_followedPath) return true;
  const auto holder = ReadLock(absolute);
  const LockState state = ClassifyLock(holder, QDateTime::currentDateTime());
  bool readOnly = false;
  if (state == LockState::kHeld || state == LockState::kOldElsewhere) {
    const QString text = (state == LockState::kOldElsewhere ? kOldLock.arg(DescribeHolder(*holder)) + u'\n' : QString()) +
                         kHeldBy.arg(DescribeHolder(*holder), QFileInfo(absolute).fileName());
    IPrompt::Choice choice;
    if (m_app.ScriptPrompt()) {
      choice = m_app.Prompt().YesNoCancel(text + QStringLiteral("\n") + kHeldChoices);
    } else {
      QMessageBox box(QMessageBox::Question, QStringLiteral("VELUM"), text, QMessageBox::NoButton, &m_window);
      QPushButton* ro = box.addButton(QStringLiteral("読み取り専用で開く"), QMessageBox::AcceptRole);
      QPushButton* open = box.addButton(QStringLiteral("開く"), QMessageBox::DestructiveRole);
      QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
      box.setDefaultButton(ro);
      box.setEscapeButton(cancel);
      box.exec();
      choice = box.clickedButton() == ro     ? IPrompt::Choice::Yes
               : box.clickedButton() == open ? IPrompt::Choice::No
                                             : IPrompt::Choice::Cancel;
    }
    if (choice == IPrompt::Choice::Cancel) return false;
    readOnly = choice == IPrompt::Choice::Yes;
  }
  LeaveDeck();
  m_lock.Release();
  m_readOnly = readOnly;
  // Both edit when the user chose 開く: the other keeps the lock, and the
  // save's check of outside changes guards the file.
  m_followedPath = absolute;
  if (state != LockState::kHeld && state != LockState::kOldElsewhere) m_lock.Acquire(absolute, QDateTime::currentDateTime());
  return true;
}

void CDocumentShare::Follow() {
  if (m_deck) {
    // A deck saved under a file's name becomes that file: it leaves the server.
    if (m_app.Doc().PathName().isEmpty()) return;
    LeaveDeck();
  }
  const QString path = m_app.Doc().PathName();
  const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  if (absolute == m_followedPath) return;
  m_lock.Release();
  m_readOnly = false;
  m_followedPath = absolute;
  if (absolute.isEmpty()) return;
  // A file opened without BeforeOpenFile (saved under a new name): taken
  // unless another holds it.
  if (ClassifyLock(ReadLock(absolute), QDateTime::currentDateTime()) != LockState::kHeld)
    m_lock.Acquire(absolute, QDateTime::currentDateTime());
}

QString CDocumentShare::DecorateTitle(const QString& name) const {
  const QString base = m_deck ? m_deck->Uri().deck : name;
  return m_readOnly ? base + kReadOnlyTitle : base;
}

QString CDocumentShare::StatusNote() const { return m_deck && m_lost ? kLostStatus : QString(); }

bool CDocumentShare::RefuseChange(std::uint32_t id) {
  if (!m_readOnly || !ChangesDocument(id)) return false;
  m_app.Prompt().Notice(kReadOnlyRefused);
  return true;
}

bool CDocumentShare::eventFilter(QObject* watched, QEvent* event) {
  if (!m_readOnly || m_refusing) return false;
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::InputMethod) return false;
  if (!IsTextInput(watched)) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != &m_window) return false;
  if (event->type() == QEvent::KeyPress && !Edits(static_cast<QKeyEvent*>(event))) return false;
  m_refusing = true;
  m_app.Prompt().Notice(kReadOnlyRefused);
  m_refusing = false;
  return true;
}

bool CDocumentShare::OpenDeck(const QString& text, const QString& password) {
  CDeckUri uri;
  QString error;
  if (!ParseDeckUri(text, &uri, &error)) {
    m_app.Prompt().Notice(kCannotOpenDeck.arg(text, error));
    return false;
  }
  if (!password.isEmpty()) uri.password = password;
  auto deck = std::make_unique<CServerDeck>(uri);
  if (!deck->Connect()) {
    m_app.Prompt().Notice(kCannotOpenDeck.arg(uri.ToString(), deck->Error()));
    return false;
  }
  CVelumDoc& doc = m_app.Doc();
  LeaveDeck();
  m_lock.Release();
  m_readOnly = false;
  m_followedPath.clear();
  doc.OnNewDocument();
  if (!deck->Load(doc.Store())) {
    m_app.Prompt().Notice(kCannotOpenDeck.arg(uri.ToString(), deck->Error()));
    doc.OnNewDocument();
    m_window.DocumentReplaced();
    return false;
  }
  doc.MakeFirstCurrent();
  doc.SetModifiedFlag(false);
  m_deck = std::move(deck);
  m_lost = m_lostTold = false;
  connect(m_deck->Connection().Db().driver(), &QSqlDriver::notification, this,
          [this](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) { Notified(name, payload); });
  // Changes a window left behind when it died go now, with the same checks.
  QFile journal(JournalPath());
  if (journal.open(QIODevice::ReadOnly)) {
    const QJsonObject j = QJsonDocument::fromJson(journal.readAll()).object();
    journal.close();
    m_deck->ApplyJournal(doc.Store(), j);
  }
  m_app.Recent().Add(uri.ToString());
  m_window.DocumentReplaced();
  CommitNow();
  return true;
}

void CDocumentShare::LeaveDeck() {
  if (!m_deck) return;
  m_retry.stop();
  if (m_deck->HasPending(m_app.Doc().Store())) WriteJournal();
  m_deck.reset();
  m_lost = false;
}

void CDocumentShare::OnUpdate(IDocView*, std::uint32_t) { ScheduleCommit(); }

void CDocumentShare::ScheduleCommit() {
  if (!m_deck || m_commitScheduled || m_committing) return;
  m_commitScheduled = true;
  QTimer::singleShot(0, this, [this] {
    m_commitScheduled = false;
    CommitNow();
  });
}

void CDocumentShare::CommitNow() {
  if (!m_deck || m_committing) return;
  // While the server is gone every change goes to the journal; the retry commits.
  if (m_lost) {
    WriteJournal();
    return;
  }
  CVelumDoc& doc = m_app.Doc();
  if (!m_deck->HasPending(doc.Store())) {
    if (doc.IsModified()) {
      doc.SetModifiedFlag(false);
      m_window.UpdateTitle();
    }
    return;
  }
  m_committing = true;
  const CCommitResult r = m_deck->Commit(doc.Store(), [this](const CCardConflict& c) { return Ask(c); });
  m_committing = false;
  if (!r.ok && r.connectionLost) {
    ConnectionLost(r.error);
    return;
  }
  if (!r.ok && r.reload) {
    m_app.Prompt().Notice(kStructureChanged);
    const QString uri = m_deck->Uri().ToString();
    const QString password = m_deck->Uri().password;
    m_deck.reset();
    OpenDeck(uri, password);
    return;
  }
  if (!r.ok) m_app.Prompt().Notice(r.error);
  if (r.ok) {
    QFile::remove(JournalPath());
    doc.SetModifiedFlag(false);
  }
  if (r.storeChanged) doc.UpdateAllViews(this, hint::kWholeDocument);
  if (!m_deferred.empty()) {
    const std::vector<qint64> ids(m_deferred.begin(), m_deferred.end());
    m_deferred.clear();
    Refresh(ids);
  }
  m_window.UpdateTitle();
}

ConflictChoice CDocumentShare::Ask(const CCardConflict& c) {
  CVelumDoc& doc = m_app.Doc();
  int card = c.allIndex;
  for (int n = 0; n < doc.VisibleCount(); ++n)
    if (c.allIndex >= 0 && doc.Store().VisibleCard(n) == doc.Store().AllCard(c.allIndex)) card = n;
  const QString text =
      c.item >= 0 ? kConflict.arg(card + 1).arg(c.itemName, c.mine, c.theirs)
                  : kConflictDeleted.arg(card + 1)
                        .arg(c.mine.isEmpty() ? QStringLiteral("自分が削除し、他の人が変更しました")
                                              : QStringLiteral("他の人が削除しました"),
                             c.mine.isEmpty() ? QStringLiteral("（削除）") : c.mine,
                             c.theirs.isEmpty() ? QStringLiteral("（削除）") : c.theirs);
  bool mine;
  if (m_app.ScriptPrompt()) {
    mine = m_app.Prompt().YesNo(c.item >= 0 ? text + u'\n' + kConflictChoices : text);
  } else {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VELUM"), text, QMessageBox::NoButton, &m_window);
    QPushButton* overwrite = box.addButton(QStringLiteral("上書き"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(QStringLiteral("相手の変更を残す"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    mine = box.clickedButton() == overwrite;
  }
  // The text given up is never lost: it goes to the clipboard.
  if (!mine && !c.mine.isEmpty()) m_app.Services().clipboard.SetText(c.mine);
  return mine ? ConflictChoice::kMine : ConflictChoice::kTheirs;
}

void CDocumentShare::Notified(const QString& name, const QVariant& payload) {
  if (!m_deck || name != CServerDeck::Channel()) return;
  std::vector<qint64> ids;
  if (!m_deck->ParsePayload(payload.toString(), &ids)) return;
  Refresh(ids);
}

void CDocumentShare::Refresh(const std::vector<qint64>& ids) {
  if (!m_deck || m_committing || m_lost) return;
  CVelumDoc& doc = m_app.Doc();
  // The card whose field is being typed into keeps what is typed: its news
  // wait until the edit is stored, and then merge as a commit does.
  const QWidget* focus = QApplication::focusWidget();
  const bool typing = focus && IsTextInput(const_cast<QWidget*>(focus)) && focus->window() == &m_window;
  const CCardRow* current = doc.Store().VisibleCard(doc.CurrentCard());
  bool changed = false, reload = false;
  const int countBefore = doc.Store().AllCount();
  std::vector<qint64> wanted = ids;
  if (typing && current) {
    // Which id the typed-into card has is the deck's to know; refreshing all
    // cards but that one is the same as leaving its news for later.
    const qint64 id = m_deck->IdOf(current);
    if (id != 0) {
      m_deferred.insert(id);
      if (wanted.empty()) {
        if (!m_deck->Refresh(doc.Store(), {}, &changed, &reload, current)) return;
      } else {
        std::erase(wanted, id);
        if (!wanted.empty() && !m_deck->Refresh(doc.Store(), wanted, &changed, &reload)) return;
      }
    }
  } else if (!m_deck->Refresh(doc.Store(), wanted, &changed, &reload)) {
    return;
  }
  if (reload) {
    const QString uri = m_deck->Uri().ToString();
    const QString password = m_deck->Uri().password;
    m_deck->HasPending(doc.Store()) ? WriteJournal() : void();
    m_deck.reset();
    OpenDeck(uri, password);
    return;
  }
  if (!changed) return;
  if (doc.CurrentCard() >= doc.VisibleCount()) doc.MakeFirstCurrent();
  // While a field is typed into only the views' paint is renewed, unless
  // cards came or went, which the lists must know.
  const bool sameCards = doc.Store().AllCount() == countBefore;
  doc.UpdateAllViews(this, typing && sameCards ? hint::kRedraw : hint::kWholeDocument);
  m_window.UpdateTitle();
}

void CDocumentShare::ConnectionLost(const QString& error) {
  m_lost = true;
  WriteJournal();
  m_window.UpdateTitle();
  if (!m_lostTold) {
    m_lostTold = true;
    m_app.Prompt().Notice(kLost.arg(error.trimmed()));
  }
  m_retry.start();
}

void CDocumentShare::Retry() {
  if (!m_deck) {
    m_retry.stop();
    return;
  }
  if (!m_deck->Reconnect()) return;
  m_retry.stop();
  m_lost = false;
  m_lostTold = false;
  // What others did meanwhile came without notifications: every card is looked at.
  Refresh({});
  CommitNow();
  m_window.UpdateTitle();
}

bool CDocumentShare::MayClose() {
  if (!m_deck) return true;
  CommitNow();
  if (!m_deck->HasPending(m_app.Doc().Store())) return true;
  WriteJournal();
  return m_app.Prompt().Question(kPendingClose);
}

void CDocumentShare::SaveOrder() {
  if (!m_deck) {
    m_app.Prompt().Notice(kOrderNeedsDeck);
    return;
  }
  CommitNow();
  if (!m_deck->SaveOrder(m_app.Doc().Store()))
    m_app.Prompt().Notice(m_deck->Error());
  else
    m_app.Prompt().Notice(kOrderSaved);
}

QString CDocumentShare::JournalPath() const {
  if (!m_deck) return {};
  const QString uri = m_deck->Uri().ToString();
  const QDir dir = QFileInfo(m_app.Settings().Path()).absoluteDir();
  return dir.filePath(QStringLiteral("journal/") +
                      QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Sha1).toHex()) +
                      QStringLiteral(".json"));
}

void CDocumentShare::WriteJournal() {
  if (!m_deck) return;
  const QString path = JournalPath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile f(path);
  if (f.open(QIODevice::WriteOnly)) {
    f.write(QJsonDocument(m_deck->PendingJournal(m_app.Doc().Store())).toJson(QJsonDocument::Compact));
    f.commit();
  }
}
