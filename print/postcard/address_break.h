#pragma once

#include "print/postcard/kanji_numerals.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Breaks an address (made ready by VerticalAddressText) into columns that fit
// (fits says whether a column's text does), at the most natural place that
// fits: after 丁目, 番地, 番 or 号 (not 号室, 号棟) or at a blank (dropped),
// else after a prefecture, city or town (都 道 府 県 市 区 郡 町 村), else
// anywhere but inside a number. A number never breaks, unless it alone is longer
// than a column. Every column holds at least one character; blanks at either
// end of a column are dropped. An empty text gives no column.
QStringList BreakAddress(const CVerticalText& text, const std::function<bool(QStringView)>& fits);
