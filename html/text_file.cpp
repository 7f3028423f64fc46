#include "html/text_file.h"

#include "platform/file_io.h"
#include "platform/prompt.h"

#include <QFileInfo>

const QString kTextUnencodable =
    QStringLiteral("「%1」の%2行目の文字「%3」は%4で書き込めません。UTF-8で書き込みますか？");

bool LooksLikeUtf8(QByteArrayView bytes) {
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const auto c = std::uint8_t(bytes[i]);
    int follow;
    if (c < 0x80)
      follow = 0;
    else if (c >= 0xC0 && c <= 0xDF)
      follow = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      follow = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      follow = 3;
    else
      return false;  // a misplaced continuation byte, or no lead byte at all
    ++i;
    for (int k = 0; k < follow; ++k, ++i)
      if (i >= n || (std::uint8_t(bytes[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

CTextReader::CTextReader(const QByteArray& bytes) {
  if (LooksLikeUtf8(bytes)) {
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    DecodeResult r = DecodeBytes(bom ? bytes.mid(3) : bytes, CodePage::Utf8);
    // Overlong forms and surrogates pass the test but are no characters.
    if (r.badCount == 0) {
      m_text = std::move(r.text);
      m_utf8 = true;
    }
  }
  if (!m_utf8) m_text = DecodeBytes(bytes, CodePage::Cp932).text;
  m_text.remove(QChar(0x1A));
}

bool CTextReader::ReadLine(QString* line) {
  if (m_pos >= m_text.size()) return false;
  const qsizetype lf = m_text.indexOf(u'\n', m_pos);
  const qsizetype end = lf < 0 ? m_text.size() : lf + 1;
  *line = m_text.mid(m_pos, end - m_pos);
  m_pos = end;
  return true;
}

int WriteTextFile(const QString& path, const QString& text, CodePage cp, IPrompt& prompt, QString* error) {
  if (error) error->clear();
  EncodeResult encoded = EncodeText(text, cp);
  bool bom = false;
  if (!encoded.ok()) {
    const qsizetype at = encoded.failedAt;
    const qsizetype line = QStringView(text).left(at).count(u'\n') + 1;
    if (!prompt.Question(kTextUnencodable.arg(QFileInfo(path).fileName(), QString::number(line),
                                              CharacterAt(text, at), CodePageName(cp))))
      return -1;
    encoded = EncodeText(text, CodePage::Utf8);
    bom = true;
    if (!encoded.ok()) return 0;  // a lone surrogate: no encoding holds it
  }
  CFileCommit file(path);
  if (!(file.Open() && (!bom || file.Write("\xEF\xBB\xBF")) && file.Write(encoded.bytes) && file.Commit())) {
    if (error) *error = file.Error();
    return 0;
  }
  if (!file.Warning().isEmpty()) prompt.Notice(file.Warning());
  return 1;
}
