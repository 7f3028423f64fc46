#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct hb_font_t;
struct hb_buffer_t;
class CPdfFile;

// One face embedded in a PDF: text shaped with HarfBuzz as Qt shapes it (the
// face's default features: kerning, ligatures), shown by glyph code (Identity-H)
// with the face cut down to the glyphs drawn, and a text map (ToUnicode) that
// names every glyph by the characters it was first drawn for.
class CPdfFont {
 public:
  // A face Qt found for a font; null when it cannot be embedded (no outline
  // tables: a bitmap face).
  static std::unique_ptr<CPdfFont> Create(const QRawFont& raw);
  ~CPdfFont();
  CPdfFont(const CPdfFont&) = delete;
  CPdfFont& operator=(const CPdfFont&) = delete;

  // Appends the operator that shows text at a font size of 1 (the text
  // matrix carries the size): "<codes>Tj", or a TJ array where glyphs do not
  // stand at their advances. Answers the advance of the whole text in ems,
  // or a negative number when the face lacks a character's glyph (nothing is
  // appended then).
  double ShowText(QStringView text, QByteArray& out);
  // The same, always shaping the whole line with HarfBuzz (what ShowText
  // does for a line that is not plain), remembering nothing.
  double ShowShapedText(QStringView text, QByteArray& out);

  // Appends "<code>Tj" for one glyph of the face (a glyph Qt placed), noting
  // the text it stands for; false when the face has no such glyph.
  bool ShowGlyph(std::uint32_t glyph, QStringView text, QByteArray& out);

  // Writes the font's objects (the Type 0 font as object id, its CID font,
  // descriptor, font program and text map). False when the face cannot be
  // cut down to the glyphs drawn.
  bool Embed(CPdfFile& file, int id) const;

 private:
  CPdfFont() = default;
  bool Init(const QRawFont& raw);
  void FindPlainCharacters();
  // Every character's glyph when it is shown alone, at its own advance, by
  // any shaping of a line that holds only such characters.
  bool Plain(char16_t c);
  void Note(std::uint32_t glyph, QStringView text);
  void AppendCode(QByteArray& out, std::uint32_t glyph) const;

  QRawFont m_raw;
  QByteArray m_sfnt;  // what a subset is cut from
  hb_font_t* m_font = nullptr;
  hb_buffer_t* m_buffer = nullptr;
  double m_upem = 1000;
  QByteArray m_name;
  std::vector<std::uint16_t> m_codeOf;   // by glyph
  std::vector<std::int32_t> m_advance;   // by glyph, in font units
  std::vector<QString> m_text;           // by glyph: what it was drawn for
  std::vector<bool> m_used;              // by glyph
  // By BMP character: 0 unknown, 1 plain (m_glyphOf holds its glyph), 2 not.
  std::vector<std::uint8_t> m_plain;
  std::vector<std::uint16_t> m_glyphOf;
  std::vector<bool> m_touched;           // by glyph: some default lookup acts on it
  bool m_fastPath = true;
  // Lines HarfBuzz shaped: the operator and the advance.
  QHash<QString, std::pair<QByteArray, double>> m_shaped;
};

// The faces of one PDF and what each font drawn with stands for in it.
class CPdfFonts {
 public:
  struct CEntry {
    QFont font;
    CPdfFont* face = nullptr;  // null: cannot be embedded
    int index = -1;            // the face's number: /F<index>
    double size = 0;           // the font's pixel size
    double underlinePos = 0, lineWidth = 0, descent = 0;
  };
  // The entry of a font, made the first time it is asked for; it stays
  // where it is as long as this lives.
  const CEntry& Find(const QFont& font);
  // The face of a font Qt found (for a character the font's own face
  // lacks) and its number; null when it cannot be embedded.
  CPdfFont* FaceOf(const QRawFont& raw, int* index);
  // Every face asked for, by number; null where it cannot be embedded.
  std::size_t FaceCount() const { return m_faces.size(); }
  CPdfFont* Face(std::size_t index) { return m_faces[index].second.get(); }

 private:
  std::deque<CEntry> m_entries;
  std::vector<std::pair<QString, std::unique_ptr<CPdfFont>>> m_faces;
};
