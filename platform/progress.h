#pragma once

#include <QString>
#include <QtGlobal>

// Progress of a long task (opening, saving, recalculating or sorting a large
// deck). The window shows a progress dialog, velum-cli a line on a terminal's
// stderr, tests nothing. Tasks nest (a save recalculates first): an inner task
// belongs to the outer one, and implementations show the outer one only. Step
// may be called often, so implementations keep it cheap.
class IProgress {
 public:
  virtual ~IProgress() = default;
  // what: a short text such as "保存中"; total: the number of steps, 0 when unknown.
  virtual void Begin(const QString& what, qint64 total) = 0;
  virtual void Step(qint64 done) = 0;
  virtual void End() = 0;
};

class CNoProgress final : public IProgress {
 public:
  void Begin(const QString&, qint64) override {}
  void Step(qint64) override {}
  void End() override {}
};

// Begin in the constructor, End when the scope ends.
class CProgressScope {
 public:
  CProgressScope(IProgress& progress, const QString& what, qint64 total) : m_progress(progress) {
    m_progress.Begin(what, total);
  }
  ~CProgressScope() { m_progress.End(); }
  CProgressScope(const CProgressScope&) = delete;
  CProgressScope& operator=(const CProgressScope&) = delete;
  void Step(qint64 done) { m_progress.Step(done); }

 private:
  IProgress& m_progress;
};

namespace progress_msg {
inline const QString kOpening = QStringLiteral("読み込み中");
inline const QString kSaving = QStringLiteral("保存中");
inline const QString kRecalculating = QStringLiteral("再計算中");
inline const QString kSorting = QStringLiteral("並べ替え中");
}  // namespace progress_msg
