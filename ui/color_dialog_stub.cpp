// A stand-in until the colour dialog lands: the platform's chooser on the
// given colour, without the custom colours.
#include "settings/settings_store.h"

#include <QColorDialog>

#include <cstdint>

bool ChooseColor(QWidget* parent, CSettingsStore&, std::uint32_t* colorRef) {
  const std::uint32_t c = *colorRef;
  const QColor chosen = QColorDialog::getColor(QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)),
                                               parent, QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return false;
  *colorRef = std::uint32_t(chosen.red()) | std::uint32_t(chosen.green()) << 8 | std::uint32_t(chosen.blue()) << 16;
  return true;
}
