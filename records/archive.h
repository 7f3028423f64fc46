#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The object archive in which the property file and the key files are written.
// Byte layout, every integer little-endian (BYTE 1, WORD 2, DWORD 4 bytes,
// double 8 bytes IEEE 754):
//
//   string   FF FFFE len UTF-16LE...      len: BYTE (< FF), FF WORD (< FFFE), or
//                                         FF FFFF DWORD; no terminator. Without
//                                         the FF FFFE marker the same length
//                                         forms count one-byte (CP932) characters.
//   count    WORD (< FFFF), or FFFF DWORD
//   font     string face, DWORD height, DWORD weight, BYTE italic,
//            BYTE underline, BYTE character set
//   object   0000                                 a null element
//            FFFF WORD schema(1) WORD n name[n]   a class new to the archive, then
//                                                 the object's own record
//            8000 + i                             class number i (< 7FFF), then
//                                                 the object's own record
//            7FFF DWORD 80000000 + i              class number i, any size
//   array    count, then count objects
//
// Numbers count from 1 over the whole archive: every new class and every object
// takes the next one, the object before the objects inside it.

namespace archive {
inline constexpr std::uint16_t kNullTag = 0x0000;
inline constexpr std::uint16_t kNewClassTag = 0xFFFF;
inline constexpr std::uint16_t kClassTag = 0x8000;
inline constexpr std::uint16_t kBigObjectTag = 0x7FFF;
inline constexpr std::uint32_t kBigClassTag = 0x80000000;
inline constexpr std::uint16_t kSchema = 1;
inline constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
inline constexpr std::uint16_t kBigCount = 0xFFFF;
// Nested objects deeper than this are taken as damage: no file of ours nests
// more than three.
inline constexpr int kMaxDepth = 32;
// The framework's own limit on class names.
inline constexpr int kMaxClassName = 63;
}  // namespace archive

// A font as the archive stores it.
struct CArchiveFont {
  QString faceName;
  std::int32_t height = 0;
  std::uint32_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t charSet = 0;
  bool operator==(const CArchiveFont&) const = default;
  QJsonObject ToJson() const;
};

class CArchiveReader;
class CArchiveWriter;

// One change of the item layout, after which item references are renumbered.
struct CItemChange {
  enum Kind { kInserted, kDeleted, kSwapped };
  Kind kind;
  int a;
  int b = -1;  // the second item of a swap

  // Moves one item reference with the change: inserted at a, references from
  // a on grow by one; deleted at a, later ones shrink; swapped, a and b trade
  // places. False, and the reference left as it was, when it named the
  // deleted item.
  bool Follow(std::int32_t& ref) const;
  // Follows the change in every reference of the list; references to the
  // deleted item are dropped.
  void FollowAll(std::vector<std::int32_t>& refs) const;
};

// A record the archive writes as an object: its class name goes before it.
// Records that refer to items by index follow item changes through
// OnItemChange, which answers true when the owner should drop the record (only
// ever after a deletion).
class CArchiveObject {
 public:
  virtual ~CArchiveObject() = default;
  virtual const char* ClassName() const = 0;
  virtual std::unique_ptr<CArchiveObject> Clone() const = 0;
  virtual void Store(CArchiveWriter& ar) const = 0;
  // Reads the record; false when the bytes are damaged (the reader holds why).
  virtual bool Load(CArchiveReader& ar) = 0;
  // Every field, for velum-cli props.
  virtual QJsonObject ToJson() const = 0;

  virtual bool OnItemChange(const CItemChange& change) { return false; }

  bool operator==(const CArchiveObject&) const = default;

 protected:
  CArchiveObject() = default;
  CArchiveObject(const CArchiveObject&) = default;
  CArchiveObject& operator=(const CArchiveObject&) = default;
};

// The class name and the copy of a record class: Record names itself with
// `static constexpr const char* kClassName`, the name the archive stores (the
// files rely on it: never rename one). Base is CArchiveObject or a record
// class that Record extends.
template <typename Record, typename Base = CArchiveObject>
class CArchiveRecord : public Base {
 public:
  const char* ClassName() const override { return Record::kClassName; }
  std::unique_ptr<CArchiveObject> Clone() const override {
    return std::make_unique<Record>(static_cast<const Record&>(*this));
  }
};

// An object array: owned elements of any class, null elements allowed.
class CObArray {
 public:
  CObArray() = default;
  CObArray(const CObArray& other);
  CObArray& operator=(const CObArray& other);
  CObArray(CObArray&&) noexcept = default;
  CObArray& operator=(CObArray&&) noexcept = default;

  int Size() const { return int(m_items.size()); }
  bool Empty() const { return m_items.empty(); }
  CArchiveObject* At(int i) const { return i >= 0 && i < Size() ? m_items[std::size_t(i)].get() : nullptr; }
  template <typename T>
  T* As(int i) const {
    return dynamic_cast<T*>(At(i));
  }
  void Append(std::unique_ptr<CArchiveObject> object) { m_items.push_back(std::move(object)); }
  void RemoveAt(int i) { m_items.erase(m_items.begin() + i); }
  void Clear() { m_items.clear(); }

  // Passes an item change to every element; an element that answers true is
  // removed.
  void OnItemChange(const CItemChange& change);

  void Store(CArchiveWriter& ar) const;
  // Keeps the elements read completely; false when the bytes are damaged.
  bool Load(CArchiveReader& ar);
  QJsonArray ToJson() const;

 private:
  std::vector<std::unique_ptr<CArchiveObject>> m_items;
};

// Makes an empty object of a class named in the archive; null for a class the
// reader does not know.
using ArchiveFactory = std::function<std::unique_ptr<CArchiveObject>(QByteArrayView className)>;

// Reads an archive from memory. The first damage stops it: every later read
// fails and leaves its output as it was, and Error() tells what and where.
// Every count and length is checked against the bytes left before anything is
// allocated for it.
class CArchiveReader {
 public:
  CArchiveReader(QByteArrayView data, ArchiveFactory factory);

  bool Ok() const { return m_error.isEmpty(); }
  // Empty while nothing went wrong; else what went wrong, in the user's words.
  const QString& Error() const { return m_error; }
  // The byte offset at which the damage was found.
  qsizetype ErrorOffset() const { return m_errorOffset; }
  qsizetype Offset() const { return m_pos; }
  qsizetype Left() const { return m_data.size() - m_pos; }

  bool ReadByte(std::uint8_t* v);
  bool ReadWord(std::uint16_t* v);
  bool ReadDword(std::uint32_t* v);
  bool ReadInt(std::int32_t* v);
  bool ReadDouble(double* v);
  bool ReadString(QString* v);
  // A count of elements of at least minElementBytes each.
  bool ReadCount(std::uint32_t* v, qsizetype minElementBytes);
  // Fails unless count elements of at least minElementBytes fit in what is left.
  bool CheckCount(std::uint64_t count, qsizetype minElementBytes);
  bool ReadStringList(QStringList* v);
  bool ReadFont(CArchiveFont* v);
  // A tagged object; a null element gives a null pointer.
  bool ReadObject(std::unique_ptr<CArchiveObject>* v);

  // Reads and drops n DWORDs and then n strings (the reserved blocks).
  bool SkipReserved(int n);

  // Records the first damage; always answers false.
  bool Fail(const QString& reason);

 private:
  bool Take(qsizetype n, const char** bytes);
  // Moves the place of the damage just found back to the start of its field.
  bool FailedAt(qsizetype offset);

  struct CMapEntry {
    bool isClass = false;
    QByteArray name;
  };

  QByteArrayView m_data;
  ArchiveFactory m_factory;
  qsizetype m_pos = 0;
  QString m_error;
  qsizetype m_errorOffset = -1;
  std::vector<CMapEntry> m_map{CMapEntry{}};  // number 0: the null object
  int m_depth = 0;
};

// Writes an archive into memory.
class CArchiveWriter {
 public:
  const QByteArray& Bytes() const { return m_out; }

  void WriteByte(std::uint8_t v);
  void WriteWord(std::uint16_t v);
  void WriteDword(std::uint32_t v);
  void WriteInt(std::int32_t v) { WriteDword(std::uint32_t(v)); }
  void WriteDouble(double v);
  void WriteString(const QString& v);
  void WriteCount(std::uint32_t v);
  void WriteStringList(const QStringList& v);
  void WriteFont(const CArchiveFont& v);
  // A tagged object, or the null tag for nullptr.
  void WriteObject(const CArchiveObject* v);
  // n zero DWORDs and then n empty strings.
  void WriteReserved(int n);

 private:
  QByteArray m_out;
  QHash<QByteArray, std::uint32_t> m_classes;
  std::uint32_t m_mapCount = 1;
};

// Reason texts of the reader.
namespace archive_msg {
inline const QString kTruncated = QStringLiteral("ファイルが途中で終わっています");
inline const QString kTooLarge = QStringLiteral("件数または長さが残りのデータを超えています");
inline const QString kBadTag = QStringLiteral("不正なタグです");
// %1: the class name.
inline const QString kUnknownClass = QStringLiteral("不明なクラス「%1」です");
inline const QString kBadSchema = QStringLiteral("クラスのスキーマ番号が違います");
inline const QString kTooDeep = QStringLiteral("オブジェクトの入れ子が深すぎます");
inline const QString kBadValue = QStringLiteral("不正な値です");
inline const QString kTrailing = QStringLiteral("データの後に余分なバイトがあります");
}  // namespace archive_msg
