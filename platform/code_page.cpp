#include "platform/code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <cerrno>
#include <cstring>
#include <vector>
#include <iconv.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Single bytes that are no lead byte and no character in glibc's CP932 table but
// that the Windows conversion maps to code points of their own.
char16_t Cp932ExtraByte(unsigned char b) {
  switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0;
  }
}

int Cp932ExtraChar(char16_t c) {
  switch (c) {
    case 0x0080: return 0x80;
    case 0xF8F0: return 0xA0;
    case 0xF8F1: return 0xFD;
    case 0xF8F2: return 0xFE;
    case 0xF8F3: return 0xFF;
    default: return -1;
  }
}

bool Cp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

class CIconv;

// The platform's CP932 table read once: the UTF-16 unit of every single byte
// (index b) and every lead and trail byte pair (index lead << 8 | trail), 0
// where the platform has no character. Decoding looks characters up here and
// asks the converter only about the bytes the table lacks.
const std::vector<char16_t>& Cp932Table();

class CIconv {
 public:
  CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~CIconv() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;
  bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return m_cd; }
  void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t m_cd;
};

// The CP932 bytes of every UTF-16 unit, asked of the platform's converter the
// first time a unit is met and kept: 0 not yet asked, kNoCp932 none (a
// surrogate is never encoded alone), 0x100 | b the single byte b, else the
// lead and trail bytes. Threads that meet a unit at once store the same value.
constexpr std::uint16_t kNoCp932 = 0xFFFF;
std::atomic<std::uint16_t> s_cp932Bytes[0x10000];

std::uint16_t Cp932BytesOf(char16_t u, std::optional<CIconv>& cd) {
  std::uint16_t v = s_cp932Bytes[u].load(std::memory_order_relaxed);
  if (v != 0) return v;
  if (!cd) cd.emplace("CP932", "UTF-16LE");
  if (!cd->valid()) return kNoCp932;
  v = kNoCp932;
  if (!QChar::isSurrogate(u)) {
    char16_t unit = u;
    char* in = reinterpret_cast<char*>(&unit);
    size_t inLeft = 2;
    unsigned char out[4];
    char* o = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    const size_t rc = iconv(cd->get(), &in, &inLeft, &o, &outLeft);
    cd->reset();
    const size_t n = sizeof out - outLeft;
    if (rc != static_cast<size_t>(-1) && inLeft == 0 && n == 1)
      v = std::uint16_t(0x100 | out[0]);
    else if (rc != static_cast<size_t>(-1) && inLeft == 0 && n == 2)
      v = std::uint16_t(out[0] << 8 | out[1]);
    else if (const int extra = Cp932ExtraChar(u); extra >= 0)
      v = std::uint16_t(0x100 | extra);
  }
  s_cp932Bytes[u].store(v, std::memory_order_relaxed);
  return v;
}

EncodeResult EncodeCp932(QStringView text) {
  EncodeResult r;
  std::optional<CIconv> cd;  // opened at the first character not yet known
  r.bytes.resize(text.size() * 2);
  const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype n = text.size();
  char* out = r.bytes.data();
  qsizetype i = 0;
  while (i < n) {
#ifdef __SSE2__
    // Sixteen units at a time are narrowed and stored whole (the room of two
    // bytes a unit allows it); as many are kept as lead the run of ASCII.
    while (i + 16 <= n) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i + 8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
      const __m128i high = _mm_set1_epi16(short(0xFF80));
      const __m128i zero = _mm_setzero_si128();
      const unsigned ascii = unsigned(_mm_movemask_epi8(_mm_packs_epi16(
          _mm_cmpeq_epi16(_mm_and_si128(a, high), zero), _mm_cmpeq_epi16(_mm_and_si128(b, high), zero))));
      const int run = ascii == 0xFFFF ? 16 : __builtin_ctz(~ascii);
      out += run;
      i += run;
      if (run < 16) break;
    }
#endif
    // Then unit by unit up to and with the next ASCII unit (ASCII is the
    // same in CP932).
    for (; i < n; ++i) {
      const char16_t u = units[i];
      if (u < 0x80) {
        *out++ = char(u);
        ++i;
        break;
      }
      const std::uint16_t v = Cp932BytesOf(u, cd);
      if (v == kNoCp932) {
        r.bytes.clear();
        r.failedAt = i;
        return r;
      }
      if (v < 0x200) {
        *out++ = char(v & 0xFF);
      } else {
        *out++ = char(v >> 8);
        *out++ = char(v & 0xFF);
      }
    }
  }
  r.bytes.resize(out - r.bytes.data());
  return r;
}

// The index of the first lone surrogate, the only UTF-16 text that neither
// UTF-8 nor a UTF-16 file can hold; -1 when there is none.
qsizetype FirstLoneSurrogate(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      ++i;
    else if (c.isSurrogate())
      return i;
  }
  return -1;
}

EncodeResult EncodeUtf8(QStringView text) {
  EncodeResult r;
  r.failedAt = FirstLoneSurrogate(text);
  if (r.ok()) r.bytes = text.toUtf8();
  return r;
}

EncodeResult EncodeUtf16(QStringView text, bool bigEndian) {
  EncodeResult r;
  r.failedAt = FirstLoneSurrogate(text);
  if (!r.ok()) return r;
  r.bytes.resize(text.size() * 2);
  char* out = r.bytes.data();
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    *out++ = char(bigEndian ? u >> 8 : u & 0xFF);
    *out++ = char(bigEndian ? u & 0xFF : u >> 8);
  }
  return r;
}

const std::vector<char16_t>& Cp932Table() {
  static const std::vector<char16_t> table = [] {
    std::vector<char16_t> t(0x10000, 0);
    CIconv cd("UTF-16LE", "CP932");
    if (!cd.valid()) return t;
    const auto convert = [&](const char* bytes, size_t size) -> char16_t {
      char16_t out[2] = {0, 0};
      char* in = const_cast<char*>(bytes);
      size_t inLeft = size;
      char* o = reinterpret_cast<char*>(out);
      size_t outLeft = sizeof out;
      const size_t rc = iconv(cd.get(), &in, &inLeft, &o, &outLeft);
      cd.reset();
      return rc != static_cast<size_t>(-1) && inLeft == 0 && outLeft == 2 ? out[0] : 0;
    };
    for (int b = 0x80; b <= 0xFF; ++b) {
      if (Cp932Lead(static_cast<unsigned char>(b))) continue;
      const char one = static_cast<char>(b);
      t[b] = convert(&one, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!Cp932Lead(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        t[lead << 8 | trail] = convert(two, 2);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

bool ParseCodePageName(QStringView name, CodePage* out) {
  const QString n = name.toString().toLower();
  if (n == u"cp932" || n == u"932" || n == u"shift_jis" || n == u"sjis" || n == u"windows-31j") {
    *out = CodePage::Cp932;
    return true;
  }
  if (n == u"utf-8" || n == u"utf8" || n == u"65001") {
    *out = CodePage::Utf8;
    return true;
  }
  return false;
}

QString CodePageName(CodePage cp) {
  switch (cp) {
    case CodePage::Utf8: return QStringLiteral("UTF-8");
    case CodePage::Utf16Le: return QStringLiteral("UTF-16LE");
    case CodePage::Utf16Be: return QStringLiteral("UTF-16BE");
    case CodePage::Cp932: break;
  }
  return QStringLiteral("CP932");
}

QByteArray ByteOrderMark(const FileEncoding& encoding) {
  switch (encoding.codePage) {
    case CodePage::Utf8: return encoding.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    case CodePage::Utf16Le: return QByteArray("\xFF\xFE");
    case CodePage::Utf16Be: return QByteArray("\xFE\xFF");
    case CodePage::Cp932: break;
  }
  return {};
}

CStreamDecoder::CStreamDecoder(CodePage cp, qsizetype offset)
    : m_cp(cp),
      m_iconv(cp == CodePage::Cp932 ? iconv_open("UTF-16LE", "CP932") : reinterpret_cast<iconv_t>(-1)),
      m_offset(offset) {}

CStreamDecoder::~CStreamDecoder() {
  if (m_iconv != reinterpret_cast<iconv_t>(-1)) iconv_close(static_cast<iconv_t>(m_iconv));
}

void CStreamDecoder::Bad(qsizetype offset) {
  if (m_firstBad < 0) m_firstBad = offset;
  ++m_badCount;
}

void CStreamDecoder::Feed(const char* data, qsizetype size, bool last, QString& out) {
  QByteArray joined;
  qsizetype start = m_offset;
  if (!m_carry.isEmpty()) {
    joined = m_carry + QByteArray::fromRawData(data, size);
    start -= m_carry.size();
    data = joined.constData();
    size = joined.size();
    m_carry.clear();
  }
  m_offset = start;
  switch (m_cp) {
    case CodePage::Utf8: FeedUtf8(data, size, last, out); break;
    case CodePage::Utf16Le:
    case CodePage::Utf16Be: FeedUtf16(data, size, last, out); break;
    case CodePage::Cp932: FeedCp932(data, size, last, out); break;
  }
}

void CStreamDecoder::FeedCp932(const char* data, qsizetype size, bool last, QString& out) {
  // A CP932 byte never gives more than one UTF-16 unit.
  const qsizetype base = out.size();
  out.resize(base + size);
  char16_t* const outStart = reinterpret_cast<char16_t*>(out.data()) + base;
  char* outPtr = reinterpret_cast<char*>(outStart);
  size_t outLeft = size_t(size) * 2;
  char* in = const_cast<char*>(data);
  size_t inLeft = size_t(size);
  iconv_t cd = static_cast<iconv_t>(m_iconv);
  const std::vector<char16_t>& table = Cp932Table();
  auto emit = [&](char16_t c) {
    *reinterpret_cast<char16_t*>(outPtr) = c;
    outPtr += 2;
    outLeft -= 2;
  };
  while (inLeft > 0) {
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      Bad(m_offset + (in - data));
      emit(kReplacement);
      ++in;
      --inLeft;
      continue;
    }
    // ASCII is the same in CP932; other characters come from the table; the
    // converter is asked only about bytes the table lacks, one character at a
    // time (a cut character, damage, the bytes it maps to nothing).
#ifdef __SSE2__
    // Sixteen bytes at a time are widened and stored whole (each byte has
    // room for a unit); as many are kept as lead the run of ASCII.
    while (inLeft >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(outPtr), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(outPtr + 16), _mm_unpackhi_epi8(v, zero));
      const unsigned high = unsigned(_mm_movemask_epi8(v));
      const int run = high == 0 ? 16 : __builtin_ctz(high);
      outPtr += 2 * run;
      outLeft -= 2 * size_t(run);
      in += run;
      inLeft -= size_t(run);
      if (run < 16) break;
    }
#else
    // Eight ASCII bytes at a time where they come in runs.
    while (inLeft >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, in, 8);
      if (eight & 0x8080808080808080ull) break;
      char16_t* o = reinterpret_cast<char16_t*>(outPtr);
      for (int k = 0; k < 8; ++k) o[k] = char16_t(static_cast<unsigned char>(in[k]));
      outPtr += 16;
      outLeft -= 16;
      in += 8;
      inLeft -= 8;
    }
#endif
    // Then character by character up to and with the next ASCII byte, as
    // long as the table has them.
    bool known = true;
    while (inLeft > 0) {
      const unsigned char b = static_cast<unsigned char>(*in);
      if (b < 0x80) {
        emit(char16_t(b));
        ++in;
        --inLeft;
        break;
      }
      const bool lead = Cp932Lead(b);
      const char16_t u = lead ? (inLeft >= 2 ? table[b << 8 | static_cast<unsigned char>(in[1])] : 0) : table[b];
      if (u == 0) {
        known = false;
        break;
      }
      emit(u);
      in += lead ? 2 : 1;
      inLeft -= lead ? 2 : 1;
    }
    if (known) continue;
    const bool lead = Cp932Lead(static_cast<unsigned char>(*in));
    const size_t chunk = std::min<size_t>(inLeft, lead ? 2 : 1);
    size_t chunkLeft = chunk;
    const size_t rc = iconv(cd, &in, &chunkLeft, &outPtr, &outLeft);
    inLeft -= chunk - chunkLeft;
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == EINVAL && !last && chunkLeft == inLeft) {
      m_carry = QByteArray(in, qsizetype(inLeft));  // a lead byte whose trail byte is in the next piece
      break;
    }
    // A byte that starts no character here (EILSEQ), or a lead byte at the very end.
    if (char16_t extra = Cp932ExtraByte(static_cast<unsigned char>(*in))) {
      emit(extra);
    } else {
      Bad(m_offset + (in - data));
      emit(kReplacement);
    }
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(base + (reinterpret_cast<char16_t*>(outPtr) - outStart));
  m_offset += size;
}

void CStreamDecoder::FeedUtf8(const char* data, qsizetype size, bool last, QString& out) {
  const qsizetype base = out.size();
  out.resize(base + size);  // a UTF-8 byte never gives more than one UTF-16 unit
  char16_t* o = reinterpret_cast<char16_t*>(out.data()) + base;
  char16_t* const outStart = o;
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const qsizetype n = size;
  qsizetype i = 0;
  while (i < n) {
    const unsigned c = p[i];
    if (c < 0x80) {
      *o++ = char16_t(c);
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, min = 0x10000;
    }
    if (len == 0) {
      Bad(m_offset + i);
      *o++ = kReplacement;
      ++i;
      continue;
    }
    int k = 1;
    while (k < len && i + k < n && (p[i + k] & 0xC0) == 0x80) {
      cp = (cp << 6) | (p[i + k] & 0x3F);
      ++k;
    }
    if (k < len && i + k >= n && !last) {
      m_carry = QByteArray(data + i, n - i);  // cut by the end of the piece
      break;
    }
    if (k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      Bad(m_offset + i);
      *o++ = kReplacement;
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      *o++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
      *o++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      *o++ = char16_t(cp);
    }
    i += len;
  }
  out.resize(base + (o - outStart));
  m_offset += size;
}

void CStreamDecoder::FeedUtf16(const char* data, qsizetype size, bool last, QString& out) {
  const bool be = m_cp == CodePage::Utf16Be;
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const auto unit = [&](qsizetype i) { return char16_t(be ? p[i] << 8 | p[i + 1] : p[i + 1] << 8 | p[i]); };
  const qsizetype base = out.size();
  out.resize(base + size / 2 + 1);
  char16_t* o = reinterpret_cast<char16_t*>(out.data()) + base;
  char16_t* const outStart = o;
  qsizetype i = 0;
  while (i + 1 < size) {
    const char16_t u = unit(i);
    if (QChar::isHighSurrogate(u)) {
      if (i + 3 < size && QChar::isLowSurrogate(unit(i + 2))) {
        *o++ = u;
        *o++ = unit(i + 2);
        i += 4;
        continue;
      }
      if (i + 3 >= size && !last) break;  // its low surrogate may be in the next piece
    }
    if (QChar::isSurrogate(u)) {
      Bad(m_offset + i);
      *o++ = kReplacement;
    } else {
      *o++ = u;
    }
    i += 2;
  }
  if (i < size) {
    if (last) {
      Bad(m_offset + i);  // half a unit at the very end
      *o++ = kReplacement;
    } else {
      m_carry = QByteArray(data + i, size - i);
    }
  }
  out.resize(base + (o - outStart));
  m_offset += size;
}

DecodeResult DecodeBytes(const QByteArray& bytes, CodePage cp) {
  DecodeResult r;
  CStreamDecoder decoder(cp);
  decoder.Feed(bytes.constData(), bytes.size(), true, r.text);
  r.badCount = decoder.BadCount();
  r.firstBadOffset = decoder.FirstBadOffset();
  return r;
}

EncodeResult EncodeText(QStringView text, CodePage cp) {
  switch (cp) {
    case CodePage::Utf8: return EncodeUtf8(text);
    case CodePage::Utf16Le: return EncodeUtf16(text, false);
    case CodePage::Utf16Be: return EncodeUtf16(text, true);
    case CodePage::Cp932: break;
  }
  return EncodeCp932(text);
}

namespace {

qsizetype FirstNonAscii(const QByteArray& bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (std::uint8_t(bytes[i]) >= 0x80) return i;
  return -1;
}

bool StartsWithByteOrderMark(const QByteArray& head) {
  return head.startsWith("\xEF\xBB\xBF") || head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF");
}

}  // namespace

bool EncodingSettled(const QByteArray& head, CodePage configured, bool forced, bool last) {
  if (last || head.size() >= kEncodingHeadLimit) return true;
  if (head.size() < 3) return false;
  if (StartsWithByteOrderMark(head) || configured != CodePage::Cp932 || forced) return true;
  const qsizetype first = FirstNonAscii(head);
  return first >= 0 && head.size() - first >= kEncodingSample;
}

FileEncoding DetectEncoding(const QByteArray& bytes, CodePage configured, bool forced, qsizetype* bodyOffset,
                            bool complete, CEncodingGuess* guess) {
  *bodyOffset = 0;
  if (guess) *guess = {};
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    *bodyOffset = 3;
    return {CodePage::Utf8, true};
  }
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    *bodyOffset = 2;
    return {bytes[0] == '\xFF' ? CodePage::Utf16Le : CodePage::Utf16Be, true};
  }
  if (configured != CodePage::Cp932 || forced) return {configured, false};
  const qsizetype first = FirstNonAscii(bytes);
  if (first < 0) return {configured, false};
  QByteArray sample = bytes.mid(first, 16 * kEncodingSample);
  if (!complete || first + sample.size() < bytes.size()) {
    // End the sample after a byte below 0x40, which is neither the second byte
    // of a CP932 character nor part of a UTF-8 sequence: no character is cut.
    qsizetype end = sample.size();
    while (end > 0 && std::uint8_t(sample[end - 1]) >= 0x40) --end;
    if (end > 0) sample.truncate(end);
  }
  // The sample starts with a byte beyond ASCII: valid UTF-8 holds a sequence
  // of several bytes, which CP932 text seldom forms by chance.
  const DecodeResult utf8 = DecodeBytes(sample, CodePage::Utf8);
  if (utf8.badCount == 0) return {CodePage::Utf8, false};
  qsizetype read = 0;  // characters beyond ASCII that UTF-8 reads
  for (const QChar c : utf8.text) read += c.unicode() >= 0x80 && c.unicode() != 0xFFFD;
  const bool mostly = read >= kMostlyUtf8 * utf8.badCount && read >= kMostlyUtf8;
  if (guess && read >= kMostlyUtf8 && (mostly || read >= 2 * utf8.badCount))
    *guess = {mostly ? CEncodingGuess::kUtf8DespiteBadBytes : CEncodingGuess::kCp932DespiteUtf8,
              first + utf8.firstBadOffset};
  return {mostly ? CodePage::Utf8 : configured, false};
}

QString CharacterAt(QStringView text, qsizetype i) {
  if (i < 0 || i >= text.size()) return {};
  if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
    return text.mid(i, 2).toString();
  return text.mid(i, 1).toString();
}
