#!/usr/bin/env python3
"""Writes the exchange tests' fixture files into this folder: contacts as three
kinds of phone and address book write them, and small spreadsheets with the
cell kinds the reader must tell apart. Run it again after changing it; the
tests read the files it wrote, which are kept in the repository."""
import base64
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))


def qp(data: bytes) -> str:
    """Quoted-printable of every byte beyond printable ASCII, with soft breaks
    after 70 characters as feature phones write them."""
    out, line = [], ""
    for b in data:
        piece = chr(b) if 33 <= b <= 126 and b != ord("=") else "=%02X" % b
        if len(line) + len(piece) > 70:
            out.append(line + "=")
            line = ""
        line += piece
    out.append(line)
    return "\r\n".join(out)


def write(name, data: bytes):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


photo = base64.b64encode(bytes(range(256)) * 3).decode()

# A feature phone's export: vCard 2.1, Shift_JIS in quoted-printable, the
# reading in SOUND;X-IRMC-N, a photo whose base64 lines carry no blank.
sj = lambda s: s.encode("cp932")
android = "\r\n".join([
    "BEGIN:VCARD",
    "VERSION:2.1",
    "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("山田;太郎;;;")),
    "FN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("山田 太郎")),
    "SOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("ﾔﾏﾀﾞ;ﾀﾛｳ;;;")),
    "TEL;CELL:090-1234-5678",
    "TEL;HOME;VOICE:03-1234-5678",
    "TEL;WORK:06-9999-0000",
    "EMAIL;INTERNET:taro@example.jp",
    "ADR;HOME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj(";;千代田1-1;千代田区;東京都;100-0001;日本")),
    "NOTE;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("一行目\r\n二行目、とても長いメモが続きます。折り返しを確かめるための文です。")),
    "BDAY:19800102",
    "PHOTO;ENCODING=BASE64;TYPE=JPEG:" + photo[:60],
    *[photo[i:i + 76] for i in range(60, len(photo), 76)],
    "",
    "X-DCM-GN-ORIGINAL:1",
    "END:VCARD",
    "BEGIN:VCARD",
    "VERSION:2.1",
    "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("佐藤;花子;;;")),
    "SOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" + qp(sj("ｻﾄｳ;ﾊﾅｺ;;;")),
    "TEL;CELL:080-0000-1111",
    "TEL;CELL:070-2222-3333",
    "END:VCARD",
    "",
]).encode("ascii")
write("phone_21_sjis.vcf", android)

# An address book's export: vCard 3.0 in UTF-8, grouped properties with
# labels, phonetic names, folded lines, escapes, a photo in a folded base64.
iphone_lines = [
    "BEGIN:VCARD",
    "VERSION:3.0",
    "PRODID:-//Example Corp.//Phone OS 17.0//EN",
    "N:鈴木;一郎;;;",
    "FN:鈴木 一郎",
    "X-PHONETIC-LAST-NAME:すずき",
    "X-PHONETIC-FIRST-NAME:いちろう",
    "ORG:株式会社見本\\, 東京;営業部;",
    "TITLE:課長",
    "item1.EMAIL;type=INTERNET;type=pref:ichiro@example.com",
    "item1.X-ABLabel:_$!<Other>!$_",
    "TEL;type=CELL;type=VOICE;type=pref:090-1111-2222",
    "TEL;type=WORK;type=VOICE:03-5555-6666",
    "TEL;type=WORK;type=FAX:03-5555-6667",
    "item2.ADR;type=HOME;type=pref:;;中之島2-3-4\\nサンプルビル 5階;大阪市北区;大阪府;530-0005;日本",
    "item3.ADR;type=WORK:;;丸の内1-1;千代田区;東京都;;",
    "NOTE:セミコロン\\;とカンマ\\,と円記号\\\\を含むメモ\\n二行目",
    "BDAY:1975-12-31",
    "URL;type=pref:https://example.com/",
    "PHOTO;ENCODING=b;TYPE=JPEG:" + photo[:40],
] + [" " + photo[i:i + 74] for i in range(40, len(photo), 74)] + [
    "END:VCARD",
]
text = "\r\n".join(iphone_lines) + "\r\n"
# Fold the long NOTE as the address book does: at 75 octets, a blank in front.
write("addressbook_30.vcf", text.encode("utf-8"))

# A vCard 4.0 file: the reading as SORT-AS, a telephone URI, a data URI photo,
# a LF-only file whose long note is folded in the middle of a character's
# neighbour (never inside one).
note = "とても長いメモ。" * 12
note_bytes = ("NOTE:" + note).encode("utf-8")
folded, pos, first = [], 0, True
while pos < len(note_bytes):
    room = 75 if first else 74
    take = min(room, len(note_bytes) - pos)
    while pos + take < len(note_bytes) and (note_bytes[pos + take] & 0xC0) == 0x80:
        take -= 1
    folded.append((b"" if first else b" ") + note_bytes[pos:pos + take])
    pos += take
    first = False
v4 = b"\n".join([
    b"BEGIN:VCARD",
    b"VERSION:4.0",
    "N;SORT-AS=\"たなか,じろう\":田中;次郎;;;".encode(),
    "FN:田中 次郎".encode(),
    b"TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+81-90-3333-4444",
    b"EMAIL;TYPE=work:jiro@example.org",
    b"BDAY:--0704",
    b"PHOTO:data:image/png;base64," + photo[:200].encode(),
    *folded,
    b"KIND:individual",
    b"END:VCARD",
    b"",
])
write("contacts_40.vcf", v4)


def xml(s):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n' + s).encode("utf-8")


def make_xlsx(name):
    """Two sheets; the first with shared and inline strings, a text 0012, a
    date (built-in format 14), a custom date format, a number with decimals,
    a percentage, a grouped number, a formula with its result, a boolean, a
    line break, a merged pair of cells and an empty cell."""
    z = zipfile.ZipFile(os.path.join(HERE, name), "w", zipfile.ZIP_DEFLATED)
    z.writestr("[Content_Types].xml", xml(
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
        '</Types>'))
    z.writestr("_rels/.rels", xml(
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
        '</Relationships>'))
    z.writestr("xl/workbook.xml", xml(
        '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<sheets><sheet name="名簿" sheetId="1" r:id="rId1"/><sheet name="別表" sheetId="2" r:id="rId2"/></sheets>'
        '</workbook>'))
    z.writestr("xl/_rels/workbook.xml.rels", xml(
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet2.xml"/>'
        '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>'
        '<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>'
        '</Relationships>'))
    strings = ["氏名", "番号", "誕生日", "金額", "率", "備考", "合計", "山田 太郎", "0012", "一行目\n二行目", "結合"]
    z.writestr("xl/sharedStrings.xml", xml(
        '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">' % (len(strings), len(strings))
        + "".join("<si><t xml:space=\"preserve\">%s</t></si>" % s for s in strings) + "</sst>"))
    z.writestr("xl/styles.xml", xml(
        '<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
        '<numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/></numFmts>'
        '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>'
        '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
        '<borders count="1"><border/></borders>'
        '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
        '<cellXfs count="6">'
        '<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
        '<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
        '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
        '<xf numFmtId="2" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
        '<xf numFmtId="10" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
        '<xf numFmtId="3" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
        '</cellXfs></styleSheet>'))
    def s(ref, i):
        return '<c r="%s" t="s"><v>%d</v></c>' % (ref, i)
    z.writestr("xl/worksheets/sheet1.xml", xml(
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
        '<row r="1">' + s("A1", 0) + s("B1", 1) + s("C1", 2) + s("D1", 3) + s("E1", 4) + s("F1", 5) + s("G1", 6) + '</row>'
        '<row r="2">' + s("A2", 7) + s("B2", 8) + '<c r="C2" s="1"><v>29222</v></c><c r="D2" s="3"><v>1234.5</v></c>'
        '<c r="E2" s="4"><v>0.125</v></c>' + s("F2", 9) + '<c r="G2"><f>D2*2</f><v>2469</v></c></row>'
        '<row r="3"><c r="A3" t="inlineStr"><is><t>佐藤 花子</t></is></c><c r="B3"><v>12</v></c>'
        '<c r="C3" s="2"><v>45000</v></c><c r="D3" s="5"><v>1234567</v></c><c r="E3" t="b"><v>1</v></c>'
        + s("F3", 10) + '<c r="G3"/><c r="H3"><v>3.0</v></c></row>'
        '<row r="5"><c r="A5" t="inlineStr"><is><t>空行の後</t></is></c></row>'
        '</sheetData><mergeCells count="1"><mergeCell ref="F3:G3"/></mergeCells></worksheet>'))
    z.writestr("xl/worksheets/sheet2.xml", xml(
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
        '<row r="1"><c r="A1" t="inlineStr"><is><t>別</t></is></c></row>'
        '<row r="2"><c r="A2"><v>1</v></c></row>'
        '</sheetData></worksheet>'))
    z.close()


def make_ods(name):
    """One sheet: a string, a float, a date, a percentage, a cell of two
    paragraphs, repeated empty cells, a covered (merged) cell, a text 0012."""
    path = os.path.join(HERE, name)
    z = zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED)
    z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
    z.writestr("META-INF/manifest.xml", xml(
        '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
        '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
        '</manifest:manifest>'))
    ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2"')
    def st(t):
        return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % t
    rows = [
        st("氏名") + st("番号") + st("日付") + st("数") + st("率") + st("備考"),
        st("山田 太郎") + st("0012")
        + '<table:table-cell office:value-type="date" office:date-value="1980-01-02"><text:p>1980/01/02</text:p></table:table-cell>'
        + '<table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell>'
        + '<table:table-cell office:value-type="float" office:value="2.5"><text:p>2.5</text:p></table:table-cell>'
        + '<table:table-cell office:value-type="string"><text:p>一行目</text:p><text:p>二行目</text:p></table:table-cell>',
        st("佐藤 花子") + '<table:table-cell table:number-columns-repeated="2"/>'
        + '<table:table-cell table:number-columns-spanned="2" office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell>'
        + '<table:covered-table-cell/>' + st("結合の右"),
    ]
    body = "".join("<table:table-row>%s</table:table-row>" % r for r in rows)
    z.writestr("content.xml", xml(
        '<office:document-content %s><office:body><office:spreadsheet>'
        '<table:table table:name="名簿">%s</table:table>'
        '</office:spreadsheet></office:body></office:document-content>' % (ns, body)))
    z.close()


make_xlsx("sheet.xlsx")
make_ods("sheet.ods")
with open(os.path.join(HERE, "sheet.xlsx"), "rb") as f:
    whole = f.read()
# A download cut short: the zip's directory at its end is missing.
write("truncated.xlsx", whole[: len(whole) // 2])
