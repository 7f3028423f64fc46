#pragma once

#include "cli/cli_context.h"

#include <vector>

// What a batch command works with: the document, the streams and the helpers
// that turn words into cards and items with a clear error.
class CBatchContext {
 public:
  explicit CBatchContext(CCliContext& ctx);

  CCliContext& Cli() { return m_ctx; }
  CVelumDoc& Doc() { return m_doc; }
  QTextStream& Out() { return m_ctx.Out(); }

  // Prints "error: TEXT" on stderr; answers code.
  int Error(int code, const QString& text);
  // A usage error: "error: usage: TEXT"; answers kExitUsage.
  int Usage(const QString& text);
  // A visible card number; on failure prints the error and answers nonzero.
  int CardNumber(const QString& word, int* card);
  // An item name or "#N"; on failure prints the error and answers nonzero.
  int ItemIndex(const QString& word, int* item);
  // A list of card numbers; none means the current card.
  int CardList(const QStringList& words, std::vector<int>* cards);
  // Prints a JSON value on one line.
  void PrintJson(const class QJsonValue& value);

  // Runs the commands of the stream; answers the worst exit code.
  int Run(QTextStream& in);

 private:
  CCliContext& m_ctx;
  CVelumDoc& m_doc;
};

