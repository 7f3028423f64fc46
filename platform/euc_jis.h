#pragma once

#include <QByteArray>
#include <QString>

// Decoding of EUC-JIS-2004 (EUC-JP with the characters of JIS X 0213), the
// encoding of the dictionaries of Japanese input methods, through the
// platform's conversion. A byte sequence that is no character becomes U+FFFD;
// badCount (when given) counts them.
QString DecodeEucJis2004(const QByteArray& bytes, qsizetype* badCount = nullptr);
