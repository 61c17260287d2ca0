#!/usr/bin/python3
"""Writes the hostile workbooks of the reader's budgets into a folder, for timing by hand:

    bench/hostile_workbooks.py DIR
    for f in DIR/*.xlsx; do /usr/bin/time -f "%e s %M KB" hesapkar-cli sheet "$f" >/dev/null; done

Each must be refused within seconds and a few hundred MB."""
import sys
import zipfile
from pathlib import Path

RELS = ('<Relationships><Relationship Id="r" Type="x/officeDocument" '
        'Target="xl/workbook.xml"/></Relationships>')
WORKBOOK = '<workbook><sheets><sheet name="S" id="s"/></sheets></workbook>'


def workbook(path, sheet_data, shared=None, extra_rels='', styles=None):
    rels = ('<Relationships><Relationship Id="s" Type="x/worksheet" Target="sheet.xml"/>'
            + extra_rels + '</Relationships>')
    # Stored, not deflated: the archive reader's ratio cap would otherwise refuse these first,
    # and the budgets of the workbook reader are what is measured.
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        z.writestr('_rels/.rels', RELS)
        z.writestr('xl/workbook.xml', WORKBOOK)
        z.writestr('xl/_rels/workbook.xml.rels', rels)
        z.writestr('xl/sheet.xml', '<worksheet><sheetData>' + sheet_data +
                   '</sheetData></worksheet>')
        if shared is not None:
            z.writestr('xl/sharedStrings.xml', '<sst>' + shared + '</sst>')
        if styles is not None:
            z.writestr('xl/styles.xml', styles)


def main(out):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    cells = ''.join(f'<row r="{i}"><c t="s"><v>0</v></c></row>' for i in range(1, 2001))
    ss = ('<Relationship Id="t" Type="x/sharedStrings" Target="sharedStrings.xml"/>')
    workbook(out / 'shared_amplified.xlsx', cells,
             shared='<si><t>' + 'A' * (60 << 20) + '</t></si>', extra_rels=ss)
    many = ''.join(f'<Relationship Id="t{i}" Type="x/sharedStrings" Target="sharedStrings.xml"/>'
                   for i in range(100))
    workbook(out / 'shared_100_rels.xlsx', '<row r="1"><c t="s"><v>0</v></c></row>',
             shared='<si><t>' + 'B' * (30 << 20) + '</t></si>', extra_rels=many)
    styles = ''.join(f'<Relationship Id="y{i}" Type="x/styles" Target="styles.xml"/>'
                     for i in range(400))
    workbook(out / 'styles_400_rels.xlsx', '<row r="1"><c><v>1</v></c></row>',
             extra_rels=styles,
             styles='<styleSheet><cellXfs>' + '<xf numFmtId="0"/>' * 60000 +
             '</cellXfs></styleSheet>')
    workbook(out / 'nesting_8M.xlsx', '<a>' * 8_000_000)
    workbook(out / 'empty_15M.xlsx', '<a/>' * 15_000_000)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'hostile')
