#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class CCliContext;
class CBatchContext;

// velum-cli commands and batch commands register themselves from their own
// source files, so that each command group stays in one place.
using CliCommand = std::function<int(CCliContext&, const QStringList&)>;
using BatchCommand = std::function<int(CBatchContext&, const QStringList&)>;

struct CCliCommandInfo {
  CliCommand run;
  QString usage;  // one line for the help text
};

std::map<QString, CCliCommandInfo>& CliCommands();
std::map<QString, BatchCommand>& BatchCommands();

// At namespace scope in a command file:
//   const CCliRegistrar kShow(u"show"_s, RunShow, u"show FILE [--stored] [--json]"_s);
struct CCliRegistrar {
  CCliRegistrar(const QString& name, CliCommand run, const QString& usage) {
    CliCommands()[name] = {std::move(run), usage};
  }
};
struct CBatchRegistrar {
  CBatchRegistrar(const QString& name, BatchCommand run) { BatchCommands()[name] = std::move(run); }
};
