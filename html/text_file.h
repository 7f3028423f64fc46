#pragma once

#include "platform/code_page.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class IPrompt;

// The UTF-8 test of templates: every byte below 0x80, or a lead byte 0xC0-0xDF,
// 0xE0-0xEF or 0xF0-0xF4 followed by one, two or three bytes 0x80-0xBF. An
// empty text passes.
bool LooksLikeUtf8(QByteArrayView bytes);

// Reads a template line by line. The whole file is decoded at once: as UTF-8
// when it passes the UTF-8 test and decodes cleanly (a leading byte-order mark
// is dropped), else as CP932. Characters 0x1A are left out.
class CTextReader {
 public:
  explicit CTextReader(const QByteArray& bytes);

  // The next line with its line end as it stood (LF or CR LF); the last line
  // may have none. False when no character is left.
  bool ReadLine(QString* line);
  bool WasUtf8() const { return m_utf8; }

 private:
  QString m_text;
  qsizetype m_pos = 0;
  bool m_utf8 = false;
};

// Writes text in the code page, replacing the file (through a temporary file in
// the same folder). A character the code page lacks is never replaced: the user
// is asked whether to write the file in UTF-8 (with a byte-order mark) instead.
// 1 written; 0 the file could not be created or written (the old file stays
// whole; error, when given, receives "PATH: reason"); -1 declined, nothing
// written.
int WriteTextFile(const QString& path, const QString& text, CodePage cp, IPrompt& prompt, QString* error = nullptr);

// The question of WriteTextFile: %1 the file name, %2 the line from 1, %3 the
// character, %4 the code page.
extern const QString kTextUnencodable;
