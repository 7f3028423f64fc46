#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Opening files that come from elsewhere for reading. Only regular files are
// read (a symbolic link to one counts): a device gives bytes without end and a
// FIFO blocks until someone writes to it. A caller that reads the whole file
// at once gives a limit, checked against the file's size before anything is
// allocated.
enum class InputStatus { kOk, kCannotOpen, kNotRegular, kTooLarge };

// The sizes callers read whole.
inline constexpr qint64 kMaxPropertyFile = qint64(64) << 20;
inline constexpr qint64 kMaxKeyFile = qint64(16) << 20;
inline constexpr qint64 kMaxTemplateFile = qint64(64) << 20;
// A linked file is read into a card store like any card file; the limit keeps
// a mistaken link from taking the memory of the one that refers to it.
inline constexpr qint64 kMaxLinkedFile = qint64(1) << 30;

// Opens path read-only when it is a regular file of at most maxBytes (-1: any
// size). reason: the system's reason, or what was wrong with the file.
InputStatus OpenInputFile(QFile& file, const QString& path, qint64 maxBytes, QString* reason = nullptr);
// Reads the whole of such a file.
InputStatus ReadInputFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* reason = nullptr);

namespace input_msg {
inline const QString kNotRegular = QStringLiteral("通常のファイルではありません");
// %1: the limit in MB.
inline const QString kTooLarge = QStringLiteral("ファイルが大きすぎます（上限%1MB）");
// %1: the path, %2: the reason.
inline const QString kCannotRead = QStringLiteral("「%1」を読み込めません：%2");
}  // namespace input_msg
