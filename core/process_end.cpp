#include "core/process_end.h"

#include "core/velum_doc.h"

#include <vector>

void LeaveToProcessEnd(std::unique_ptr<CVelumDoc> doc) {
  static auto* left = new std::vector<std::unique_ptr<CVelumDoc>>;
  if (doc) left->push_back(std::move(doc));
}
