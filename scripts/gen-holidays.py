#!/usr/bin/python3
"""Writes the Japanese public holidays from 1948-07-20 to 2015-12-31, one a
line: "YYYY-MM-DD<TAB>kind<TAB>name", kind "named", "substitute" or
"citizens". The list is an independent reference for the calendar's tests.

Named holidays come from Debian's python3-holidays (holidays.Japan), with
the corrections below from the Act on National Holidays (国民の祝日に関する法律,
Act No. 178 of 1948) and the one-off laws, which that package lacks.
Substitute and citizens' holidays are derived here from the Act's wording.

usage: scripts/gen-holidays.py > tests/data/jp-holidays-1948-2015.tsv"""
import datetime as dt
import sys

import holidays  # Debian: python3-holidays

FIRST = dt.date(1948, 7, 20)   # the Act took effect
LAST = dt.date(2015, 12, 31)
SUBSTITUTES_FROM = dt.date(1973, 4, 12)   # Act amended by Act No. 10 of 1973
NEXT_FREE_DAY_FROM = dt.date(2007, 1, 1)  # Act amended by Act No. 43 of 2005
CITIZENS_FROM = dt.date(1985, 12, 27)     # Act amended by Act No. 103 of 1985

# The package starts in 1949; 1948's holidays after 20 July, by the Act.
HOLIDAYS_1948 = {
    dt.date(1948, 9, 23): "秋分の日",
    dt.date(1948, 11, 3): "文化の日",
    dt.date(1948, 11, 23): "勤労感謝の日",
}

# One-off holidays, each made by a law of its own.
ONE_OFF = {
    dt.date(1959, 4, 10): "皇太子明仁親王の結婚の儀",  # Act No. 16 of 1959
    dt.date(1989, 2, 24): "昭和天皇の大喪の礼",        # Act No. 4 of 1989
    dt.date(1990, 11, 12): "即位礼正殿の儀",          # Act No. 24 of 1990
    dt.date(1993, 6, 9): "皇太子徳仁親王の結婚の儀",  # Act No. 32 of 1993
}

# 建国記念の日 exists from 1967 (Act No. 86 of 1966, date fixed by Cabinet
# order); the package lists 11 February for every year.
FOUNDATION_DAY_FROM = 1967


def named_holidays():
    named = dict(HOLIDAYS_1948)
    jp = holidays.Japan(years=range(1949, LAST.year + 1))
    for day, name in sorted(jp.items()):
        if name in ("振替休日", "国民の休日"):
            continue  # derived below from the Act's rules
        if name == "建国記念の日" and day.year < FOUNDATION_DAY_FROM:
            continue
        named[day] = name
    named.update(ONE_OFF)
    return {d: n for d, n in named.items() if FIRST <= d <= LAST}


def substitute_holidays(named):
    """A holiday on a Sunday moves to the next day (from 1973-04-12), and
    from 2007 to the nearest following day that is no holiday."""
    result = set()
    for day in sorted(named):
        if day < SUBSTITUTES_FROM or day.weekday() != 6:
            continue
        moved = day + dt.timedelta(days=1)
        if day >= NEXT_FREE_DAY_FROM:
            while moved in named:
                moved += dt.timedelta(days=1)
        if moved not in named:
            result.add(moved)
    return result


def citizens_holidays(named, substitutes):
    """A day between two holidays is a holiday itself, unless it is a
    Sunday or a substitute holiday (from 1985-12-27)."""
    result = set()
    day = CITIZENS_FROM
    one = dt.timedelta(days=1)
    while day <= LAST:
        if (day - one in named and day + one in named and day not in named
                and day.weekday() != 6 and day not in substitutes):
            result.add(day)
        day += one
    return result


def main():
    named = named_holidays()
    substitutes = substitute_holidays(named)
    citizens = citizens_holidays(named, substitutes)
    rows = [(d, "named", n) for d, n in named.items()]
    rows += [(d, "substitute", "振替休日") for d in substitutes]
    rows += [(d, "citizens", "国民の休日") for d in citizens]
    out = sys.stdout
    out.write("# Japanese public holidays %s to %s; written by scripts/gen-holidays.py\n"
              % (FIRST, LAST))
    for day, kind, name in sorted(rows):
        out.write("%s\t%s\t%s\n" % (day.isoformat(), kind, name))

    # The package's own lists of the derived days, as a check on the rules.
    jp = holidays.Japan(years=range(1949, LAST.year + 1))
    for label, mine, theirs_name in (("substitute", substitutes, "振替休日"),
                                     ("citizens", citizens, "国民の休日")):
        theirs = {d for d, n in jp.items() if n == theirs_name and d <= LAST}
        for day in sorted(mine ^ theirs):
            side = "only derived here" if day in mine else "only in python3-holidays"
            sys.stderr.write("note: %s holiday %s %s\n" % (label, day, side))


if __name__ == "__main__":
    main()
