#include "card_file_generator.h"

#include "platform/code_page.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList kFamily = {u"山田"_s, u"佐藤"_s, u"鈴木"_s, u"高橋"_s, u"田中"_s, u"伊藤"_s, u"渡辺"_s, u"中村"_s};
const QStringList kKana = {u"やまだ"_s, u"さとう"_s, u"すずき"_s, u"たかはし"_s, u"たなか"_s, u"いとう"_s, u"わたなべ"_s, u"なかむら"_s};
const QStringList kGiven = {u"太郎"_s, u"花子"_s, u"一郎"_s, u"美咲"_s, u"健"_s, u"さくら"_s, u"誠"_s, u"陽菜"_s};
const QStringList kCity = {u"東京都千代田区丸の内"_s, u"大阪府大阪市北区梅田"_s, u"愛知県名古屋市中区栄"_s,
                           u"福岡県福岡市中央区天神"_s, u"北海道札幌市中央区北一条西"_s, u"宮城県仙台市青葉区一番町"_s};
const QStringList kKind = {u"友人"_s, u"仕事"_s, u"家族"_s, u"親戚"_s, u"取引先,重要"_s};
const QStringList kNote = {u"特になし"_s, u"年賀状は毎年"_s, u"担当 \"営業部\""_s, u"夏は札幌、冬は東京\r\n携帯あり"_s,
                           u""_s, u"紹介者: 山田, 佐藤"_s};

// Own-style escapes for a quoted item.
QString Quoted(QString t) {
  t.replace(u"\r\n"_s, u"\x01\x02"_s);
  t.replace(u'"', u"\"\""_s);
  return u'"' + t + u'"';
}

// Own-style escapes for a bare item.
QString Bare(QString t) {
  t.replace(u"\r\n"_s, u"\x01\x02"_s);
  t.replace(u'"', u"\x03\x03"_s);
  t.replace(u',', QChar(0x04));
  return t;
}

}  // namespace

QByteArray GenerateCardFile(int cards) {
  QRandomGenerator rng(20240503);
  QString text;
  text.reserve(qsizetype(cards) * 130);
  text += u"\"番号\",\"氏名\",\"ふりがな\",\"郵便番号\",\"住所\",\"電話\",\"日付\",\"金額\",\"数量\",\"区分\",\"メール\",\"メモ\"\r\n"_s;
  for (int i = 0; i < cards; ++i) {
    const int f = int(rng.bounded(kFamily.size()));
    const int g = int(rng.bounded(kGiven.size()));
    QStringList items;
    items << QString::number(i + 1);
    items << Quoted(kFamily[f] + u' ' + kGiven[g]);
    items << Bare(kKana[f]);
    items << QString::asprintf("%03d-%04d", rng.bounded(1000), rng.bounded(10000));
    QString address = kCity[rng.bounded(kCity.size())] + QString::asprintf("%d-%d-%d", rng.bounded(9) + 1,
                                                                          rng.bounded(20) + 1, rng.bounded(30) + 1);
    if (rng.bounded(4) == 0) address += QString::asprintf(", ビル%dF", rng.bounded(20) + 1);
    items << Quoted(address);
    items << QString::asprintf("0%d-%04d-%04d", rng.bounded(9) + 1, rng.bounded(10000), rng.bounded(10000));
    items << QString::asprintf("%04d/%02d/%02d", 1972 + rng.bounded(60), rng.bounded(12) + 1, rng.bounded(28) + 1);
    items << QString::number(rng.bounded(1000000));
    items << QString::number(rng.bounded(100));
    items << Bare(kKind[rng.bounded(kKind.size())]);
    items << QString::asprintf("user%d@example.jp", i);
    items << Quoted(kNote[rng.bounded(kNote.size())]);
    text += items.join(u',');
    text += u"\r\n"_s;
  }
  return EncodeText(text, CodePage::Cp932).bytes;
}

bool WriteGeneratedCardFile(const QString& path, int cards) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const QByteArray bytes = GenerateCardFile(cards);
  return f.write(bytes) == bytes.size();
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
