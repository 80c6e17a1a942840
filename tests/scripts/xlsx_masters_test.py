#!/usr/bin/env python3
"""The masters as Excel workbooks, read back as a spreadsheet reads them:
codes and account numbers are text (with their leading zeros), amounts are
numbers with digit grouping, the header row is bold and frozen.

usage: xlsx_masters_test.py PELANOVA_CLI"""
import re
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}


def run(cli, folder, *args):
    subprocess.run([cli, "--db", folder + "/FBDB.db", "--ini", folder + "/pelanova.ini", *args], check=True,
                   stdout=subprocess.DEVNULL)


class Workbook:
    def __init__(self, path):
        self.zip = zipfile.ZipFile(path)
        self.workbook = ET.fromstring(self.zip.read("xl/workbook.xml"))
        self.sheet = ET.fromstring(self.zip.read("xl/worksheets/sheet1.xml"))
        styles = ET.fromstring(self.zip.read("xl/styles.xml"))
        self.formats = {f.get("numFmtId"): f.get("formatCode") for f in styles.iterfind(".//m:numFmts/m:numFmt", NS)}
        self.formats["49"] = "@"
        self.fonts = [f.find("m:b", NS) is not None for f in styles.iterfind("m:fonts/m:font", NS)]
        self.xfs = list(styles.iterfind("m:cellXfs/m:xf", NS))
        shared = ET.fromstring(self.zip.read("xl/sharedStrings.xml"))
        self.strings = ["".join(t.text or "" for t in si.iterfind(".//m:t", NS)) for si in shared.iterfind("m:si", NS)]

    def name(self):
        return self.workbook.find("m:sheets/m:sheet", NS).get("name")

    def cell(self, ref):
        """(kind, value, bold, number format) of a cell: kind 's' for text, 'n' for a number."""
        c = self.sheet.find(f".//m:c[@r='{ref}']", NS)
        assert c is not None, f"no cell {ref}"
        xf = self.xfs[int(c.get("s", "0"))]
        bold = self.fonts[int(xf.get("fontId", "0"))]
        fmt = self.formats.get(xf.get("numFmtId", "0"), "General")
        v = c.find("m:v", NS).text
        if c.get("t") == "s":
            return ("s", self.strings[int(v)], bold, fmt)
        return ("n", v, bold, fmt)

    def column(self, header):
        for c in self.sheet.iterfind(".//m:row[@r='1']/m:c", NS):
            if self.strings[int(c.find("m:v", NS).text)] == header:
                return re.match(r"[A-Z]+", c.get("r")).group(0)
        raise AssertionError(f"no column {header}")

    def frozen_header(self):
        pane = self.sheet.find(".//m:sheetView/m:pane", NS)
        return pane is not None and pane.get("ySplit") == "1" and pane.get("state") == "frozen"


def check(condition, what):
    if not condition:
        print("FAILED:", what)
        sys.exit(1)


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        run(cli, folder, "demo")
        for kind in ("recipients", "consignors", "facilities", "recipient-list"):
            run(cli, folder, "export", kind, f"{folder}/{kind}.xlsx")

        r = Workbook(f"{folder}/recipients.xlsx")
        check(r.name() == "受取人マスタ", "the recipients' sheet name")
        check(r.frozen_header(), "the recipients' header is frozen")
        kind, value, bold, _ = r.cell("A1")
        check(kind == "s" and value == "委託者コード" and bold, "the header is bold text")
        for header, pattern in (("委託者コード", r"\d{10}"), ("銀行番号", r"\d{4}"), ("支店番号", r"\d{3}"),
                                ("口座番号", r"\d{7}")):
            kind, value, bold, fmt = r.cell(r.column(header) + "2")
            check(kind == "s" and re.fullmatch(pattern, value) and not bold and fmt == "@",
                  f"{header} is text with its leading zeros: {kind} {value} {fmt}")
        check(any(r.cell(r.column("銀行番号") + str(row))[1].startswith("0") for row in range(2, 10)),
              "a bank number with a leading zero stays text")
        kind, value, _, fmt = r.cell(r.column("手数料金額") + "2")
        check(kind == "n" and fmt == "#,##0", f"手数料金額 is a grouped number: {kind} {fmt}")

        c = Workbook(f"{folder}/consignors.xlsx")
        check(c.name() == "委託者マスタ" and c.frozen_header(), "the consignors' sheet")
        kind, value, _, fmt = c.cell(c.column("他銀行1未満電信手数料") + "2")
        check(kind == "n" and fmt == "#,##0", "a fee is a grouped number")
        check(c.sheet.find("m:pageSetup", NS).get("orientation") == "landscape", "the consignors print landscape")
        titles = [d.text for d in c.workbook.iterfind(".//m:definedName", NS) if d.get("name") == "_xlnm.Print_Titles"]
        check(titles and "$A:$A" in titles[0], f"the first column repeats on every page: {titles}")

        f = Workbook(f"{folder}/facilities.xlsx")
        check(f.name() == "施設マスタ" and f.cell("A2")[0] == "s", "the facility code is text")

        lst = Workbook(f"{folder}/recipient-list.xlsx")
        check(lst.name() == "受取人一覧", "the recipient list's sheet name")
        fees = [lst.cell(f"G{row}") for row in range(2, 30)
                if lst.sheet.find(f".//m:c[@r='G{row}']/m:v", NS) is not None]
        check(fees and all(k == "n" and "円以上" in fmt for k, _, _, fmt in fees), "the list's fees are numbers")
    print("ok")


main()
