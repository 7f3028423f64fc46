#pragma once

class CVelumDoc;

// Card navigation of the card view, shared by the window and automation. Each
// commits pending edits first and ends with the views refreshed (hint 0x20004),
// also when the current card stays where it is.
void NextCard(CVelumDoc& doc);
void PreviousCard(CVelumDoc& doc);
void FirstCard(CVelumDoc& doc);
void LastCard(CVelumDoc& doc);
