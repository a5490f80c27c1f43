#!/usr/bin/env python3
"""Prints the summary of one width's run: its unit tests (from their own report), its
whole-program tests and its fault suite (from ctest's JUnit file and the tests' labels); or,
with --plain, one line for all the tests of one or more JUnit files (a build's tests run in
parts).

    test_summary.py TITLE CTEST_JUNIT UNIT_XML CTEST_JSON
    test_summary.py --plain TITLE CTEST_JUNIT...
"""
import json
import sys
import xml.etree.ElementTree as ElementTree


def labels_by_test(path):
    try:
        with open(path) as f:
            tests = json.load(f)["tests"]
    except (OSError, ValueError, KeyError):
        return {}
    labels = {}
    for test in tests:
        for prop in test.get("properties", []):
            if prop.get("name") == "LABELS":
                labels[test["name"]] = prop.get("value", [])
    return labels


def ctest_counts(path, labels):
    counts = {kind: {"passed": 0, "failed": 0, "skipped": 0} for kind in ("whole", "faults")}
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    for case in root.iter("testcase"):
        name = case.get("name", "")
        if name.endswith("/unit"):
            continue  # counted test by test from its own report
        kind = counts["faults" if "faults" in labels.get(name, []) else "whole"]
        if case.find("failure") is not None or case.get("status") == "fail":
            kind["failed"] += 1
        elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
            kind["skipped"] += 1
        else:
            kind["passed"] += 1
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


def ran_unit_tests(path):
    """Whether ctest's run took in the width's unit tests."""
    root = ElementTree.parse(path).getroot()
    return any(case.get("name", "").endswith("/unit") for case in root.iter("testcase"))


def describe(counts):
    if counts is None:
        return "no report (the run did not finish)"
    return "{passed} passed, {failed} failed, {skipped} skipped".format(**counts)


def main():
    if sys.argv[1] == "--plain":
        title, parts = sys.argv[2], [ctest_counts(junit, {}) for junit in sys.argv[3:]]
        counts = None
        if all(parts):
            counts = {k: sum(part["whole"][k] for part in parts) for k in parts[0]["whole"]}
        print("{}: {}".format(title, describe(counts)))
        return
    title, junit, unit, listing = sys.argv[1:5]
    ctest = ctest_counts(junit, labels_by_test(listing))
    units = describe(unit_counts(unit))
    if unit_counts(unit) is None and ctest is not None and not ran_unit_tests(junit):
        units = "not run (left out by the filter)"
    print("{}:\n  unit tests {}\n  whole-program tests {}\n  fault suite {}".format(
        title, units, describe(ctest and ctest["whole"]), describe(ctest and ctest["faults"])))


if __name__ == "__main__":
    main()
