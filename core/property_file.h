#pragma once

#include <QString>

class CCardStore;

// The property file beside a card file: the path with the text after the last
// full stop replaced by "vcv" (appended when there is no full stop).
QString PropertyFilePath(const QString& cardPath);

// Reads the property file into the store's file record; false when there is none.
bool LoadPropertyFile(CCardStore& store, const QString& cardPath);
// Copies the item records read from the property file into the store's table.
void ApplyItemProperties(CCardStore& store);
// Writes the property file when any record was set; true when nothing failed.
bool SavePropertyFile(CCardStore& store, const QString& cardPath);
