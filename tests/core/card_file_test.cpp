#include "core/card_file.h"
#include "core/card_store.h"
#include "support/test_support.h"

TEST(CardFile, SmokeRoundTrip) {
  CTestWorld w;
  w.WriteFile(QStringLiteral("a.csv"), Sjis(QStringLiteral("名前,住所\r\n山田,\"東京,港区\"\r\n")));
  CCardStore store(*w.services);
  ASSERT_EQ(store.Read(w.Path(QStringLiteral("a.csv"))), 1);
  ASSERT_EQ(store.ItemCount(), 2);
  EXPECT_EQ(store.GetItemText(0, 1).toString(), QStringLiteral("東京,港区"));
}
