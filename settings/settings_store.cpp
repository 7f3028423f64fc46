#include "settings/settings_store.h"

#include "platform/file_io.h"
#include "platform/input_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

// Holds an exclusive advisory lock on "<settings file>.lock" for its lifetime.
// Another process that keeps the lock is waited for up to `wait`, never
// without end: Held() then answers false and nothing may be written.
class CFileLock {
 public:
  CFileLock(const QString& lockPath, std::chrono::milliseconds wait) {
    m_fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) return;  // no lock to be had (a read-only folder): the write itself will say why
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      // A file system without locks: go on unlocked, as the lock cannot help.
      // Another process's lock: wait until the deadline.
      const bool busy = errno == EWOULDBLOCK;
      if (!busy || std::chrono::steady_clock::now() >= deadline) {
        ::close(m_fd);
        m_fd = -1;
        m_held = !busy;
        return;
      }
      ::usleep(20 * 1000);
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

  bool Held() const { return m_held; }

 private:
  int m_fd = -1;
  bool m_held = true;
};

// In a text, a backslash and a double quote are escaped by a backslash, and so
// are the characters that would end the line or the file's text: CR as \r, LF
// as \n, NUL as \0. Any other character after a backslash stands for itself.
QChar Unescaped(QChar c) {
  switch (c.unicode()) {
    case u'r': return u'\r';
    case u'n': return u'\n';
    case u'0': return QChar(0);
    default: return c;
  }
}

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
      out += Unescaped(s[i]);
      continue;
    }
    if (s[i] == u'"') {
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
    switch (c.unicode()) {
      case u'\\': out += u"\\\\"; break;
      case u'"': out += u"\\\""; break;
      case u'\r': out += u"\\r"; break;
      case u'\n': out += u"\\n"; break;
      case u'\0': out += u"\\0"; break;
      default: out += c;
    }
  }
  return out;
}

// Reads `"Name"=...`; false for a line of any other form.
bool ParseValueLine(QStringView line, QString* name, QString* rest) {
  if (!line.startsWith(u'"')) return false;
  qsizetype i = 1;
  QString n;
  while (i < line.size() && line[i] != u'"') {
    if (line[i] == u'\\' && i + 1 < line.size()) {
      n += Unescaped(line[++i]);
    } else {
      n += line[i];
    }
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
  // Inside Update the content read under the lock is the truth.
  if (m_updateDepth > 0) return;
  const Stamp now = CurrentStamp();
  if (m_loaded && now == m_stamp) return;
  m_stamp = now;
  m_loaded = true;
  m_content = {};
  if (!now.exists) return;
  // Only a regular file of a sensible size, opened without blocking: a FIFO
  // would hang every read and a device would fill the memory. What cannot be
  // read yields the defaults and is never written over.
  QByteArray bytes;
  QString reason;
  if (const InputStatus status = ReadInputFile(m_path, kMaxFileSize, &bytes, &reason); status != InputStatus::kOk) {
    if (status != InputStatus::kMissing) m_content.unreadable = reason;  // gone since: written anew
    return;
  }
  m_content = Parse(bytes);
}

namespace {

// The lines of a file in the form it has, each with its text and, where it was
// not UTF-8, its bytes. A carriage return before the line feed is dropped from
// the text (the file's line end is kept separately).
struct SourceLine {
  QString text;
  QByteArray bytes;
};

QString FromUtf16(const QByteArray& bytes, bool bigEndian) {
  QString text(bytes.size() / 2, Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const auto a = std::uint8_t(bytes[2 * i]), b = std::uint8_t(bytes[2 * i + 1]);
    text[i] = QChar(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
  }
  return text;
}

QByteArray ToUtf16(const QString& text, bool bigEndian) {
  QByteArray out(text.size() * 2, Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    out[2 * i] = char(bigEndian ? c >> 8 : c & 0xFF);
    out[2 * i + 1] = char(bigEndian ? c & 0xFF : c >> 8);
  }
  return out;
}

}  // namespace

CSettingsStore::Content CSettingsStore::Parse(const QByteArray& bytes) {
  Content c;
  std::vector<SourceLine> lines;
  auto addText = [&](const QString& text) {
    const QStringList parts = text.split(u'\n');
    for (const QString& part : parts) lines.push_back({part, {}});
  };
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    // A registry export in its usual form.
    const bool be = bytes.startsWith("\xFE\xFF");
    c.form = be ? Form::kUtf16Be : Form::kUtf16Le;
    addText(FromUtf16(bytes.mid(2), be));
  } else if (bytes.contains('\0')) {
    c.unreadable = QStringLiteral("UTF-8でもバイト順マーク付きのUTF-16でもありません");
    return c;
  } else {
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom) c.form = Form::kUtf8Bom;
    for (const QByteArray& piece : bytes.mid(bom ? 3 : 0).split('\n')) {
      QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
      SourceLine line{decoder(piece), {}};
      if (decoder.hasError()) line.bytes = piece;
      lines.push_back(std::move(line));
    }
  }
  if (!lines.empty() && lines.back().text.isEmpty() && lines.back().bytes.isEmpty()) lines.pop_back();  // the final line feed
  c.crlf = !lines.empty() && lines.front().text.endsWith(u'\r');
  for (SourceLine& source : lines) {
    QString raw = std::move(source.text);
    if (raw.endsWith(u'\r')) raw.chop(1);
    const QString line = raw.trimmed();
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      Section s;
      s.header = line.mid(1, line.size() - 2);
      s.headerBytes = source.bytes;
      // A damaged name is never taken for one of ours.
      if (s.headerBytes.isEmpty() && s.header.startsWith(KeyPrefix(), Qt::CaseInsensitive))
        s.name = s.header.mid(KeyPrefix().size());
      c.sections.push_back(std::move(s));
      continue;
    }
    Line l;
    l.raw = raw;
    l.bytes = source.bytes;
    if (c.sections.empty()) {
      if (line.compare(kHeader, Qt::CaseInsensitive) != 0) c.preamble.push_back(std::move(l));
      continue;
    }
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

QByteArray CSettingsStore::Serialise(const Content& content) {
  const bool utf16 = content.form == Form::kUtf16Le || content.form == Form::kUtf16Be;
  const QString eol = content.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString text;        // the file's text (UTF-16 forms)
  QByteArray bytes;    // the file's bytes (UTF-8 forms)
  auto put = [&](const QString& line, const QByteArray& kept) {
    if (utf16) {
      text += line + eol;
    } else if (!kept.isEmpty()) {
      bytes += kept;  // as it stood, its line end included
      bytes += '\n';
    } else {
      bytes += (line + eol).toUtf8();
    }
  };
  put(kHeader, {});
  for (const Line& p : content.preamble) put(p.raw, p.bytes);
  for (const Section& s : content.sections) {
    put(u'[' + s.header + u']', s.headerBytes);
    for (const Line& l : s.lines) {
      if (!l.isValue || !l.bytes.isEmpty()) {
        put(l.raw, l.bytes);
      } else if (l.value.isNumber) {
        put(u'"' + Escape(l.value.name) + QStringLiteral("\"=dword:") +
                QStringLiteral("%1").arg(l.value.number, 8, 16, QLatin1Char('0')),
            {});
      } else {
        put(u'"' + Escape(l.value.name) + QStringLiteral("\"=\"") + Escape(l.value.text) + u'"', {});
      }
    }
  }
  switch (content.form) {
    case Form::kUtf8: return bytes;
    case Form::kUtf8Bom: return "\xEF\xBB\xBF" + bytes;
    case Form::kUtf16Le: return "\xFF\xFE" + ToUtf16(text, false);
    case Form::kUtf16Be: return "\xFE\xFF" + ToUtf16(text, true);
  }
  return bytes;
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

void CSettingsStore::Problem(const QString& text) const {
  // One failure keeps failing on every write of a command: it is said once,
  // until a write succeeds again.
  if (text == m_lastProblem) return;
  m_lastProblem = text;
  if (onProblem) onProblem(text);
}

bool CSettingsStore::Update(const std::function<void()>& fn) {
  if (m_updateDepth > 0) {
    fn();
    return true;
  }
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  const QString lockPath = m_path + QStringLiteral(".lock");
  // After one wait in vain the lock is only tried, until it is had again, so
  // that the writes of one command do not each wait.
  CFileLock lock(lockPath, m_lockTimedOut ? std::chrono::milliseconds(0) : lockWait);
  m_lockTimedOut = !lock.Held();
  if (!lock.Held()) {
    Problem(settings_msg::kCannotSave + settings_msg::kLocked.arg(lockPath));
    return false;
  }
  m_loaded = false;
  Refresh();
  if (!m_content.unreadable.isEmpty()) {
    Problem(settings_msg::kUntouched.arg(m_path, m_content.unreadable));
    return false;
  }
  struct Depth {
    CSettingsStore& s;
    explicit Depth(CSettingsStore& store) : s(store) { ++s.m_updateDepth; }
    ~Depth() { --s.m_updateDepth; }
  };
  m_changed = false;
  {
    Depth depth(*this);
    fn();
  }
  bool ok = true;
  if (m_changed) {
    const QString error = WriteFileSafely(m_path, Serialise(m_content));
    if (!error.isEmpty()) {
      Problem(settings_msg::kCannotSave + error);
      ok = false;
    } else {
      m_lastProblem.clear();
    }
  }
  m_changed = false;
  m_loaded = false;  // the next read takes the file as it now stands
  return ok;
}

bool CSettingsStore::Write(const QString& section, const QString& value, const Value& v) {
  return Update([&] { Apply(section, value, v); });
}

void CSettingsStore::Apply(const QString& section, const QString& value, const Value& v) {
  m_changed = true;
  Section* target = nullptr;
  for (Section& s : m_content.sections)
    if (!s.name.isEmpty() && s.name.compare(section, Qt::CaseInsensitive) == 0) {
      target = &s;
      break;
    }
  if (!target) {
    if (m_content.sections.empty() && m_content.preamble.empty()) m_content.preamble.push_back(Line{});
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
  for (Line& l : target->lines) {
    if (l.isValue && l.value.name.compare(value, Qt::CaseInsensitive) == 0) {
      const QString spelling = l.value.name;
      l.value = v;
      l.value.name = spelling;
      l.bytes.clear();  // the line is written afresh
      return;
    }
  }
  // Keep trailing blank lines after the new value so sections stay apart.
  auto pos = target->lines.end();
  while (pos != target->lines.begin() && !(pos - 1)->isValue && (pos - 1)->raw.trimmed().isEmpty() &&
         (pos - 1)->bytes.isEmpty())
    --pos;
  Line l;
  l.isValue = true;
  l.value = v;
  target->lines.insert(pos, std::move(l));
}
