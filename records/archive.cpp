#include "records/archive.h"

#include "platform/code_page.h"

#include <QtEndian>

#include <bit>
#include <cstring>

using namespace archive;

QJsonObject CArchiveFont::ToJson() const {
  return QJsonObject{{QStringLiteral("faceName"), faceName}, {QStringLiteral("height"), height},
                     {QStringLiteral("weight"), qint64(weight)}, {QStringLiteral("italic"), italic},
                     {QStringLiteral("underline"), underline},   {QStringLiteral("charSet"), charSet}};
}

CObArray::CObArray(const CObArray& other) {
  m_items.reserve(other.m_items.size());
  for (const auto& o : other.m_items) m_items.push_back(o ? o->Clone() : nullptr);
}

CObArray& CObArray::operator=(const CObArray& other) {
  if (this != &other) {
    CObArray copy(other);
    m_items = std::move(copy.m_items);
  }
  return *this;
}

bool CItemChange::Follow(std::int32_t& ref) const {
  switch (kind) {
    case kInserted:
      if (ref >= a) ++ref;
      break;
    case kDeleted:
      if (ref == a) return false;
      if (ref > a) --ref;
      break;
    case kSwapped:
      if (ref == a)
        ref = b;
      else if (ref == b)
        ref = a;
      break;
  }
  return true;
}

void CItemChange::FollowAll(std::vector<std::int32_t>& refs) const {
  std::size_t kept = 0;
  for (std::int32_t ref : refs)
    if (Follow(ref)) refs[kept++] = ref;
  refs.resize(kept);
}

void CObArray::OnItemChange(const CItemChange& change) {
  std::erase_if(m_items, [&change](const auto& o) { return o && o->OnItemChange(change); });
}

void CObArray::Store(CArchiveWriter& ar) const {
  ar.WriteCount(std::uint32_t(m_items.size()));
  for (const auto& o : m_items) ar.WriteObject(o.get());
}

bool CObArray::Load(CArchiveReader& ar) {
  m_items.clear();
  std::uint32_t n = 0;
  // Every element takes at least its tag. The array grows only with elements
  // actually read, so a count near the limit costs nothing up front.
  if (!ar.ReadCount(&n, 2)) return false;
  for (std::uint32_t i = 0; i < n; ++i) {
    std::unique_ptr<CArchiveObject> o;
    if (!ar.ReadObject(&o)) return false;
    m_items.push_back(std::move(o));
  }
  return true;
}

QJsonArray CObArray::ToJson() const {
  QJsonArray out;
  for (const auto& o : m_items) {
    if (!o) {
      out.append(QJsonValue());
      continue;
    }
    QJsonObject j = o->ToJson();
    j.insert(QStringLiteral("class"), QString::fromLatin1(o->ClassName()));
    out.append(j);
  }
  return out;
}

CArchiveReader::CArchiveReader(QByteArrayView data, ArchiveFactory factory)
    : m_data(data), m_factory(std::move(factory)) {}

bool CArchiveReader::Fail(const QString& reason) {
  if (m_error.isEmpty()) {
    m_error = reason;
    m_errorOffset = m_pos;
  }
  return false;
}

bool CArchiveReader::FailedAt(qsizetype offset) {
  m_errorOffset = offset;
  return false;
}

bool CArchiveReader::Take(qsizetype n, const char** bytes) {
  if (!Ok()) return false;
  if (n > Left()) return Fail(archive_msg::kTruncated);
  *bytes = m_data.data() + m_pos;
  m_pos += n;
  return true;
}

bool CArchiveReader::ReadByte(std::uint8_t* v) {
  const char* p;
  if (!Take(1, &p)) return false;
  *v = std::uint8_t(*p);
  return true;
}

bool CArchiveReader::ReadWord(std::uint16_t* v) {
  const char* p;
  if (!Take(2, &p)) return false;
  *v = qFromLittleEndian<quint16>(p);
  return true;
}

bool CArchiveReader::ReadDword(std::uint32_t* v) {
  const char* p;
  if (!Take(4, &p)) return false;
  *v = qFromLittleEndian<quint32>(p);
  return true;
}

bool CArchiveReader::ReadInt(std::int32_t* v) {
  std::uint32_t u;
  if (!ReadDword(&u)) return false;
  *v = std::int32_t(u);
  return true;
}

bool CArchiveReader::ReadDouble(double* v) {
  const char* p;
  if (!Take(8, &p)) return false;
  *v = std::bit_cast<double>(qFromLittleEndian<quint64>(p));
  return true;
}

bool CArchiveReader::CheckCount(std::uint64_t count, qsizetype minElementBytes) {
  if (!Ok()) return false;
  if (minElementBytes > 0 && count > std::uint64_t(Left()) / std::uint64_t(minElementBytes))
    return Fail(archive_msg::kTooLarge);
  return true;
}

bool CArchiveReader::ReadCount(std::uint32_t* v, qsizetype minElementBytes) {
  const qsizetype start = m_pos;
  std::uint16_t w;
  if (!ReadWord(&w)) return false;
  std::uint32_t n = w;
  if (w == kBigCount && !ReadDword(&n)) return false;
  if (!CheckCount(n, minElementBytes)) return FailedAt(start);
  *v = n;
  return true;
}

bool CArchiveReader::ReadString(QString* v) {
  // The length forms of the framework: a BYTE below FF, else a WORD below FFFF,
  // else a DWORD; the WORD FFFE in place of a length marks UTF-16 characters and
  // the length forms start over after it.
  const qsizetype start = m_pos;
  bool wide = false;
  std::uint8_t b;
  if (!ReadByte(&b)) return false;
  std::uint64_t len = b;
  if (b == 0xFF) {
    std::uint16_t w;
    if (!ReadWord(&w)) return false;
    if (w == kUnicodeMarker) {
      wide = true;
      if (!ReadByte(&b)) return false;
      len = b;
      if (b == 0xFF) {
        if (!ReadWord(&w)) return false;
        len = w;
      }
    } else {
      len = w;
    }
    if (len == 0xFFFF) {
      std::uint32_t d;
      if (!ReadDword(&d)) return false;
      len = d;
    }
  }
  const qsizetype unit = wide ? 2 : 1;
  if (!CheckCount(len, unit)) return FailedAt(start);
  const char* p;
  if (!Take(qsizetype(len) * unit, &p)) return false;
  if (wide) {
    QString s(qsizetype(len), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    for (qsizetype i = 0; i < qsizetype(len); ++i) out[i] = qFromLittleEndian<quint16>(p + 2 * i);
    *v = std::move(s);
  } else {
    *v = DecodeBytes(QByteArray(p, qsizetype(len)), CodePage::Cp932).text;
  }
  return true;
}

bool CArchiveReader::ReadStringList(QStringList* v) {
  std::uint32_t n;
  if (!ReadCount(&n, 1)) return false;  // a one-byte empty string at least
  QStringList list;
  for (std::uint32_t i = 0; i < n; ++i) {
    QString s;
    if (!ReadString(&s)) return false;
    list.append(std::move(s));
  }
  *v = std::move(list);
  return true;
}

bool CArchiveReader::ReadFont(CArchiveFont* v) {
  CArchiveFont f;
  if (!ReadString(&f.faceName) || !ReadInt(&f.height) || !ReadDword(&f.weight) || !ReadByte(&f.italic) ||
      !ReadByte(&f.underline) || !ReadByte(&f.charSet))
    return false;
  *v = std::move(f);
  return true;
}

bool CArchiveReader::SkipReserved(int n) {
  std::uint32_t d;
  QString s;
  for (int i = 0; i < n; ++i)
    if (!ReadDword(&d)) return false;
  for (int i = 0; i < n; ++i)
    if (!ReadString(&s)) return false;
  return true;
}

bool CArchiveReader::ReadObject(std::unique_ptr<CArchiveObject>* v) {
  std::uint16_t tag;
  if (!ReadWord(&tag)) return false;
  if (tag == kNullTag) {
    v->reset();
    return true;
  }
  const qsizetype tagOffset = m_pos - 2;
  QByteArray name;
  if (tag == kNewClassTag) {
    std::uint16_t schema, length;
    if (!ReadWord(&schema) || !ReadWord(&length)) return false;
    if (schema != kSchema) return Fail(archive_msg::kBadSchema);
    if (length > kMaxClassName) return Fail(archive_msg::kBadTag);
    const char* p;
    if (!Take(length, &p)) return false;
    name = QByteArray(p, length);
    m_map.push_back({true, name});
  } else {
    std::uint32_t number;
    if (tag == kBigObjectTag) {
      if (!ReadDword(&number)) return false;
    } else {
      number = (std::uint32_t(tag & kClassTag) << 16) | (tag & ~kClassTag);
    }
    // Without the class bit the tag names an object already read: the files of
    // this format never hold one object twice, so that is damage.
    if (!(number & kBigClassTag)) {
      m_pos = tagOffset;
      return Fail(archive_msg::kBadTag);
    }
    number &= ~kBigClassTag;
    if (number == 0 || number >= m_map.size() || !m_map[number].isClass) {
      m_pos = tagOffset;
      return Fail(archive_msg::kBadTag);
    }
    name = m_map[number].name;
  }
  std::unique_ptr<CArchiveObject> object = m_factory ? m_factory(name) : nullptr;
  if (!object) {
    m_pos = tagOffset;
    return Fail(archive_msg::kUnknownClass.arg(QString::fromLatin1(name)));
  }
  if (m_depth >= kMaxDepth) return Fail(archive_msg::kTooDeep);
  m_map.push_back({false, {}});
  ++m_depth;
  const bool ok = object->Load(*this) && Ok();
  --m_depth;
  if (!ok) return Fail(archive_msg::kBadValue);
  *v = std::move(object);
  return true;
}

void CArchiveWriter::WriteByte(std::uint8_t v) { m_out.append(char(v)); }

void CArchiveWriter::WriteWord(std::uint16_t v) {
  char b[2];
  qToLittleEndian<quint16>(v, b);
  m_out.append(b, 2);
}

void CArchiveWriter::WriteDword(std::uint32_t v) {
  char b[4];
  qToLittleEndian<quint32>(v, b);
  m_out.append(b, 4);
}

void CArchiveWriter::WriteDouble(double v) {
  char b[8];
  qToLittleEndian<quint64>(std::bit_cast<quint64>(v), b);
  m_out.append(b, 8);
}

void CArchiveWriter::WriteString(const QString& v) {
  const auto len = std::uint32_t(v.size());
  WriteByte(0xFF);
  WriteWord(kUnicodeMarker);
  if (len < 0xFF) {
    WriteByte(std::uint8_t(len));
  } else if (len < 0xFFFE) {
    WriteByte(0xFF);
    WriteWord(std::uint16_t(len));
  } else {
    WriteByte(0xFF);
    WriteWord(0xFFFF);
    WriteDword(len);
  }
  for (QChar c : v) WriteWord(c.unicode());
}

void CArchiveWriter::WriteCount(std::uint32_t v) {
  if (v < kBigCount) {
    WriteWord(std::uint16_t(v));
  } else {
    WriteWord(kBigCount);
    WriteDword(v);
  }
}

void CArchiveWriter::WriteStringList(const QStringList& v) {
  WriteCount(std::uint32_t(v.size()));
  for (const QString& s : v) WriteString(s);
}

void CArchiveWriter::WriteFont(const CArchiveFont& v) {
  WriteString(v.faceName);
  WriteInt(v.height);
  WriteDword(v.weight);
  WriteByte(v.italic);
  WriteByte(v.underline);
  WriteByte(v.charSet);
}

void CArchiveWriter::WriteReserved(int n) {
  for (int i = 0; i < n; ++i) WriteDword(0);
  for (int i = 0; i < n; ++i) WriteString(QString());
}

void CArchiveWriter::WriteObject(const CArchiveObject* v) {
  if (!v) {
    WriteWord(kNullTag);
    return;
  }
  const QByteArray name(v->ClassName());
  const auto it = m_classes.constFind(name);
  if (it == m_classes.constEnd()) {
    WriteWord(kNewClassTag);
    WriteWord(kSchema);
    WriteWord(std::uint16_t(name.size()));
    m_out.append(name);
    m_classes.insert(name, m_mapCount++);
  } else if (*it < kBigObjectTag) {
    WriteWord(std::uint16_t(kClassTag | *it));
  } else {
    WriteWord(kBigObjectTag);
    WriteDword(kBigClassTag | *it);
  }
  ++m_mapCount;
  v->Store(*this);
}
