#include "app/key_translation.h"
#include "keys/key_names.h"
#include "support/test_support.h"

#include <set>

using namespace Qt::StringLiterals;

TEST(KeyTranslation, EveryKeyMapKeyToQtAndBack) {
  std::set<int> qtKeys;
  for (const CKeyName& k : KeyNames()) {
    SCOPED_TRACE(k.name.toStdString());
    const CQtKey qt = QtKeyFromKeyCode(k.keyCode);
    ASSERT_NE(qt.key, 0);
    EXPECT_EQ(KeyCodeFromQt(qt.key, qt.modifiers), k.keyCode);
    // Held modifiers do not change the key.
    EXPECT_EQ(KeyCodeFromQt(qt.key, qt.modifiers | Qt::ShiftModifier | Qt::ControlModifier), k.keyCode);
    qtKeys.insert(qt.key | (qt.modifiers.testFlag(Qt::KeypadModifier) ? int(Qt::KeypadModifier) : 0));
  }
  EXPECT_EQ(qtKeys.size(), KeyNames().size());  // no two codes share a Qt key
  EXPECT_EQ(QtKeyFromKeyCode(0).key, 0);
  EXPECT_EQ(QtKeyFromKeyCode(124).key, 0);  // F13
}

TEST(KeyTranslation, QtKeysThatShareACode) {
  const struct {
    int key;
    Qt::KeyboardModifiers mods;
    std::uint32_t code;
  } rows[] = {
      {Qt::Key_Enter, Qt::KeypadModifier, 13}, {Qt::Key_Return, {}, 13},
      {Qt::Key_Backtab, Qt::ShiftModifier, 9}, {Qt::Key_7, Qt::KeypadModifier, 103},
      {Qt::Key_7, {}, 55},                     {Qt::Key_Minus, {}, 109},
      {Qt::Key_Minus, Qt::KeypadModifier, 109}, {Qt::Key_Home, Qt::KeypadModifier, 36},  // NumLock off
      {Qt::Key_Shift, Qt::ShiftModifier, 0},   {Qt::Key_F13, {}, 0},
      {Qt::Key_Equal, {}, 0},                  {Qt::Key_unknown, {}, 0},
  };
  for (const auto& r : rows) EXPECT_EQ(KeyCodeFromQt(r.key, r.mods), r.code) << r.key;

  CKeyPress press;
  ASSERT_TRUE(KeyPressFromQt(Qt::Key_F, Qt::ControlModifier | Qt::AltModifier, &press));
  EXPECT_EQ(KeyLabel(press.keyCode, press.alt, press.shift, press.ctrl), u"Alt+Ctrl+F"_s);
  EXPECT_FALSE(KeyPressFromQt(Qt::Key_Control, Qt::ControlModifier, &press));
}

TEST(KeyTranslation, EveryLabelParsesAndFormsAgain) {
  for (const CKeyName& k : KeyNames()) {
    for (int mods = 0; mods < 8; ++mods) {
      const QString label = KeyLabel(k.keyCode, mods & 1, mods & 2, mods & 4);
      std::uint32_t code = 0;
      bool alt = false, shift = false, ctrl = false;
      ASSERT_TRUE(ParseKeyLabel(label, &code, &alt, &shift, &ctrl)) << label;
      EXPECT_EQ(KeyLabel(code, alt, shift, ctrl), label);
    }
  }
  const struct {
    QString label;
    bool ok;
    QString formed;
  } rows[] = {
      {u"ctrl+shift+enter"_s, true, u"Shift+Ctrl+Enter"_s},
      {u"Ctrl++"_s, true, u"Ctrl++"_s},
      {u"numpad5"_s, true, u"NUMPAD5"_s},
      {u"+"_s, true, u"+"_s},
      {u"Ctrl+"_s, false, {}},
      {u"Alt+"_s, false, {}},
      {u"Ctrl+F13"_s, false, {}},
      {u"Ctrl F"_s, false, {}},
      {u""_s, false, {}},
  };
  for (const auto& r : rows) {
    std::uint32_t code = 0;
    bool alt = false, shift = false, ctrl = false;
    EXPECT_EQ(ParseKeyLabel(r.label, &code, &alt, &shift, &ctrl), r.ok) << r.label;
    if (r.ok) {
      EXPECT_EQ(KeyLabel(code, alt, shift, ctrl), r.formed);
    }
  }
}
