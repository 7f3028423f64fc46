#pragma once

#include <QString>

#include <optional>

// The texts of menu entries with key labels: "件数集計(&Y)\tCtrl+Y". Only the
// first 255 characters of an entry's text are taken, as the menu hands them out.

// SetMenuLabel on one entry's text. With a label: unchanged when the part after
// the tab already is the label; otherwise the text up to and including its tab
// (a tab appended when it has none) followed by the label. Without a label: the
// text before its tab.
QString SetMenuLabelText(const QString& text, const std::optional<QString>& label);

// UnlabelMenu on one entry's text: everything from the first tab on removed,
// also shortcut texts the menu carried itself.
QString UnlabelMenuText(const QString& text);
