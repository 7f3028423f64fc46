#pragma once

#include <QString>

#include <functional>

class CVelumDoc;

namespace msg {
// %1: the document's title (its file name, or 無題).
inline const QString kSaveChanges = QStringLiteral("%1 への変更を保存しますか？");
}  // namespace msg

// Before the document lets unsaved changes go (new, open, reload, close):
// commits the views' pending edits, then, while the document is modified,
// asks msg::kSaveChanges with 保存 (Yes), 保存しない (No) and キャンセル
// (Cancel, also a closed box). Yes runs save. Answers whether the caller may
// go on: nothing was unsaved, the user chose not to save, or save succeeded;
// after Cancel or a failed save the document stays as it is.
bool SaveChangesFirst(CVelumDoc& doc, const std::function<bool()>& save);
