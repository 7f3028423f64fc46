#pragma once

struct CPrintExtras;
class CVelumApp;

// The orientation and column widths the document's print layout has: read
// from the settings for its file the first time they are asked for, then held
// with the layout.
const CPrintExtras& PrintExtrasOf(CVelumApp& app);
// Keeps them in the settings for the document's file (a save under a new name
// calls it after PrintExtrasOf before the save, so that they follow the file);
// an unnamed document keeps them with its layout until then.
void KeepPrintExtras(CVelumApp& app);
