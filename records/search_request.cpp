#include "records/search_request.h"

const QStringList& ConditionLabels() {
  static const QStringList labels{QStringLiteral("を含む"),       QStringLiteral("と一致する"),
                                  QStringLiteral("が最初にある"), QStringLiteral("が最後にある"),
                                  QStringLiteral("より大きい"),   QStringLiteral("より小さい")};
  return labels;
}
