#include "keys/key_map.h"

#include "platform/input_file.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint32_t kFind = 32774;

// Ctrl+F to 検索: the 26 bytes of a one-binding key file.
const QByteArray kOneBinding = QByteArray::fromHex("0100" "ffff" "0100" "0800") + "CKeycust" +
                               QByteArray::fromHex("4600" "0000" "0000" "0100" "0680");

std::vector<CKeycust> ThreeBindings() {
  return {CKeycust(70, 0, 1, 0, kFind), CKeycust(112, 1, 0, 1, 32776), CKeycust(65, 0, 0, 0, 57600)};
}

}  // namespace

TEST(KeyMap, KeyFilesByteForByte) {
  EXPECT_EQ(CKeyMap::Encode({}), QByteArray::fromHex("0000"));
  EXPECT_EQ(CKeyMap::Encode({CKeycust(70, 0, 1, 0, kFind)}), kOneBinding);
  const QByteArray three = CKeyMap::Encode(ThreeBindings());
  ASSERT_EQ(three.size(), 26 + 2 * 12);
  EXPECT_EQ(three.mid(26, 2), QByteArray::fromHex("0180"));  // the class tag of later bindings
  EXPECT_EQ(three.mid(28, 10), QByteArray::fromHex("7000" "0100" "0100" "0000" "0880"));  // Alt+Shift+F1
  EXPECT_EQ(three.left(2), QByteArray::fromHex("0300"));

  std::vector<CKeycust> back;
  EXPECT_EQ(CKeyMap::Decode(three, &back).result, CKeyFileStatus::kLoaded);
  EXPECT_EQ(back, ThreeBindings());

  // 65535 bindings and more: the count is written as FFFF and a DWORD.
  std::vector<CKeycust> many(70000, CKeycust(65, 0, 0, 1, 1));
  const QByteArray big = CKeyMap::Encode(many);
  EXPECT_EQ(big.left(6), QByteArray::fromHex("ffff" "70110100"));
  EXPECT_EQ(big.size(), 6 + 24 + (70000 - 1) * 12);
  EXPECT_EQ(CKeyMap::Decode(big, &back).kept, 70000);
}

TEST(KeyMap, DamagedFilesKeepTheWholeBindingsBeforeTheDamage) {
  const std::vector<CKeycust> three = ThreeBindings();
  const QByteArray good = CKeyMap::Encode(three);
  // Every truncation: the whole bindings before the cut are kept.
  for (qsizetype n = 0; n < good.size(); ++n) {
    std::vector<CKeycust> got;
    const CKeyFileStatus s = CKeyMap::Decode(good.left(n), &got);
    EXPECT_EQ(s.result, CKeyFileStatus::kDamaged) << n;
    const int whole = n < 26 ? 0 : 1 + int((n - 26) / 12);
    EXPECT_EQ(s.kept, whole) << n;
    EXPECT_EQ(got, std::vector<CKeycust>(three.begin(), three.begin() + whole)) << n;
    EXPECT_FALSE(s.reason.isEmpty()) << n;
  }
  struct Case {
    const char* what;
    QByteArray bytes;
    int kept;
    qsizetype offset;
  };
  QByteArray wrongClass = good;
  wrongClass.replace("CKeycust", "CKeyxxxx");
  QByteArray wrongTag = good;
  wrongTag[26] = 0x02;  // 0x8002 names the first binding, no class
  QByteArray wrongSchema = good;
  wrongSchema[4] = 0x02;
  const Case cases[] = {
      // The count is no promise: the bindings there are read, up to the end.
      {"a count far beyond the bytes", QByteArray::fromHex("ffff" "ffffff7f") + good.mid(2), 3, 54},
      {"an unknown class", wrongClass, 0, 2},
      {"a tag naming no class", wrongTag, 1, 26},
      {"another schema", wrongSchema, 0, -1},
      {"bytes after the bindings", good + "xy", 3, 50},
      {"a property file", QByteArray::fromHex("bc02") + good, 0, 2},
  };
  for (const Case& c : cases) {
    std::vector<CKeycust> got;
    const CKeyFileStatus s = CKeyMap::Decode(c.bytes, &got);
    EXPECT_EQ(s.result, CKeyFileStatus::kDamaged) << c.what;
    EXPECT_EQ(s.kept, c.kept) << c.what;
    EXPECT_EQ(int(got.size()), c.kept) << c.what;
    if (c.offset >= 0) EXPECT_EQ(s.offset, c.offset) << c.what;
    EXPECT_GE(s.offset, 0) << c.what;
  }
}

TEST(KeyMap, FindingBindings) {
  CKeyMap map;
  for (const CKeycust& k : ThreeBindings()) map.Append(k);
  map.Append(CKeycust(70, 0, 1, 1, 32782));  // Shift+Ctrl+F: its own binding
  map.Append(CKeycust(71, 0, 1, 0, kFind));  // a second key for 検索
  map.Append(CKeycust(70, 0, 1, 0, 1));      // a later duplicate never wins
  EXPECT_EQ(map.FindCommand(70, false, false, true), kFind);
  EXPECT_EQ(map.FindCommand(70, false, true, true), 32782u);
  EXPECT_EQ(map.FindCommand(70, false, false, false), 0u);
  EXPECT_EQ(map.FindCommand(112, true, true, false), 32776u);
  EXPECT_EQ(map.FindBinding(70, false, true, true), 3);
  EXPECT_EQ(map.FindBinding(99, false, false, false), -1);
  EXPECT_EQ(map.FindKeyForCommand(kFind), 0);
  EXPECT_EQ(map.FindKeyForCommand(12345), -1);
  EXPECT_EQ(map.LabelForCommand(kFind), u"Ctrl+F"_s);
  EXPECT_EQ(map.LabelForCommand(32776), u"Alt+Shift+F1"_s);
  EXPECT_EQ(map.LabelForCommand(12345), std::nullopt);
}

TEST(KeyMap, LoadSaveAndStartRecordTheKeyFile) {
  CTestWorld w;
  CKeyMap map(w.settings.get());
  // Start with no file: an empty map, the default path, nothing recorded.
  const CKeyFileStatus start = map.Start(w.Path(u"prog"_s));
  EXPECT_EQ(start.result, CKeyFileStatus::kCannotOpen);
  EXPECT_EQ(map.Count(), 0);
  EXPECT_EQ(map.Path(), w.Path(u"prog/velum.key"_s));
  EXPECT_EQ(w.settings->GetProfileString(u"System"_s, u"Keycust"_s, u"-"_s), u"-"_s);

  map.Append(CKeycust(70, 0, 1, 0, kFind));
  EXPECT_FALSE(map.Save());  // the program folder does not exist
  ASSERT_TRUE(map.Save(w.Path(u"my.KEY"_s)));
  EXPECT_EQ(w.ReadFile(u"my.KEY"_s), kOneBinding);
  EXPECT_EQ(settings::ReadKeycust(*w.settings, w.Path(u"prog"_s)), w.Path(u"my.KEY"_s));

  // The next start loads the recorded file.
  CKeyMap next(w.settings.get());
  EXPECT_EQ(next.Start(w.Path(u"prog"_s)).result, CKeyFileStatus::kLoaded);
  EXPECT_EQ(next.FindCommand(70, false, false, true), kFind);

  // A file that cannot be opened, a device, a folder or a file too large to
  // be a key file leave the map as it was; the message names the whole path
  // and the reason.
  QFile large(w.Path(u"large.KEY"_s));
  ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(kMaxKeyFile + 1));
  large.close();
  ASSERT_TRUE(QFile::link(w.Path(u"loop.KEY"_s), w.Path(u"loop.KEY"_s)));
  const std::vector<std::pair<QString, QString>> unread = {
      {w.Path(u"missing.KEY"_s), QString::fromLocal8Bit(std::strerror(ENOENT))},
      {w.Path(u"loop.KEY"_s), QString::fromLocal8Bit(std::strerror(ELOOP))},
      {u"/dev/zero"_s, input_msg::kNotRegular},
      {w.Path(u"."_s), input_msg::kNotRegular},
      {w.Path(u"large.KEY"_s), input_msg::kTooLarge.arg(kMaxKeyFile >> 20)},
  };
  for (const auto& [path, reason] : unread) {
    const CKeyFileStatus status = next.Load(path);
    EXPECT_EQ(status.result, CKeyFileStatus::kCannotOpen) << path;
    EXPECT_EQ(CannotLoadMessage(status, path), keys_msg::kCannotLoadFile.arg(QFileInfo(path).absoluteFilePath(), reason));
    EXPECT_EQ(next.Count(), 1);
  }

  // A damaged file: the bindings before the damage, and a message that says so.
  w.WriteFile(u"bad.KEY"_s, CKeyMap::Encode(ThreeBindings()).left(40));
  const CKeyFileStatus bad = next.Load(w.Path(u"bad.KEY"_s));
  EXPECT_EQ(bad.result, CKeyFileStatus::kDamaged);
  EXPECT_EQ(next.Count(), 2);
  EXPECT_EQ(DamageMessage(bad, w.Path(u"bad.KEY"_s)),
            keys_msg::kDamaged.arg(w.Path(u"bad.KEY"_s), u"41"_s, archive_msg::kTruncated, u"2"_s));
  EXPECT_EQ(CannotLoadMessage(bad, w.Path(u"bad.KEY"_s)), QString());
}

TEST(KeyMap, CliListsTheBindings) {
  CTestWorld w;
  std::vector<CKeycust> bindings = ThreeBindings();
  bindings.push_back(CKeycust(190, 0, 0, 0, 57665));  // a key the table does not name
  w.WriteFile(u"k.KEY"_s, CKeyMap::Encode(bindings));
  const QString reg = w.Path(u"velum.reg"_s);
  CCliRun r = RunCli({u"keys"_s, w.Path(u"k.KEY"_s)}, {}, reg);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, u"Ctrl+F\t32774\nAlt+Shift+F1\t32776\nA\t57600\n#190\t57665\n"_s);
  EXPECT_TRUE(w.ReadFile(u"velum.reg"_s).isEmpty());  // the start-up key file stays

  w.WriteFile(u"bad.KEY"_s, CKeyMap::Encode(ThreeBindings()).left(30));
  r = RunCli({u"keys"_s, w.Path(u"bad.KEY"_s)}, {}, reg);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, u"Ctrl+F\t32774\n"_s);
  EXPECT_TRUE(r.err.contains(u"壊れています"_s)) << r.err;
  r = RunCli({u"keys"_s, w.Path(u"none.KEY"_s)}, {}, reg);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, u"velum-cli: "_s + keys_msg::kCannotLoadFile.arg(w.Path(u"none.KEY"_s),
                                                                    QString::fromLocal8Bit(std::strerror(ENOENT))) +
                       u'\n');
  EXPECT_EQ(RunCli({u"keys"_s}, {}, reg).exitCode, 2);
}
