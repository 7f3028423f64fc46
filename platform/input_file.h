#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Opening files that come from elsewhere for reading. Only regular files are
// read (a symbolic link to one counts): a device gives bytes without end and a
// FIFO blocks until someone writes to it. A caller that reads the whole file
// at once gives a limit, checked against the file's size before anything is
// allocated.
enum class InputStatus { kOk, kMissing, kCannotOpen, kNotRegular, kTooLarge };  // kMissing: no such file

// The sizes callers read whole.
inline constexpr qint64 kMaxPropertyFile = qint64(64) << 20;
inline constexpr qint64 kMaxKeyFile = qint64(16) << 20;
inline constexpr qint64 kMaxTemplateFile = qint64(64) << 20;
// A card file is read into cards that hold its text as UTF-16, up to twice its
// size. The cards may take at most kCardMemoryFactor times the size of the
// largest file (2.5 times its UTF-16 text): a file of very many tiny cards,
// whose every card costs more than its text, is refused when it would take
// more. A linked file is read beside the card file that refers to it; its
// smaller limit keeps a mistaken link from taking that file's memory.
inline constexpr qint64 kMaxCardFile = qint64(512) << 20;
inline constexpr qint64 kMaxLinkedFile = qint64(128) << 20;
inline constexpr qint64 kCardMemoryFactor = 5;

// Opens path read-only when it is a regular file of at most maxBytes (-1: any
// size). reason: the system's reason, or what was wrong with the file.
InputStatus OpenInputFile(QFile& file, const QString& path, qint64 maxBytes, QString* reason = nullptr);
// Reads the whole of such a file.
InputStatus ReadInputFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* reason = nullptr);

namespace input_msg {
inline const QString kNotRegular = QStringLiteral("通常のファイルではありません");
// %1: the limit in MB.
inline const QString kTooLarge = QStringLiteral("ファイルが大きすぎます（上限%1MB）");
// %1: the limit in MB.
inline const QString kTooManyCards = QStringLiteral("カードが多すぎてメモリーの上限（%1MB）を超えます");
// %1: the path, %2: the reason.
inline const QString kCannotRead = QStringLiteral("「%1」を読み込めません：%2");
}  // namespace input_msg
