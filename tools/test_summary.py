#!/usr/bin/env python3
"""Prints one line for one width's run from ctest's JUnit file and the unit tests' own report.

    test_summary.py TITLE CTEST_JUNIT UNIT_XML
"""
import sys
import xml.etree.ElementTree as ElementTree


def ctest_counts(path):
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    for case in root.iter("testcase"):
        if case.get("name", "").endswith("/unit"):
            continue  # counted test by test from its own report
        if case.find("failure") is not None or case.get("status") == "fail":
            counts["failed"] += 1
        elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
            counts["skipped"] += 1
        else:
            counts["passed"] += 1
    return counts


def unit_counts(path):
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    total = int(root.get("tests", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    skipped = int(root.get("disabled", 0)) + int(root.get("skipped", 0))
    return {"passed": total - failed - skipped, "failed": failed, "skipped": skipped}


def describe(counts):
    if counts is None:
        return "no report (the run did not finish)"
    return "{passed} passed, {failed} failed, {skipped} skipped".format(**counts)


def main():
    title, junit, unit = sys.argv[1:4]
    print("{}: unit tests {}; whole-program tests {}".format(
        title, describe(unit_counts(unit)), describe(ctest_counts(junit))))


if __name__ == "__main__":
    main()
