#pragma once

#include <QDateTime>

// The source of "now". Local time follows TZ. When the environment variable
// VELUM_NOW holds "YYYY/MM/DD HH:MM:SS", that moment (local time) is "now" for
// the whole run, so that tests and scripted runs are repeatable.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual QDateTime Now() const = 0;
};

class CSystemClock final : public IClock {
 public:
  CSystemClock();
  QDateTime Now() const override;

 private:
  QDateTime m_fixed;  // invalid unless VELUM_NOW was set and readable
};

// A clock that stays where it is put; for tests.
class CFixedClock final : public IClock {
 public:
  explicit CFixedClock(QDateTime now) : m_now(std::move(now)) {}
  QDateTime Now() const override { return m_now; }
  void Set(QDateTime now) { m_now = std::move(now); }

 private:
  QDateTime m_now;
};

// Parses "YYYY/MM/DD HH:MM:SS" as local time; invalid QDateTime when it does not fit.
QDateTime ParseFixedNow(const QString& text);
