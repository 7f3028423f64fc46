#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

// Holds an exclusive advisory lock on "<settings file>.lock" for its lifetime.
class CFileLock {
 public:
  explicit CFileLock(const QString& path) {
    m_fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }
  ~CFileLock() {
    if (m_fd >= 0) {
      ::flock(m_fd, LOCK_UN);
      ::close(m_fd);
    }
  }
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

 private:
  int m_fd = -1;
};

QString Unescape(QStringView s, bool* ok) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] == u'\\') {
      if (i + 1 >= s.size()) {
        *ok = false;
        return {};
      }
      ++i;
    } else if (s[i] == u'"') {
      *ok = false;  // an unescaped quote inside the text
      return {};
    }
    out += s[i];
  }
  *ok = true;
  return out;
}

QString Escape(const QString& s) {
  QString out;
  out.reserve(s.size() + 2);
  for (QChar c : s) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  return out;
}

// Reads `"Name"=...`; false for a line of any other form.
bool ParseValueLine(QStringView line, QString* name, QString* rest) {
  if (!line.startsWith(u'"')) return false;
  qsizetype i = 1;
  QString n;
  while (i < line.size() && line[i] != u'"') {
    if (line[i] == u'\\' && i + 1 < line.size()) ++i;
    n += line[i];
    ++i;
  }
  if (i >= line.size() || i + 1 >= line.size() || line[i + 1] != u'=') return false;
  *name = n;
  *rest = line.mid(i + 2).trimmed().toString();
  return true;
}

}  // namespace

QString CSettingsStore::KeyPrefix() { return QStringLiteral("HKEY_CURRENT_USER\\Software\\Zelphi\\Velum\\"); }

QString CSettingsStore::DefaultPath() {
  const QByteArray env = qgetenv("VELUM_SETTINGS");
  if (!env.isEmpty()) return QFile::decodeName(env);
  QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
  QString base = xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : QFile::decodeName(xdg);
  return base + QStringLiteral("/velum/velum.reg");
}

CSettingsStore::CSettingsStore(QString path) : m_path(std::move(path)) {}

CSettingsStore::Stamp CSettingsStore::CurrentStamp() const {
  struct stat st {};
  Stamp s;
  if (::stat(QFile::encodeName(m_path).constData(), &st) != 0) return s;
  s.exists = true;
  s.size = st.st_size;
  s.inode = st.st_ino;
  s.modified = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
  return s;
}

void CSettingsStore::Refresh() const {
  const Stamp now = CurrentStamp();
  if (m_loaded && now == m_stamp) return;
  m_stamp = now;
  m_loaded = true;
  m_content = {};
  if (!now.exists) return;
  QFile f(m_path);
  if (!f.open(QIODevice::ReadOnly)) return;
  m_content = Parse(QString::fromUtf8(f.readAll()));
}

CSettingsStore::Content CSettingsStore::Parse(const QString& text) {
  Content c;
  const QStringList lines = text.split(u'\n');
  for (qsizetype li = 0; li < lines.size(); ++li) {
    QString raw = lines[li];
    if (raw.endsWith(u'\r')) raw.chop(1);
    if (li == lines.size() - 1 && raw.isEmpty()) break;  // the final line feed
    const QString line = raw.trimmed();
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      Section s;
      s.header = line.mid(1, line.size() - 2);
      if (s.header.startsWith(KeyPrefix(), Qt::CaseInsensitive)) s.name = s.header.mid(KeyPrefix().size());
      c.sections.push_back(std::move(s));
      continue;
    }
    if (c.sections.empty()) {
      if (line.compare(kHeader, Qt::CaseInsensitive) != 0) c.preamble << raw;
      continue;
    }
    Line l;
    l.raw = raw;
    QString name, rest;
    if (!line.startsWith(u';') && ParseValueLine(line, &name, &rest)) {
      if (rest.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
        const QString hex = rest.mid(6);
        bool ok = false;
        const uint n = hex.toUInt(&ok, 16);
        if (ok && hex.size() <= 8) {
          l.isValue = true;
          l.value = {name, true, n, {}};
        }
      } else if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"')) {
        bool ok = false;
        QString t = Unescape(QStringView(rest).mid(1, rest.size() - 2), &ok);
        if (ok) {
          l.isValue = true;
          l.value = {name, false, 0, t};
        }
      }
    }
    c.sections.back().lines.push_back(std::move(l));
  }
  return c;
}

QString CSettingsStore::Serialise(const Content& content) {
  QString out = kHeader + u'\n';
  for (const QString& p : content.preamble) out += p + u'\n';
  for (const Section& s : content.sections) {
    out += u'[' + s.header + QStringLiteral("]\n");
    for (const Line& l : s.lines) {
      if (!l.isValue) {
        out += l.raw + u'\n';
      } else if (l.value.isNumber) {
        out += u'"' + Escape(l.value.name) + QStringLiteral("\"=dword:") +
               QStringLiteral("%1").arg(l.value.number, 8, 16, QLatin1Char('0')) + u'\n';
      } else {
        out += u'"' + Escape(l.value.name) + QStringLiteral("\"=\"") + Escape(l.value.text) + QStringLiteral("\"\n");
      }
    }
  }
  return out;
}

const CSettingsStore::Value* CSettingsStore::Find(const QString& section, const QString& value) const {
  Refresh();
  for (const Section& s : m_content.sections) {
    if (s.name.isEmpty() || s.name.compare(section, Qt::CaseInsensitive) != 0) continue;
    for (const Line& l : s.lines)
      if (l.isValue && l.value.name.compare(value, Qt::CaseInsensitive) == 0) return &l.value;
  }
  return nullptr;
}

std::uint32_t CSettingsStore::GetProfileInt(const QString& section, const QString& value, std::uint32_t def) const {
  const Value* v = Find(section, value);
  return v && v->isNumber ? v->number : def;
}

QString CSettingsStore::GetProfileString(const QString& section, const QString& value, const QString& def) const {
  const Value* v = Find(section, value);
  return v && !v->isNumber ? v->text : def;
}

bool CSettingsStore::WriteProfileInt(const QString& section, const QString& value, std::uint32_t number) {
  return Write(section, value, Value{value, true, number, {}});
}

bool CSettingsStore::WriteProfileString(const QString& section, const QString& value, const QString& text) {
  return Write(section, value, Value{value, false, 0, text});
}

bool CSettingsStore::Write(const QString& section, const QString& value, const Value& v) {
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  CFileLock lock(m_path);
  m_loaded = false;
  Refresh();

  Section* target = nullptr;
  for (Section& s : m_content.sections)
    if (!s.name.isEmpty() && s.name.compare(section, Qt::CaseInsensitive) == 0) {
      target = &s;
      break;
    }
  if (!target) {
    if (m_content.sections.empty() && m_content.preamble.isEmpty()) m_content.preamble << QString();
    if (!m_content.sections.empty()) {
      auto& prev = m_content.sections.back().lines;
      if (prev.empty() || prev.back().isValue || !prev.back().raw.trimmed().isEmpty()) prev.push_back(Line{});
    }
    Section s;
    s.header = KeyPrefix() + section;
    s.name = section;
    m_content.sections.push_back(std::move(s));
    target = &m_content.sections.back();
  }
  bool replaced = false;
  for (Line& l : target->lines) {
    if (l.isValue && l.value.name.compare(value, Qt::CaseInsensitive) == 0) {
      const QString spelling = l.value.name;
      l.value = v;
      l.value.name = spelling;
      replaced = true;
      break;
    }
  }
  if (!replaced) {
    // Keep trailing blank lines after the new value so sections stay apart.
    auto pos = target->lines.end();
    while (pos != target->lines.begin() && !(pos - 1)->isValue && (pos - 1)->raw.trimmed().isEmpty()) --pos;
    Line l;
    l.isValue = true;
    l.value = v;
    target->lines.insert(pos, std::move(l));
  }

  QSaveFile f(m_path);
  if (!f.open(QIODevice::WriteOnly)) {
    m_loaded = false;
    return false;
  }
  f.write(Serialise(m_content).toUtf8());
  const bool ok = f.commit();
  m_loaded = false;  // the next read takes the file as it now stands
  return ok;
}
