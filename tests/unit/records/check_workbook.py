#!/usr/bin/python3
"""Reads the workbooks of workbook_fixture back with openpyxl, as a spreadsheet would, and checks
what an operator relies on: numbers are numbers, dates are dates, the titles, the frozen title row,
the filter, the widths, the sheet name and the document properties. The writer runs once in the
classic locale and once in a German one (decimal comma), which must not change a single number.

usage: check_workbook.py WORKBOOK_FIXTURE OUTPUT_FOLDER
Exit 0: all good; 1: a check failed; 77: openpyxl is not installed (the test is skipped).
"""
import datetime
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

try:
    import openpyxl
except ImportError:
    print("openpyxl is not installed (Debian: python3-openpyxl): skipped")
    sys.exit(77)

TITLES = [
    "Record Type", "Record Key", "Record Number", "Date / Time", "Temperature",
    "Reagent High Alarm", "Reagent Low Alarm", "Reagent Setpoint", "Reagent Value",
    "Reagent Value", "pH High Alarm", "pH Low Alarm", "pH Setpoint", "pH Value", "pH Value",
    "Flow Low Alarm", "Flow Stop Alarm", "Flow (m3/h)", "Flow (m3/h)", "Reagent Pump %",
    "Acid Pump %", "Cell Active", "2e reading Cell", "Cell Null", "Reagent valve", "Redox (mV)",
    "Vloc Pump (%)", "Bicarb Pump (%)", "TBC", "GBC (%)",
]

D = datetime.datetime
ROWS = [
    [3, 258, 1001, D(2009, 3, 7, 14, 5), 21, 500, 50, 300, 150, 150, 7.8, 6.8, 7.2, 7.25, 7.25,
     20, 10, 120, 120, 40, 25, 400, 401, 12, 65535, 650, 5, 6, 7, 8],
    [3, 259, 1002, D(2024, 2, 29, 23, 59), -5, 500, 50, 300, -150, -150, 7.8, 6.8, 7.2, 6.05,
     6.05, 20, 10, 0, 0, 0, 0, 0, 0, 0, 0, -120, 0, 0, 0, 0],
    [3, 260, 1003, "2009-00-07 99:05:00", 21, 1, 2, 3, 4, 4, 8, 6, 7, 7, 7,
     11, 12, 13, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24],
    [3, 261, 1004, "2023-02-29 08:00:00", 22] + [0] * 25,
    [0, 262, 1005, D(2009, 3, 8, 6, 0), 19] + [None] * 25,
]

SHEET = "Zwembad Caf\u00e9"
DATE_FORMAT = "yyyy-mm-dd hh:mm:ss"
# A number as the workbook's XML must hold it, whatever the writer's locale.
XML_NUMBER = re.compile(r"-?[0-9]+(\.[0-9]+)?(E[+-][0-9]+)?")

failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


def same_value(actual, expected):
    if expected is None:
        return actual is None
    if isinstance(expected, str):
        return isinstance(actual, str) and actual == expected
    if isinstance(expected, D):
        return isinstance(actual, D) and actual == expected
    # A number: a numeric cell (never text, never a boolean) with exactly this value.
    return (isinstance(actual, (int, float)) and not isinstance(actual, bool)
            and actual == expected)


def check_package(path, where):
    """The raw parts: every number in C notation, the custom properties present."""
    with zipfile.ZipFile(path) as package:
        expect(package.testzip() is None, f"{where}: a damaged part in the zip")
        sheet = package.read("xl/worksheets/sheet1.xml").decode("utf-8")
        for value in re.findall(r"<v>([^<]*)</v>", sheet):
            expect(XML_NUMBER.fullmatch(value), f"{where}: cell value {value!r} is not a number")
        for name, value in re.findall(r'\b(width|left|right|top|bottom|header|footer)="([^"]*)"',
                                      sheet):
            expect(XML_NUMBER.fullmatch(value), f"{where}: {name}={value!r} is not a number")
        custom = ElementTree.fromstring(package.read("docProps/custom.xml"))
        values = {}
        for prop in custom:
            values[prop.get("name")] = "".join(prop.itertext())
        expect(values == {"Generator": "aqlremote V2.0.41", "Site": "Sportpark Noord",
                          "Pool": SHEET},
               f"{where}: custom properties {values}")


def check_common(book, where, last_row):
    expect(book.sheetnames == [SHEET], f"{where}: sheet names {book.sheetnames}")
    sheet = book[book.sheetnames[0]]
    titles = [cell.value for cell in sheet[1]]
    expect(titles == TITLES, f"{where}: title row {titles}")
    expect(all(cell.font.b for cell in sheet[1]), f"{where}: title row not bold")
    expect(sheet.freeze_panes == "A2", f"{where}: frozen at {sheet.freeze_panes}")
    expect(sheet.auto_filter.ref == f"A1:AD{last_row}", f"{where}: filter {sheet.auto_filter.ref}")
    expect(sheet.max_row == last_row and sheet.max_column == 30,
           f"{where}: {sheet.max_row} rows, {sheet.max_column} columns")
    props = book.properties
    expect(props.title == f"Log of {SHEET} (Sportpark Noord)", f"{where}: title {props.title!r}")
    expect(props.description == "Written by aqlremote V2.0.41",
           f"{where}: comments {props.description!r}")
    expect(props.created == D(2023, 11, 14, 22, 13, 20), f"{where}: created {props.created}")
    return sheet


def load(path, where):
    check_package(path, where)
    try:
        return openpyxl.load_workbook(path)
    except Exception as error:  # what a spreadsheet would refuse to open
        failures.append(f"{where}: openpyxl cannot read it: {error!r}")
        return None


def check_log(path, where):
    book = load(path, where)
    if book is None:
        return
    sheet = check_common(book, where, len(ROWS) + 1)
    for number, expected in enumerate(ROWS, start=2):
        row = list(sheet.iter_rows(min_row=number, max_row=number, values_only=True))[0]
        for column, (actual, wanted) in enumerate(zip(row, expected), start=1):
            expect(same_value(actual, wanted),
                   f"{where}: row {number} column {column} ({TITLES[column - 1]}): "
                   f"{actual!r} ({type(actual).__name__}), expected {wanted!r}")
        date_cell = sheet.cell(row=number, column=4)
        if isinstance(expected[3], D):
            expect(date_cell.number_format == DATE_FORMAT,
                   f"{where}: row {number} date format {date_cell.number_format!r}")
    for column, title in enumerate(TITLES, start=1):
        letter = openpyxl.utils.get_column_letter(column)
        width = sheet.column_dimensions[letter].width
        expect(len(title) + 2 <= width <= 60,
               f"{where}: column {letter} ({title}) is {width} wide")
    expect(sheet.column_dimensions["D"].width >= len("2009-03-07 14:05:00") + 1,
           f"{where}: the date column is {sheet.column_dimensions['D'].width} wide")


def check_empty(path, where):
    book = load(path, where)
    if book is not None:
        check_common(book, where, 1)


def main():
    writer, folder = sys.argv[1], sys.argv[2]
    for locale_name, comma in (("C.UTF-8", False), ("de_DE.UTF-8", True)):
        out = os.path.join(folder, locale_name)
        env = dict(os.environ, LC_ALL=locale_name)
        run = subprocess.run([writer, out], env=env, capture_output=True, text=True)
        if run.returncode != 0:
            failures.append(f"{locale_name}: the writer failed: {run.stderr.strip()}")
            continue
        if comma and "decimal point before: ," not in run.stdout:
            failures.append(f"locale {locale_name} is not installed, so the decimal-comma run "
                            "cannot prove anything (./test installs it)")
        if comma:
            expect("decimal point after: ," in run.stdout or
                   "decimal point before: ," not in run.stdout,
                   f"{locale_name}: the caller's locale was not restored: {run.stdout!r}")
        check_log(os.path.join(out, "log.xlsx"), f"{locale_name} log.xlsx")
        check_empty(os.path.join(out, "empty.xlsx"), f"{locale_name} empty.xlsx")
    for failure in failures:
        print("FAIL", failure)
    if failures:
        return 1
    print("workbooks read back correctly")
    return 0


if __name__ == "__main__":
    sys.exit(main())
