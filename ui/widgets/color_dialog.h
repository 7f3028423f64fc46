#pragma once

#include <QSize>

#include <cstdint>

class CSettingsStore;
class QWidget;

// The colour dialog "色の設定": Qt's own chooser (never the desktop's), opened
// on *colorRef (0x00BBGGRR), offering the sixteen custom colours of the
// settings section ColorDlg. On OK *colorRef receives the chosen colour and the
// answer is true; on cancel it is left alone. Custom colours the user changed
// are written back either way, so that they are offered again next time. The
// chooser sits in a scroll area with OK and キャンセル below it, so it stays
// usable on a screen smaller than itself (screen: as FitToScreen takes it).
bool ChooseColor(QWidget* parent, CSettingsStore& settings, std::uint32_t* colorRef, QSize screen = {});

// The object names tests and scripts find the parts by.
inline constexpr char kColorChooserName[] = "colorChooser";
