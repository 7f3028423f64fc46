#include "platform/code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <iconv.h>

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

class Iconv {
 public:
  Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return m_cd; }
  void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t m_cd;
};

DecodeResult DecodeCp932(const QByteArray& bytes) {
  DecodeResult r;
  Iconv cd("UTF-16LE", "CP932");
  if (!cd.valid()) {
    r.badCount = bytes.size();
    r.firstBadOffset = 0;
    return r;
  }
  // A CP932 byte never gives more than one UTF-16 unit.
  r.text.resize(bytes.size());
  char* in = const_cast<char*>(bytes.constData());
  size_t inLeft = bytes.size();
  char* outStart = reinterpret_cast<char*>(r.text.data());
  char* out = outStart;
  size_t outLeft = bytes.size() * 2;
  auto emit = [&](char16_t c) {
    *reinterpret_cast<char16_t*>(out) = c;
    out += 2;
    outLeft -= 2;
  };
  while (inLeft > 0) {
    size_t rc = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
    if (rc != static_cast<size_t>(-1)) break;
    // EILSEQ or EINVAL (a lead byte cut off at the end): one byte is consumed.
    const unsigned char b = static_cast<unsigned char>(*in);
    if (char16_t extra = Cp932ExtraByte(b)) {
      emit(extra);
    } else {
      if (r.firstBadOffset < 0) r.firstBadOffset = in - bytes.constData();
      ++r.badCount;
      emit(kReplacement);
    }
    ++in;
    --inLeft;
    cd.reset();
  }
  r.text.resize((out - outStart) / 2);
  return r;
}

DecodeResult DecodeUtf8(const QByteArray& bytes) {
  DecodeResult r;
  QStringDecoder dec(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  r.text = dec.decode(bytes);
  if (dec.hasError()) {
    // Find where: decode again up to the first replacement character that was
    // not in the input as a real U+FFFD (EF BF BD).
    qsizetype byte = 0;
    const qsizetype n = bytes.size();
    while (byte < n) {
      const unsigned char c = static_cast<unsigned char>(bytes[byte]);
      int len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
      bool good = len > 0 && byte + len <= n;
      for (int k = 1; good && k < len; ++k)
        good = (static_cast<unsigned char>(bytes[byte + k]) & 0xC0) == 0x80;
      if (good) {
        QStringDecoder one(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        (void)one.decode(bytes.mid(byte, len));
        good = !one.hasError();
      }
      if (!good) {
        if (r.firstBadOffset < 0) r.firstBadOffset = byte;
        ++r.badCount;
        byte += 1;
      } else {
        byte += len;
      }
    }
    if (r.badCount == 0) {
      r.badCount = 1;
      r.firstBadOffset = 0;
    }
  }
  return r;
}

EncodeResult EncodeCp932(QStringView text) {
  EncodeResult r;
  Iconv cd("CP932", "UTF-16LE");
  if (!cd.valid()) {
    r.failedAt = 0;
    return r;
  }
  r.bytes.resize(text.size() * 2);
  const char* base = reinterpret_cast<const char*>(text.data());
  char* in = const_cast<char*>(base);
  size_t inLeft = text.size() * 2;
  char* out = r.bytes.data();
  size_t outLeft = r.bytes.size();
  while (inLeft > 0) {
    size_t rc = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
    if (rc != static_cast<size_t>(-1)) break;
    const qsizetype at = (in - base) / 2;
    const int extra = Cp932ExtraChar(text[at].unicode());
    if (errno == E2BIG || extra < 0) {
      r.bytes.clear();
      r.failedAt = at;
      return r;
    }
    *out++ = static_cast<char>(extra);
    --outLeft;
    in += 2;
    inLeft -= 2;
    cd.reset();
  }
  r.bytes.resize(out - r.bytes.data());
  return r;
}

EncodeResult EncodeUtf8(QStringView text) {
  EncodeResult r;
  // A lone surrogate is the only UTF-16 text UTF-8 cannot hold.
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c.isSurrogate()) {
      r.failedAt = i;
      return r;
    }
  }
  r.bytes = text.toUtf8();
  return r;
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
  return cp == CodePage::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("CP932");
}

DecodeResult DecodeBytes(const QByteArray& bytes, CodePage cp) {
  return cp == CodePage::Utf8 ? DecodeUtf8(bytes) : DecodeCp932(bytes);
}

EncodeResult EncodeText(QStringView text, CodePage cp) {
  return cp == CodePage::Utf8 ? EncodeUtf8(text) : EncodeCp932(text);
}

FileEncoding DetectEncoding(const QByteArray& bytes, CodePage configured, qsizetype* bodyOffset) {
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    *bodyOffset = 3;
    return {CodePage::Utf8, true};
  }
  *bodyOffset = 0;
  return {configured, false};
}

QString CharacterAt(QStringView text, qsizetype i) {
  if (i < 0 || i >= text.size()) return {};
  if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
    return text.mid(i, 2).toString();
  return text.mid(i, 1).toString();
}
