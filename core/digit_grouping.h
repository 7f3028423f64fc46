#pragma once

#include <QString>
#include <QStringView>

// Thousands separators for a typed number, as the card view stores it when the
// item's digit-grouping flag is on. The text is read from its end: digits before
// the last full stop (all digits when there is none) are grouped by threes with
// commas, existing commas are dropped, and "$%()+-=\" and the full stop are kept.
// Any other character leaves the whole text unchanged:
//   1234 -> 1,234   1,2345 -> 12,345   1234.5678 -> 1,234.5678   12a34 -> 12a34
QString GroupDigits(QStringView text);
