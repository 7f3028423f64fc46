#pragma once

#include "records/item_property.h"

class CCardStore;

// The card store of the file a linked item refers to (the second string of the
// record's file reference; a relative path is taken from the folder of
// owner's file). It is created on first use, held by the record and shared
// with every record that refers to the same unchanged file, and looked up
// again whenever the record's path differs from the one it holds. Only a
// regular file of at most kMaxLinkedFile is read; a message says why another
// is not, or why a file that is there could not be opened (a loop of symbolic
// links, no permission).
// owner is the store whose item record this is. A file that cannot be read, a
// record without a reference, and a file that already lies on the chain of
// linked files that led to owner (a chain that refers back) all give an empty
// store, so that looking up linked values always ends.
const CCardStore& LinkedStore(const CItemProperty& record, const CCardStore& owner);
