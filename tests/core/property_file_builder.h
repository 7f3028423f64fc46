#pragma once

// Builds property files field by field, independently of the records' own
// Store, so that tests check the stored layout rather than restate it.
//
// CPropertyFileBuilder(version, upto): a file record of that version holding
// only the fields that version has. A field whose version is at most upto gets
// a distinctive value, a later one its default. Reading a file built with
// (v, v) and writing it again must give the file built with (700, v).

#include "records/archive.h"

#include <QHash>
#include <QString>

#include <initializer_list>

class CPropertyFileBuilder {
 public:
  CPropertyFileBuilder(int version, int upto) : m_v(version), m_u(upto) {}

  QByteArray Build() {
    W().WriteWord(std::uint16_t(m_v));
    W().WriteWord(1);
    Strings({u"一", u"二", u"三"}, {u"", u"", u""}, 0);
    W().WriteDword(0x123456);
    W().WriteString(QStringLiteral("五"));
    Dwords({61, 62}, {0, 0}, 0);
    if (Has(420)) {
      W().WriteDword(Val(420) ? 0 : 1);
      Dwords({81, 82, 83}, {0, 0, 0}, 420);
    }
    if (Has(430)) {
      Strings({u"h0", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6"},
              {u"search.cgi", u"", u"", u"search.html", u"検索", u"/usr/local/bin/perl", u""}, 430);
      Dwords({100}, {1}, 430);
      Strings({u"<BODY TEXT=\"#000000\">\r\n"}, {u"<BODY BGCOLOR=\"#FFFFFF\">\r\n"}, 430);
    }
    if (Has(461)) {
      Dwords({0x010203, 0x040506}, {0x80FF80, 0xFFFFFF}, 461);
      Strings({u"a1", u"a2"}, {u"", u""}, 461);
      Dwords({7}, {1}, 461);
      Strings({u"b1", u"b2"}, {u"", u""}, 461);
    }
    if (Has(520)) {
      Dwords({131, 132}, {0, 0}, 520);
      Strings({u"c1", u"c2", u"c3", u"c4", u"c5"}, {u"", u"", u"", u"", u""}, 520);
      Dwords({133}, {0}, 520);
    }
    if (Has(530)) Dwords({3}, {0}, 530);
    if (Has(630)) {
      Strings({u"d1", u"d2", u"d3"}, {u"", u"", u""}, 630);
      Dwords({151, 152, 153}, {0, 0, 0}, 630);
      Strings({u"e0", u"e1", u"e2", u"e3", u"e4", u"e5", u"e6", u"e7", u"e8", u"e9", u"e10", u"e11", u"e12"},
              {u"", u"", u"詳細", u"", u"", u"", u"", u"", u"", u"", u"", u"", u""}, 630);
      Dwords({154}, {0}, 630);
      Dwords({161, 162, 163, 164, 165, 166, 167, 168, 169}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 630);
    }
    // Two item copies: the second names its class by number.
    W().WriteCount(2);
    Object("CItemProperty");
    ItemRecord(m_v);
    Object("CItemProperty");
    ItemRecord(m_v);
    if (Has(420)) {
      if (Val(420)) {
        W().WriteCount(1);
        Object("CPrintLabel");
        Label();
        W().WriteCount(1);
        Object("CPrintProp");
        PrintLayout();
      } else {
        W().WriteCount(0);
        W().WriteCount(1);
        Object("CPrintProp");
        DefaultPrintLayout();
      }
    }
    if (Has(600)) {
      if (Val(600)) {
        W().WriteCount(1);
        Object("CVelumSortSet");
        SortSet();
        W().WriteCount(1);
        Object("CVelumSelectSet");
        SelectSet();
      } else {
        W().WriteCount(0);
        W().WriteCount(0);
      }
    }
    if (Has(700)) {
      if (Val(700)) {
        W().WriteCount(1);
        Object("CFormSet");
        W().WriteDword(700);
        W().WriteString(QStringLiteral("フォーム"));
        W().WriteDword(1);
        ItemRecord(700);
      } else {
        W().WriteCount(0);
      }
    }
    return m_w.Bytes();
  }

  // One item record of the given version (the fields up to m_u distinctive).
  void ItemRecord(int version) {
    W().WriteDword(std::uint32_t(version));
    W().WriteDword(1);
    for (int i = 1; i <= 8; ++i) W().WriteInt(i);  // two rectangles
    W().WriteDword(1);  // IME mode
    W().WriteDword(3);  // type
    W().WriteDword(2);  // horizontal position
    W().WriteDword(1);  // content font follows
    W().WriteFont({QStringLiteral("MS UI Gothic"), -13, 700, 1, 1, 128});
    W().WriteDword(0x0000FF);
    W().WriteDword(0x00FFFF);
    W().WriteDword(0);  // no name font
    W().WriteDword(0x111111);
    W().WriteDword(0x222222);
    W().WriteDword(9);
    W().WriteString(QStringLiteral("%[a]+1"));
    W().WriteDword(21);
    W().WriteDword(22);
    W().WriteDword(2);  // multi-line mode
    if (version < 420) return;
    const bool val = Val(420);
    W().WriteDword(val ? 31 : 0);
    W().WriteDword(val ? 32 : 0);
    for (int i = 9; i <= 16; ++i) W().WriteInt(val ? i : 0);
    W().WriteString(val ? QStringLiteral("tgt") : QString());
    W().WriteInt(val ? 1 : 0);
    W().WriteString(val ? QStringLiteral("init") : QString());
    Dwords({5, 6, 7, 8, 9}, {0, 1, 1, 1, 1}, 420);
    W().WriteInt(val ? 2 : 0);
    for (int i = 0; i < 11; ++i) W().WriteString(val ? QStringLiteral("x%1").arg(i) : QString());
    W().WriteDword(val ? 1 : 0);
    for (int i = 1; i <= 9; ++i) W().WriteDword(val ? i : 0);
    W().WriteString(val ? QStringLiteral("chk") : QString());
    if (val) {
      W().WriteCount(3);
      for (const char16_t* s : {u"\u0001", u"/tmp/b.csv", u"key"}) W().WriteString(QString::fromUtf16(s));
    } else {
      W().WriteCount(0);
    }
  }

  // A class-tagged object's tag, numbered as the framework numbers.
  void Object(const char* name) {
    const QByteArray n(name);
    if (m_classes.contains(n)) {
      W().WriteWord(std::uint16_t(0x8000 | m_classes.value(n)));
    } else {
      W().WriteWord(0xFFFF);
      W().WriteWord(1);
      W().WriteWord(std::uint16_t(n.size()));
      for (char c : n) W().WriteByte(std::uint8_t(c));
      m_classes.insert(n, m_count++);
    }
    ++m_count;
  }

 private:
  CArchiveWriter& W() { return m_w; }
  bool Has(int gate) const { return m_v >= gate; }
  bool Val(int gate) const { return m_u >= gate; }

  void Strings(std::initializer_list<const char16_t*> values, std::initializer_list<const char16_t*> defaults, int gate) {
    for (const char16_t* s : Val(gate) ? values : defaults) W().WriteString(QString::fromUtf16(s));
  }
  void Dwords(std::initializer_list<std::uint32_t> values, std::initializer_list<std::uint32_t> defaults, int gate) {
    for (std::uint32_t d : Val(gate) ? values : defaults) W().WriteDword(d);
  }

  void Label() {
    W().WriteDword(1);
    W().WriteDword(3);
    W().WriteDword(4);
    for (double d : {1.5, 2.5, 3.5, 4.5, 5.5, 6.5}) W().WriteDouble(d);
  }

  void PrintLayout() {
    W().WriteDword(std::uint32_t(m_v));
    W().WriteString(QStringLiteral("レイアウト"));
    for (int i = 0; i < 6; ++i) W().WriteString(QStringLiteral("p%1").arg(i));
    for (std::uint32_t d : {1, 2, 3, 4, 5}) W().WriteDword(d);
    for (double d : {1.25, 2.5, 3.75, 5.0}) W().WriteDouble(d);
    W().WriteDword(2);
    W().WriteInt(0);
    W().WriteInt(1);
    if (Has(700)) W().WriteInt(Val(700) ? 5 : -1);
    W().WriteCount(2);
    for (int k = 0; k < 2; ++k) {
      Object("CPrintItemProp");
      W().WriteDword(std::uint32_t(m_v));
      for (int i = 0; i < 3; ++i) W().WriteString(QStringLiteral("q%1%2").arg(k).arg(i));
      for (std::uint32_t d : {1, 2, 3, 4}) W().WriteDword(d);
      if (Has(600)) W().WriteDword(Val(600) ? 5 : 1);
      if (Has(700))
        for (std::uint32_t d : {6, 7, 8}) W().WriteDword(Val(700) ? d : 0);
    }
    W().WriteFont({QStringLiteral("Gothic"), 64, 400, 0, 0, 128});
  }

  void DefaultPrintLayout() {
    W().WriteDword(700);
    W().WriteString(QStringLiteral("標準の印刷"));
    for (int i = 0; i < 6; ++i) W().WriteString(QString());
    for (std::uint32_t d : {0, 5, 0, 0, 0}) W().WriteDword(d);
    for (int i = 0; i < 4; ++i) W().WriteDouble(10.0);
    W().WriteDword(0);
    W().WriteInt(-1);
    W().WriteCount(0);
    W().WriteFont({QStringLiteral("ＭＳ ゴシック"), 64, 400, 0, 0, 128});
  }

  void Reserved() {
    for (int i = 0; i < 5; ++i) W().WriteDword(0);
    for (int i = 0; i < 5; ++i) W().WriteString(QString());
  }

  void SortSet() {
    W().WriteWord(600);
    W().WriteString(QStringLiteral("並べ替え"));
    W().WriteInt(7);
    Reserved();
    W().WriteWord(600);
    Reserved();
    W().WriteWord(600);
    W().WriteInt(2);
    for (auto [item, order] : {std::pair{1, 3}, std::pair{0, 0}}) {
      W().WriteWord(600);
      W().WriteInt(item);
      W().WriteInt(order);
      W().WriteInt(0);
      Reserved();
    }
    Reserved();
  }

  void SelectSet() {
    W().WriteWord(600);
    W().WriteString(QStringLiteral("絞り込み"));
    W().WriteInt(8);
    Reserved();
    W().WriteDword(600);
    Reserved();
    W().WriteCount(1);
    Object("CVelumSelect");
    W().WriteWord(600);
    W().WriteInt(0);
    W().WriteString(QStringLiteral("東京"));
    for (std::uint32_t d : {1, 0, 1, 0, 2, 1, 0, 0}) W().WriteDword(d);
    Reserved();
    W().WriteDword(2);
    W().WriteInt(0);
    W().WriteInt(1);
  }

  int m_v;
  int m_u;
  CArchiveWriter m_w;
  QHash<QByteArray, int> m_classes;
  int m_count = 1;
};

// The stored versions at which fields were added, and one before them all.
inline constexpr int kPropertyVersions[] = {400, 420, 430, 461, 520, 530, 600, 630, 700};
