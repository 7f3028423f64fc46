#include "japanese/postal_commands.h"

#include "core/card_store.h"
#include "core/undo_stack.h"
#include "select/select_commands.h"
#include "select/select_fixture.h"
#include "japanese/japanese_settings.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

class PostalCommandsTest : public SelectTest {
 protected:
  void SetUp() override {
    const QDir data(qEnvironmentVariable("VELUM_SOURCE_DIR") + u"/tests/data/japanese"_qs);
    ASSERT_TRUE(codes.Load(data.filePath(u"SKK-JISYO.zipcode"_qs), nullptr));
    ASSERT_TRUE(codes.Load(data.filePath(u"SKK-JISYO.office.zipcode"_qs), nullptr));
  }
  CPostalCodes codes;
};

TEST_F(PostalCommandsTest, FindsTheItemsTheSettingsName) {
  Open(u"氏名|住所1|〒"_qs, {u"a|b|c"_qs});
  EXPECT_EQ(FindNamedItem(doc.Store(), ReadSetting(*w.settings, settings::kPostalCodeItems)), 2);
  EXPECT_EQ(FindNamedItem(doc.Store(), ReadSetting(*w.settings, settings::kAddressItems)), 1);
  EXPECT_EQ(FindNamedItem(doc.Store(), u"電話, 氏名"), 0);
  EXPECT_EQ(FindNamedItem(doc.Store(), u"電話"), -1);
}

TEST_F(PostalCommandsTest, CheckShowsTheCardsThatDisagree) {
  Open(u"氏名|郵便番号|住所"_qs, {u"一|100-0001|東京都千代田区千代田1-1"_qs, u"二|1000001|大阪府大阪市北区"_qs,
                                u"三||東京都千代田区"_qs, u"四|4980000|三重県桑名郡木曽岬町大字和富"_qs,
                                u"五|999-9999|東京都"_qs, u"六|〒１０２－００７２|東京都千代田区飯田橋"_qs});
  const auto wrong = CheckPostalCodes(doc.Store(), codes, 1, 2);
  ASSERT_EQ(wrong.size(), 2u);
  EXPECT_EQ(wrong[0].card, 1);
  EXPECT_EQ(wrong[0].expected, u"東京都千代田区千代田"_qs);
  EXPECT_EQ(wrong[1].card, 4);
  EXPECT_EQ(wrong[1].expected, QString());

  EXPECT_EQ(PostalCheckCommand(doc, codes), 2);
  EXPECT_EQ(Visible(), QStringList({u"二"_qs, u"五"_qs}));
  EXPECT_EQ(Shown().back(), u"郵便番号と住所の合わないカードが 2 枚あります"_qs);
  EXPECT_EQ(doc.UndoStack().UndoLabel(), u"郵便番号の照合"_qs);
  // The user releases it as any filter.
  EXPECT_TRUE(CanReleaseFilter(doc));
  EXPECT_TRUE(ReleaseFilterCommand(doc));
  EXPECT_EQ(doc.VisibleCount(), 6);
}

TEST_F(PostalCommandsTest, CheckWithNothingWrongOrNoItems) {
  Open(u"氏名|郵便番号|住所"_qs, {u"一|100-0001|東京都千代田区千代田1-1"_qs});
  EXPECT_EQ(PostalCheckCommand(doc, codes), 0);
  EXPECT_EQ(Shown().back(), u"郵便番号と住所はすべて合っています"_qs);
  EXPECT_EQ(doc.VisibleCount(), 1);
  EXPECT_FALSE(doc.UndoStack().CanUndo());
}

TEST_F(PostalCommandsTest, CheckWithoutTheItems) {
  Open(u"氏名|電話"_qs, {u"一|03"_qs});
  EXPECT_EQ(PostalCheckCommand(doc, codes), -1);
  EXPECT_EQ(Shown().back(), u"郵便番号と住所の項目がありません"_qs);
}

TEST_F(PostalCommandsTest, CodeFromTheAddress) {
  Open(u"氏名|郵便番号|住所"_qs, {u"一||東京都千代田区千代田1-1"_qs, u"二||京都府京都市上京区亀屋町1"_qs,
                                u"三|100-0001|東京都千代田区千代田"_qs, u"四||大阪府"_qs, u"五||"_qs});
  int asked = 0;
  const auto choose = [&](const QStringList& choices) {
    ++asked;
    EXPECT_EQ(choices, QStringList({u"602-8062　京都府京都市上京区亀屋町"_qs, u"602-8064　京都府京都市上京区亀屋町"_qs}));
    return 1;
  };
  EXPECT_TRUE(AddressToCodeCommand(doc, codes, choose));
  EXPECT_EQ(doc.Store().GetItemText(0, 1).toString(), u"100-0001"_qs);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(doc.UndoStack().UndoLabel(), u"住所から郵便番号"_qs);
  doc.MakeCurrent(1);
  EXPECT_TRUE(AddressToCodeCommand(doc, codes, choose));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(doc.Store().GetItemText(1, 1).toString(), u"602-8064"_qs);
  // A cancelled choice, a filled code, an unknown address, no address.
  doc.Store().VisibleCard(1)->SetItem(1, QString());
  EXPECT_FALSE(AddressToCodeCommand(doc, codes, [](const QStringList&) { return -1; }));
  EXPECT_EQ(doc.Store().GetItemText(1, 1).toString(), QString());
  doc.MakeCurrent(2);
  EXPECT_FALSE(AddressToCodeCommand(doc, codes, choose));
  EXPECT_EQ(Shown().back(), u"郵便番号はすでに入力されています"_qs);
  doc.MakeCurrent(3);
  EXPECT_FALSE(AddressToCodeCommand(doc, codes, choose));
  EXPECT_EQ(Shown().back(), u"住所に合う郵便番号が見つかりません"_qs);
  doc.MakeCurrent(4);
  EXPECT_FALSE(AddressToCodeCommand(doc, codes, choose));
  EXPECT_EQ(Shown().back(), u"住所が入力されていません"_qs);
}

TEST_F(PostalCommandsTest, AddressFromTheCodeIsOneUndoStep) {
  Open(u"氏名|郵便番号|住所"_qs, {u"一|498-0000|"_qs, u"二|100-0001|大阪府"_qs});
  int target = -1;
  const auto offered = AddressesToFill(doc, codes, 0, 1, &target);
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(target, 2);
  EXPECT_TRUE(FillEmptyItem(doc, 0, target, offered[1].address, postal_msg::kAddressLabel));
  EXPECT_EQ(doc.Store().GetItemText(0, 2).toString(), u"三重県桑名郡木曽岬町"_qs);
  EXPECT_EQ(doc.UndoStack().Undo(doc), u"郵便番号から住所"_qs);
  EXPECT_EQ(doc.Store().GetItemText(0, 2).toString(), QString());
  // Nothing goes into an address that has text, nor from another item.
  EXPECT_TRUE(AddressesToFill(doc, codes, 1, 1, &target).empty());
  // An area's code offers the area, not the office that shares it; an
  // office's own code its office.
  doc.Store().VisibleCard(0)->SetItem(1, u"1000001"_qs);
  ASSERT_EQ(AddressesToFill(doc, codes, 0, 1, &target).size(), 1u);
  EXPECT_EQ(AddressesToFill(doc, codes, 0, 1, &target)[0].address, u"東京都千代田区千代田"_qs);
  doc.Store().VisibleCard(0)->SetItem(1, u"100-8799"_qs);
  ASSERT_EQ(AddressesToFill(doc, codes, 0, 1, &target).size(), 1u);
  EXPECT_EQ(AddressesToFill(doc, codes, 0, 1, &target)[0].office, u"日本郵便　株式会社"_qs);
  EXPECT_TRUE(AddressesToFill(doc, codes, 0, 0, &target).empty());
  EXPECT_FALSE(FillEmptyItem(doc, 1, 2, u"x"_qs, postal_msg::kAddressLabel));
  EXPECT_EQ(doc.Store().GetItemText(1, 2).toString(), u"大阪府"_qs);
}

}  // namespace
