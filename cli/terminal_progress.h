#pragma once

#include "platform/progress.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

// Progress as one line on standard error, rewritten in place, when standard
// error is a terminal; nothing otherwise (a pipe or a file gets no control
// characters). The line is drawn by a thread of its own, because most tasks
// report no steps: it appears when a task has run for half a second, is
// redrawn ten times a second, and is taken away when the task ends.
class CTerminalProgress final : public IProgress {
 public:
  explicit CTerminalProgress(FILE* to);
  ~CTerminalProgress() override;

  void Begin(const QString& what, qint64 total) override;
  void Step(qint64 done) override { m_done.store(done, std::memory_order_relaxed); }
  void End() override;
  // Runs print (which writes to stderr during a task) with the line taken
  // away; the line comes back at the next redraw, below what was printed.
  void PrintAround(const std::function<void()>& print);

 private:
  void Run();
  void Stop();

  FILE* m_to;
  bool m_terminal;
  int m_depth = 0;
  QByteArray m_what;
  qint64 m_total = 0;
  std::atomic<qint64> m_done{0};
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_drawn = false;
};
