#include "japanese/wide_digits.h"

#include "japanese/japanese_settings.h"

#include <atomic>

namespace {

std::atomic<bool> g_wideDigits{true};

bool IsWide(char16_t c) { return (c >= 0xFF01 && c <= 0xFF5E) || c == 0x2212 || c == 0xFFE5 || c == 0x3000; }

}  // namespace

bool HasWideNumberChars(QStringView text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x2212 && IsWide(c.unicode())) return true;
  return false;
}

QString NarrowNumberText(QStringView text) {
  QString out = text.toString();
  for (QChar& ch : out) {
    const char16_t c = ch.unicode();
    if (c >= 0xFF01 && c <= 0xFF5E)
      ch = QChar(c - 0xFF01 + 0x21);
    else if (c == 0x2212)
      ch = u'-';
    else if (c == 0xFFE5)
      ch = u'\\';
    else if (c == 0x3000)
      ch = u' ';
  }
  return out;
}

bool WideDigitsAsNumbers() { return g_wideDigits.load(std::memory_order_relaxed); }

void SetWideDigitsAsNumbers(bool on) { g_wideDigits.store(on, std::memory_order_relaxed); }

void ApplyWideDigitsSetting(const CSettingsStore& settings) {
  SetWideDigitsAsNumbers(ReadSetting(settings, settings::kWideDigits) != 0);
}
