#pragma once

#include "platform/prompt.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

class CVelumDoc;

// What velum-cli batch and velum --script share: the splitting of a command
// line into words, the transcript line of a message box and the state object.

// Splits a command line into words: blanks separate; a word in double quotes may
// hold blanks, with \" and \\ as escapes. Answers false for an unclosed quote.
bool SplitWords(const QString& line, QStringList* words);

// "message: TEXT" or "question: TEXT -> ANSWER" for a text the prompt showed;
// a question with a check box: "question: TEXT [x] CHECK -> ANSWER" ("[ ]" unticked).
QString TranscriptLine(const CScriptedPrompt::Shown& shown);

// Reads "ok", "cancel", "yes" or "no"; false for any other word.
bool ParseAnswerWord(const QString& word, IPrompt::Choice* choice);

// path, card, item, visible, total and modified of the document.
QJsonObject DocumentState(const CVelumDoc& doc);
