#pragma once

#include <QString>
#include <QStringView>

class CCardStore;

// What a card file can carry, checked where texts come in and before a save,
// so that whatever Velum writes reads back whole.

// U+001A is the end-of-text mark of a card file: the reader stops at it, so
// an item that held it would cut the file there. Removes every one from text
// and answers whether there was one.
bool RemoveEndOfFileMarks(QString& text);

// U+0001-U+0004 are read from a card file as parts of a line break, a quote
// and a comma, so a text typed with them would come back changed. Removes
// every one from text and answers whether there was one. (Pasted cards keep
// them: the clipboard's text is read as a card file is.)
bool RemoveReaderEscapes(QString& text);

// Looks over the deck (item names and every card) before it is written to
// path, after its values were computed:
// - the file would pass maxBytes (the most the reader takes), or its cards
//   the memory the reader allows them: the user is told (the save stops and
//   no file changes); the writer stops at maxBytes as well, for what this
//   look cannot tell before the text is encoded;
// - an item holds U+001A, or half a surrogate pair (a damaged text no
//   encoding holds): each is asked about once, naming the first card and
//   item; on OK every such character in the deck is mended (U+001A removed,
//   half a pair becomes U+FFFD), on Cancel the save stops.
// Answers whether the save may go on.
bool CheckDeckForSave(CCardStore& store, const QString& path, qint64 maxBytes);

namespace msg {
inline const QString kEndOfFileRemoved =
    QStringLiteral("ファイルの終わりを示す制御文字（U+001A）は項目に入れられないため、取り除きました");
inline const QString kEscapesRemoved = QStringLiteral(
    "改行・引用符・カンマとして読まれる制御文字（U+0001〜U+0004）は項目に入れられないため、取り除きました");
// %1: "項目名" or "カード n", %2: item name.
inline const QString kEndOfFileQuestion = QStringLiteral(
    "%1の項目「%2」に、ファイルの終わりを示す制御文字（U+001A）があります。この文字を取り除いて保存しますか？");
// %1: "項目名" or "カード n", %2: item name.
inline const QString kLoneSurrogateQuestion = QStringLiteral(
    "%1の項目「%2」に、壊れた文字（対になっていないサロゲート）があります。「\uFFFD」に置き換えて保存しますか？");
// The reason after "書き込みできません - PATH: ". %1: the limit in MB.
inline const QString kLargerThanReadable =
    QStringLiteral("読み込める大きさの上限（%1MB）を超えるため保存しません。元のファイルはそのままです");
// %1: the limit in MB.
inline const QString kMoreCardsThanReadable = QStringLiteral(
    "カードが多すぎて、読み込むときにメモリーの上限（%1MB）を超えるため保存しません。元のファイルはそのままです");
// The reason of a save that failed on a text. %1: "項目名" or "カード n", %2: item
// name, %3: the character, %4: code page.
inline const QString kUnencodableReason = QStringLiteral("%1の項目「%2」の文字「%3」は%4で保存できません");
// %1: the line number from 1.
inline const QString kTextAfterEndOfFile = QStringLiteral(
    "%1行目にファイルの終わりを示す制御文字（0x1A）があり、その後ろは読み込んでいません");
// %1: the path, %2: the bytes read, %3: the size when it was opened.
inline const QString kCutWhileReading = QStringLiteral(
    "「%1」は読み込みの途中で短くなりました。%3バイトのうち%2バイトまでを読み込みました");
// Before the message of the bytes replaced.
inline const QString kMostlyUtf8 = QStringLiteral("ほかの文字がUTF-8として読めるため、UTF-8として読み込みました。");
// %1: the byte offset from 1, %2: the code page taken.
inline const QString kNotUtf8 =
    QStringLiteral("UTF-8として読めないバイトがあるため（最初は%1バイト目）、%2として読み込みました。");
// %1: the path, %2: the system's reason.
inline const QString kReadFailed = QStringLiteral("「%1」を最後まで読み込めません：%2");
}  // namespace msg
