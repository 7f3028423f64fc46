#pragma once

#include "cli/cli_context.h"

#include <QString>

class CVelumDoc;

// print --postcard: the visible cards as New Year postcards, from the N-th
// visible card (--start N, from 1), with the postcard settings; --calibrate
// writes the calibration page alone. Every card whose code fits no boxes is
// named in a message after the run (through the document's prompt); the PDF
// holds every card regardless.
struct CPostcardPrintOutcome {
  int code = kExitOk;
  QString message;  // what went wrong
  bool usage = false;
};
CPostcardPrintOutcome PrintPostcards(CVelumDoc& doc, const CParsedArgs& args, const QString& out);
