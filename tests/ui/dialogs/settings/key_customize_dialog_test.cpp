// キーカスタマイズ: bindings made in the dialog label the menus at once, OK
// writes the key file, cancel keeps the bindings for the run only, and key
// files are saved and loaded through the program's own file dialog.
#include "keys/key_map.h"
#include "settings/settings.h"
#include "support/ui_test_support.h"
#include "ui/dialogs/settings/key_customize_dialog.h"
#include "ui/widgets/file_select_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QSize kWide(800, 600);
constexpr std::uint32_t kFind = 32774;

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Selects the key of that label (with the modifiers its prefix names) and the command.
void Bind(CKeyCustomizeDialog& d, const QString& key, const QString& command) {
  const QStringList parts = key.split(u'+');
  for (QCheckBox* box : d.findChildren<QCheckBox*>()) {
    const QString name = box->text().left(box->text().indexOf(u'('));
    box->setChecked(parts.contains(name));
  }
  auto* keys = d.findChild<QListWidget*>(u"keys"_s);
  const auto found = keys->findItems(key, Qt::MatchExactly);
  QVERIFY(!found.isEmpty());
  keys->setCurrentItem(found.first());
  auto* commands = d.findChild<QListWidget*>(u"commands"_s);
  const auto cmd = commands->findItems(command, Qt::MatchExactly);
  QVERIFY(!cmd.isEmpty());
  commands->setCurrentItem(cmd.first());
}

QPushButton* Button(QWidget& w, const QString& text) {
  for (QPushButton* b : w.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

}  // namespace

class CKeyCustomizeDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { m_env.SetUp(); }

  void bindingLabelsTheMenuAndOkWritesTheFile() {
    const QString keyFile = m_env.Path(u"one.key"_s);
    CAppUnderTest t(m_env.CopySample(), SettingsWithKeyFile(keyFile), kWide);
    QVERIFY(t.started);
    QVERIFY(WithModalDialog<CKeyCustomizeDialog>([&] { t.Window().Dispatch(32869); }, [&](CKeyCustomizeDialog& d) {
      Bind(d, u"Ctrl+F"_s, u"[編集]検索..."_s);
      QCOMPARE(t.Window().Action(kFind)->text(), u"検索(&F)...\tCtrl+F"_s);
      d.accept();
    }));
    // The one binding, byte for byte.
    const QByteArray expected = QByteArray::fromHex("0100ffff01000800") + "CKeycust" + QByteArray::fromHex("4600000000000100" "0680");
    QCOMPARE(FileBytes(keyFile), expected);
    QCOMPARE(t.App().KeyMap().FindCommand(0x46, false, false, true), kFind);
  }

  void labelsFollowTheFirstRemainingKeyAndCancelKeepsTheRun() {
    const QString keyFile = m_env.Path(u"two.key"_s);
    CAppUnderTest t(m_env.CopySample(), SettingsWithKeyFile(keyFile), kWide);
    QVERIFY(t.started);
    QAction* find = t.Window().Action(kFind);
    QVERIFY(WithModalDialog<CKeyCustomizeDialog>([&] { t.Window().Dispatch(32869); }, [&](CKeyCustomizeDialog& d) {
      const struct {
        QString key;
        QString command;
        QString label;
      } steps[] = {
          {u"Ctrl+F"_s, u"[編集]検索..."_s, u"検索(&F)...\tCtrl+F"_s},
          {u"Shift+Ctrl+F"_s, u"[編集]検索..."_s, u"検索(&F)...\tShift+Ctrl+F"_s},  // the key just chosen
          {u"Ctrl+F"_s, u"（なし）"_s, u"検索(&F)...\tShift+Ctrl+F"_s},  // the key still bound
          {u"Shift+Ctrl+F"_s, u"（なし）"_s, u"検索(&F)..."_s},
          {u"Shift+F1"_s, u"[表示]次のカードへ"_s, u"検索(&F)..."_s},
      };
      for (const auto& s : steps) {
        Bind(d, s.key, s.command);
        QCOMPARE(find->text(), s.label);
      }
      QCOMPARE(t.Window().Action(32769)->text(), u"次のカードへ(&N)\tShift+F1"_s);
      d.reject();
    }));
    QVERIFY(!QFile::exists(keyFile));
    QCOMPARE(t.App().KeyMap().Count(), 1);
    QCOMPARE(t.App().KeyMap().FindCommand(112, false, true, false), 32769u);
  }

  void saveAndLoadThroughTheFileDialog() {
    const QString keyFile = m_env.Path(u"start.key"_s);
    CAppUnderTest t(m_env.CopySample(), SettingsWithKeyFile(keyFile), kWide);
    QVERIFY(t.started);
    // 保存 to another name, then 読込 of a file that is not there, then of the saved one.
    auto inFileDialog = [](QPushButton* button, const QString& name) {
      return WithModalDialog<CFileSelectDialog>([&] { button->click(); }, [&](CFileSelectDialog& f) {
        f.findChild<QLineEdit*>(u"1029"_s)->setText(name);
        f.accept();
      });
    };
    QVERIFY(WithModalDialog<CKeyCustomizeDialog>([&] { t.Window().Dispatch(32869); }, [&](CKeyCustomizeDialog& d) {
      Bind(d, u"Ctrl+F"_s, u"[編集]検索..."_s);
      QVERIFY(inFileDialog(Button(d, u"保存(&S)..."_s), u"saved"_s));  // gets .KEY
      QCOMPARE(FileBytes(m_env.Path(u"saved.KEY"_s)).size(), 26);
      Bind(d, u"Ctrl+F"_s, u"（なし）"_s);
      QVERIFY(inFileDialog(Button(d, u"読込(&R)..."_s), u"missing.KEY"_s));
      QCOMPARE(t.CountInTranscript(u"message: キーファイル「"_s + m_env.Path(u"missing.KEY"_s) + u"」を読み込めません："_s), 1);
      QVERIFY(inFileDialog(Button(d, u"読込(&R)..."_s), u"saved.KEY"_s));
      QCOMPARE(t.App().KeyMap().Count(), 1);
      QCOMPARE(t.Window().Action(kFind)->text(), u"検索(&F)...\tCtrl+F"_s);
      QCOMPARE(d.findChild<QListWidget*>(u"commands"_s)->currentItem()->text(), u"[編集]検索..."_s);
      d.reject();
    }));
    QCOMPARE(CSettingsStore(t.App().Settings().Path()).GetProfileString(u"System"_s, u"Keycust"_s, {}),
             m_env.Path(u"saved.KEY"_s));
  }

  void okReportsAFileThatCannotBeWritten() {
    CAppUnderTest t(m_env.CopySample(), SettingsWithKeyFile(m_env.Path(u"no/such/folder/x.key"_s)), kWide);
    QVERIFY(t.started);
    QVERIFY(WithModalDialog<CKeyCustomizeDialog>([&] { t.Window().Dispatch(32869); },
                                                 [](CKeyCustomizeDialog& d) { d.accept(); }));
    QVERIFY(t.Transcript().contains(u"message: 保存できません"_s));
  }

 private:
  // Settings naming the key file `name` in the test folder.
  QString SettingsWithKeyFile(const QString& keyFile) {
    const QString settings = m_env.NewSettings();
    CSettingsStore store(settings);
    store.WriteProfileString(u"System"_s, u"Keycust"_s, keyFile);
    return settings;
  }

  CUiTestEnv m_env;
};

QTEST_MAIN(CKeyCustomizeDialogTest)
#include "key_customize_dialog_test.moc"
