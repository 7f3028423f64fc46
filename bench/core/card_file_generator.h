#pragma once

#include <QByteArray>
#include <QString>

// A large card file for the benchmarks: a header line and `cards` cards of 12
// items (番号 氏名 ふりがな 郵便番号 住所 電話 日付 金額 数量 区分 メール メモ) in
// CP932, own style, with quoted and bare items, commas, quotes and line breaks.
// The same count always gives the same bytes.
QByteArray GenerateCardFile(int cards);

// Writes GenerateCardFile(cards) to path; false when it cannot.
bool WriteGeneratedCardFile(const QString& path, int cards);
