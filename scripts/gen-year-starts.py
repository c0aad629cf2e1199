#!/usr/bin/python3
"""Writes, for each year from 1501 to 7900, the day number of its 1 January
counted from 1970-01-01 and that day's weekday (0 Sunday to 6 Saturday), one
year a line: "YEAR<TAB>DAYS<TAB>WEEKDAY". Python's datetime is the calendar
here, so the calendar's tests get their dates from outside the library.

usage: scripts/gen-year-starts.py > tests/data/year-starts.tsv"""
import datetime as dt

EPOCH = dt.date(1970, 1, 1).toordinal()

print("# 1 January of each year: days from 1970-01-01, weekday (0 Sunday);"
      " written by scripts/gen-year-starts.py")
for year in range(1501, 7901):
    day = dt.date(year, 1, 1)
    print(f"{year}\t{day.toordinal() - EPOCH}\t{day.isoweekday() % 7}")
