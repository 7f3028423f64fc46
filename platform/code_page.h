#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Conversion between the bytes of a file and UTF-16 text. Card files, templates
// and previews are kept in the Japanese "ANSI" code page (CP932) unless they begin
// with a byte-order mark (UTF-8, or UTF-16 in either byte order) or their text is
// UTF-8; the setting System/CodePage (932 or 65001) or the command line may
// choose the code page of files without a byte-order mark for good.

enum class CodePage { Cp932 = 932, Utf8 = 65001, Utf16Le = 1200, Utf16Be = 1201 };

// The code page a file is read and written in, and whether it carries a BOM.
struct FileEncoding {
  CodePage codePage = CodePage::Cp932;
  bool bom = false;  // UTF-8: the file starts with EF BB BF; UTF-16 always has one
  bool operator==(const FileEncoding&) const = default;
};

// The bytes that start a file of this encoding: the byte-order mark, or none.
QByteArray ByteOrderMark(const FileEncoding& encoding);

// Parses "cp932", "932", "shift_jis", "utf-8", "utf8", "65001" (any case).
bool ParseCodePageName(QStringView name, CodePage* out);
QString CodePageName(CodePage cp);  // "CP932", "UTF-8", "UTF-16LE" or "UTF-16BE"

struct DecodeResult {
  QString text;
  // Bytes that were no valid character of the code page. Each became U+FFFD;
  // firstBadOffset is the byte offset of the first one, -1 when there was none.
  qsizetype badCount = 0;
  qsizetype firstBadOffset = -1;
};

// Decodes a file piece by piece: Feed appends the text of each piece to out,
// keeping a character cut at the end of a piece for the next one. Bytes that are
// no character become U+FFFD and are counted, with the offset of the first.
class CStreamDecoder {
 public:
  // offset: the file offset of the first byte fed, for the offsets of bad
  // bytes (a reader that decodes a file in several places at once starts a
  // decoder at each).
  explicit CStreamDecoder(CodePage cp, qsizetype offset = 0);
  ~CStreamDecoder();
  CStreamDecoder(const CStreamDecoder&) = delete;
  CStreamDecoder& operator=(const CStreamDecoder&) = delete;

  // last: no more bytes follow, so a cut character is damage.
  void Feed(const char* data, qsizetype size, bool last, QString& out);
  qsizetype BadCount() const { return m_badCount; }
  qsizetype FirstBadOffset() const { return m_firstBad; }

 private:
  void Bad(qsizetype offset);
  void FeedCp932(const char* data, qsizetype size, bool last, QString& out);
  void FeedUtf8(const char* data, qsizetype size, bool last, QString& out);
  void FeedUtf16(const char* data, qsizetype size, bool last, QString& out);

  CodePage m_cp;
  void* m_iconv;  // iconv_t
  QByteArray m_carry;      // the start of a character cut by the end of a piece
  qsizetype m_offset = 0;  // file offset of the first byte of the next piece
  qsizetype m_badCount = 0;
  qsizetype m_firstBad = -1;
};

// Decodes a whole buffer. CP932 follows the platform's conversion, including the
// single bytes 0x80, 0xA0 and 0xFD-0xFF that it maps to U+0080 and U+F8F0-U+F8F3,
// so those bytes come back unchanged when the text is encoded again.
DecodeResult DecodeBytes(const QByteArray& bytes, CodePage cp);

struct EncodeResult {
  QByteArray bytes;
  // Index (UTF-16 code unit) of the first character the code page cannot hold;
  // -1 when the whole text was encoded. Nothing is ever replaced: on failure
  // bytes is empty.
  qsizetype failedAt = -1;
  bool ok() const { return failedAt < 0; }
};

EncodeResult EncodeText(QStringView text, CodePage cp);

// The encoding of a file from its first bytes, and where its text begins
// (*bodyOffset: after a byte-order mark). A byte-order mark decides: UTF-8,
// UTF-16LE (FF FE) or UTF-16BE (FE FF). Without one, a configured UTF-8 is
// taken, and so is a code page the user chose for good (forced). Otherwise,
// with CP932 configured, text that is valid UTF-8 and holds characters beyond
// ASCII reads as UTF-8 without a byte-order mark (text in CP932 is rarely valid
// UTF-8, while UTF-8 text may well be valid CP932); any other text as CP932.
// complete: bytes is the whole file (otherwise a character cut at its end is
// no damage).
// Text that UTF-8 reads but for a few bytes (at least kMostlyUtf8 times as
// many characters beyond ASCII as bad bytes, and that many) is UTF-8 with
// stray bytes, which CP932 text does not form by chance.
// guess (when given) tells a choice the user should hear of: UTF-8 taken
// although some bytes are no UTF-8, or CP932 taken for text that looked much
// like UTF-8 (at least twice as many characters as bad bytes, and
// kMostlyUtf8 characters).
inline constexpr qsizetype kMostlyUtf8 = 8;
struct CEncodingGuess {
  enum Kind { kPlain, kUtf8DespiteBadBytes, kCp932DespiteUtf8 } kind = kPlain;
  qsizetype firstBad = -1;  // the offset of the first byte UTF-8 cannot read
};
FileEncoding DetectEncoding(const QByteArray& bytes, CodePage configured, bool forced, qsizetype* bodyOffset,
                            bool complete = true, CEncodingGuess* guess = nullptr);
// Whether the first bytes of a file suffice for DetectEncoding: the file ended,
// or they hold a sample of text beyond plain ASCII (ASCII reads the same in both
// code pages), or they reached kEncodingHeadLimit.
inline constexpr qsizetype kEncodingSample = 64 * 1024;
inline constexpr qsizetype kEncodingHeadLimit = 8 * 1024 * 1024;
bool EncodingSettled(const QByteArray& head, CodePage configured, bool forced, bool last);

// The character (a whole surrogate pair where there is one) at index i, for messages.
QString CharacterAt(QStringView text, qsizetype i);
