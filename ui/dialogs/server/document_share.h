#pragma once

#include "core/velum_doc.h"
#include "server/file_lock.h"
#include "server/server_deck.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <unordered_set>

class CMainWindow;
class CVelumApp;

// What the window shares with others: the lock beside the card file it has
// open (the question when another holds it, the read-only window), or the
// server deck it edits (each stored change committed, others' changes taken
// in on their notifications, conflicts asked, a lost connection survived
// with a journal). One per window, a child of it.
class CDocumentShare final : public QObject, public IDocView {
  Q_OBJECT

 public:
  static CDocumentShare& Of(CVelumApp& app, CMainWindow& window);
  // The window's share once made, else null.
  static CDocumentShare* Find(const QObject* window) {
    return window->findChild<CDocumentShare*>(QString(), Qt::FindDirectChildrenOnly);
  }
  CDocumentShare(CVelumApp& app, CMainWindow& window);
  ~CDocumentShare() override;

  // Before a card file is opened: when another holds its lock, the question
  // 読み取り専用で開く / 開く / キャンセル; false for キャンセル.
  bool BeforeOpenFile(const QString& path);
  // Opens a server deck in place of the document; false (with a message)
  // when it cannot, the document staying as it was.
  bool OpenDeck(const QString& uri, const QString& password = {});
  // The document changed its file (opened, new, saved under a new name): the
  // lock and the deck follow.
  void Follow();

  bool ReadOnly() const { return m_readOnly; }
  bool OnDeck() const { return m_deck != nullptr; }
  // The name the title shows in place of the file's: the deck's, with
  // 読み取り専用 for a read-only window.
  QString DecorateTitle(const QString& name) const;
  // What the status bar adds: the lost connection and the changes waiting.
  QString StatusNote() const;
  // A command that would change a read-only document: the message, and true
  // (the command is refused).
  bool RefuseChange(std::uint32_t id);
  // After every command: the changes go to the server.
  void AfterCommand() { ScheduleCommit(); }
  // Before the window closes: false when the user keeps it open.
  bool MayClose();
  // 並び順を保存: the window's order becomes the deck's.
  void SaveOrder();
  // Commits now (tests and the automation wait for it this way).
  void CommitNow();

  void OnUpdate(IDocView* sender, std::uint32_t hint) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ScheduleCommit();
  void LeaveDeck();
  void Notified(const QString& name, const QVariant& payload);
  void Refresh(const std::vector<qint64>& ids);
  void ConnectionLost(const QString& error);
  void Retry();
  ConflictChoice Ask(const CCardConflict& c);
  QString JournalPath() const;
  void WriteJournal();

  CVelumApp& m_app;
  CMainWindow& m_window;
  CFileLock m_lock;
  QString m_followedPath;
  bool m_readOnly = false;
  bool m_refusing = false;
  std::unique_ptr<CServerDeck> m_deck;
  bool m_commitScheduled = false;
  bool m_committing = false;
  bool m_lost = false;
  bool m_lostTold = false;
  QTimer m_retry;
  std::unordered_set<qint64> m_deferred;  // cards a refresh left alone while typed into
};
