#include "app/file_list.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

QString CFileFilter::QtForm() const {
  QString desc = label.trimmed();
  const qsizetype paren = desc.indexOf(u'(');
  if (paren > 0) desc = desc.left(paren).trimmed();
  return QStringLiteral("%1 (%2)").arg(desc, patterns.join(u' '));
}

std::vector<CFileFilter> ParseFileFilter(const QString& filter) {
  const QString text = filter.isEmpty() ? file_list_msg::kAllFiles : filter;
  std::vector<CFileFilter> out;
  qsizetype pos = 0;
  while (pos < text.size()) {
    const qsizetype bar1 = text.indexOf(u'|', pos);
    if (bar1 < 0) break;
    const qsizetype bar2 = text.indexOf(u'|', bar1 + 1);
    if (bar2 < 0) break;
    const QString label = text.mid(pos, bar1 - pos);
    if (label.isEmpty()) break;
    CFileFilter f;
    f.label = label;
    for (const QString& p : text.mid(bar1 + 1, bar2 - bar1 - 1).split(u';', Qt::SkipEmptyParts))
      f.patterns << p.trimmed();
    out.push_back(f);
    pos = bar2 + 1;
  }
  return out;
}

bool MatchesPattern(const QString& fileName, const QString& pattern) {
  if (pattern == u"*.*" || pattern == u"*") return true;
  const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern, QRegularExpression::UnanchoredWildcardConversion),
                              QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = re.match(fileName);
  return m.hasMatch() && m.capturedStart() == 0 && m.capturedLength() == fileName.size();
}

QString CFileObj::FullName() const { return extension.isEmpty() ? name : name + u'.' + extension; }

QString CFileObj::ShownName() const { return folder ? u'[' + FullName() + u']' : FullName(); }

QString CFileObj::SizeText() const {
  if (folder) return QString(8, u' ');
  QString digits = QString::number(size);
  for (qsizetype i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, u',');
  return digits;
}

std::vector<CFileObj> ListFolder(const QString& folder, const CFileFilter& filter) {
  std::vector<CFileObj> out;
  QDir dir(folder);
  if (!dir.isRoot()) {
    CFileObj parent;
    parent.name = QStringLiteral("..");
    parent.folder = true;
    parent.date = file_list_msg::kParentDate;
    out.push_back(parent);
  }
  auto entry = [](const QFileInfo& info, bool folder) {
    CFileObj e;
    e.folder = folder;
    const QString full = info.fileName();
    const qsizetype dot = folder ? -1 : full.lastIndexOf(u'.');
    e.name = dot < 0 ? full : full.left(dot);
    e.extension = dot < 0 ? QString() : full.mid(dot + 1);
    e.date = info.lastModified().toString(QStringLiteral("yyyy/MM/dd hh:mm"));
    e.size = folder ? 0 : std::uint32_t(info.size());
    return e;
  };
  // Hidden entries (a leading dot on this system) stay out, as do "." and "..".
  for (const QFileInfo& info : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    out.push_back(entry(info, true));
  for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
    const QString name = info.fileName();
    if (std::any_of(filter.patterns.begin(), filter.patterns.end(),
                    [&](const QString& p) { return MatchesPattern(name, p); }))
      out.push_back(entry(info, false));
  }
  return out;
}

void SortFileList(std::vector<CFileObj>& entries, int column, int mode) {
  auto rank = [](const CFileObj& e) { return e.IsParent() ? 0 : e.folder ? 1 : 2; };
  std::stable_sort(entries.begin(), entries.end(), [&](const CFileObj& a, const CFileObj& b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    int c = 0;
    switch (column) {
      case 1:
        c = a.date.compare(b.date, Qt::CaseInsensitive);
        break;
      case 2:
        c = a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
        break;
      case 3:
        c = a.extension.compare(b.extension, Qt::CaseInsensitive);
        if (c == 0) c = a.FullName().compare(b.FullName(), Qt::CaseInsensitive);
        break;
      default:
        c = a.FullName().compare(b.FullName(), Qt::CaseInsensitive);
        break;
    }
    return mode == 1 ? c > 0 : c < 0;
  });
}

void ToggleSort(int column, int* sortItem, int* sortMode) {
  if (column != *sortItem) {
    *sortItem = column;
    *sortMode = 0;
  } else {
    *sortMode = *sortMode ? 0 : 1;
  }
}

QString ParentFolder(const QString& folder) {
  const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
  if (QDir(clean).isRoot()) return clean;
  return QFileInfo(clean).path();
}

std::optional<QString> ChosenPath(const QString& folder, const QString& name, const QString& defaultExt) {
  QString n = name.trimmed();
  if (n.isEmpty() || n.contains(u'*')) return std::nullopt;
  if (!n.contains(u'.') && !defaultExt.isEmpty()) n += u'.' + defaultExt;
  if (QDir::isAbsolutePath(n)) return QDir::cleanPath(n);
  return QDir::cleanPath(folder + u'/' + n);
}
