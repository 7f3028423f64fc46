#include "cli/terminal_progress.h"

#include <chrono>

#include <unistd.h>

using namespace std::chrono_literals;

CTerminalProgress::CTerminalProgress(FILE* to) : m_to(to), m_terminal(::isatty(::fileno(to)) == 1) {}

CTerminalProgress::~CTerminalProgress() { Stop(); }

void CTerminalProgress::Begin(const QString& what, qint64 total) {
  if (m_depth++ > 0 || !m_terminal) return;  // an inner task belongs to the outer one
  m_what = (what + QStringLiteral("…")).toUtf8();
  m_total = total;
  m_done = 0;
  m_stop = false;
  m_drawn = false;
  m_thread = std::thread([this] { Run(); });
}

void CTerminalProgress::End() {
  if (m_depth == 0 || --m_depth > 0) return;
  Stop();
}

void CTerminalProgress::Stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void CTerminalProgress::Run() {
  std::unique_lock lock(m_mutex);
  if (m_wake.wait_for(lock, 500ms, [this] { return m_stop; })) return;  // a short task shows nothing
  do {
    QByteArray line = "\r" + m_what;
    if (m_total > 0) line += " " + QByteArray::number(std::min<qint64>(m_done.load() * 100 / m_total, 100)) + "%";
    fputs(line.constData(), m_to);
    fflush(m_to);
    m_drawn = true;
  } while (!m_wake.wait_for(lock, 100ms, [this] { return m_stop; }));
  if (m_drawn) {
    fputs("\r\033[K", m_to);  // the line is taken away again
    fflush(m_to);
  }
}

void CTerminalProgress::PrintAround(const std::function<void()>& print) {
  if (!m_thread.joinable()) {
    print();
    return;
  }
  std::lock_guard lock(m_mutex);
  if (m_drawn) {
    fputs("\r\033[K", m_to);
    fflush(m_to);
    m_drawn = false;
  }
  print();
}
