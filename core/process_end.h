#pragma once

#include <memory>

class CVelumDoc;

// Keeps a document to the end of the process instead of freeing it: the
// system takes a large deck back at once, where freeing it card by card takes
// a while once nothing needs it any more. It stays reachable, so leak checkers
// do not count it.
void LeaveToProcessEnd(std::unique_ptr<CVelumDoc> doc);
