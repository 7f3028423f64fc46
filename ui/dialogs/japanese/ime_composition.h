#pragma once

#include <QString>

class QWidget;

// An input-method composition as an input method sends it to the focused
// field: the preedit grows one character at a time (か, かと, かとう), the
// candidate of the conversion replaces it when the commit differs (加藤), and
// the commit ends the composition. An empty commit cancels it. Used by the
// automation word `ime PREEDIT COMMIT`.
void SendComposition(QWidget* target, const QString& preedit, const QString& commit);
