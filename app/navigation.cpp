#include "app/navigation.h"

#include "core/velum_doc.h"

namespace {

void GoTo(CVelumDoc& doc, int card) {
  if (card >= 0 && card < doc.VisibleCount()) doc.MakeCurrent(card);
  doc.UpdateAllViews(nullptr, hint::kSearchFound);
}

}  // namespace

void NextCard(CVelumDoc& doc) {
  doc.StoreCards();
  const int current = doc.CurrentCard();
  GoTo(doc, current + 1 < doc.VisibleCount() ? current + 1 : current);
}

void PreviousCard(CVelumDoc& doc) {
  doc.StoreCards();
  const int current = doc.CurrentCard();
  GoTo(doc, current > 0 ? current - 1 : current);
}

void FirstCard(CVelumDoc& doc) {
  doc.StoreCards();
  GoTo(doc, 0);
}

void LastCard(CVelumDoc& doc) {
  doc.StoreCards();
  GoTo(doc, doc.VisibleCount() - 1);
}
