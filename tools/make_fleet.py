#!/usr/bin/env python3
"""Makes a fleet's gathered logs from the real logs of the repo's corpus, for the report's
benchmark: kiosk folders of one-file sessions spread over a year, a few kiosks much worse than
the rest. Deterministic by seed: the same arguments give the same bytes.

    make_fleet.py OUT_DIR SESSIONS [--kiosks N] [--seed S] [--year 2026]
"""
import argparse
import datetime
import os
import random
import sys

CORPUS = os.path.join(os.path.dirname(__file__), "..", "report", "tests", "corpus")
# Sessions that went well, and the ways they go wrong, by the corpus folder that shows each.
GOOD = [
    "Session.OneSessionRunsFromStartToSessionEndWithTheExactLog",
    "CrossWidth.AWholeSessionRunsWithAKioskOfTheOtherWidth",
    "Session.KioskAppearingThreeSecondsLaterIsFound",
    "Session.RepliesThatAreNotExactlyRightAreLoggedAndIgnored",
    "Session.AboutCommandOpensTheBoxAndTheSessionGoesOn",
    "Discovery.FindsATargetThatIsAGrandchildOfTheForm",
    "Session.CloseRequestAndExitCommandEndTheSessionThroughDestroy",
]
TROUBLE = [
    "Session.AbsentKioskEndsWithExitCodeOneAfterFiveSeconds",
    "Session.NoReplyEndsAtTheFirstTickPastFiveSecondsAfterTheStart",
    "ExitOrder.AfterAFailedSessionStartTheSlotsEmptyInOrderBeforeTheWarning",
    "KioskFaults.AKioskKilledMidSessionEndsItAtTheNextLivenessCheck",
    "Session.AQuitMessageWithAnotherValueBecomesTheExitCode",
]
TROUBLE_SHARE_GOOD_KIOSK = 0.03
TROUBLE_SHARE_BAD_KIOSK = 0.6
BAD_KIOSK_SHARE = 0.02
SESSION_SPACING_S = 60  # the least time between two sessions of one kiosk


def template(folder):
    """A session's lines as (seconds after its first line, the bytes after the time stamp)."""
    path = os.path.join(CORPUS, folder)
    name = sorted(os.listdir(path))[0]  # the first session of the folder
    with open(os.path.join(path, name), "rb") as f:
        lines = f.read().split(b"\r\n")
    first = None
    parsed = []
    for line in lines:
        if not line:
            continue
        stamp = datetime.datetime.strptime(line[:13].decode(), "%y%m%d|%H%M%S")
        first = first or stamp
        parsed.append((int((stamp - first).total_seconds()), line[13:]))
    return parsed


def session_bytes(lines, start):
    out = []
    for offset, rest in lines:
        at = start + datetime.timedelta(seconds=offset)
        out.append(at.strftime("%y%m%d|%H%M%S").encode() + rest + b"\r\n")
    return b"".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("sessions", type=int)
    parser.add_argument("--kiosks", type=int, default=0, help="default: one per 500 sessions")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--year", type=int, default=2026)
    args = parser.parse_args()
    kiosks = args.kiosks or max(1, args.sessions // 500)
    rng = random.Random(args.seed)
    good = [template(f) for f in GOOD]
    trouble = [template(f) for f in TROUBLE]
    begin = datetime.datetime(args.year, 1, 1)
    year_s = int((datetime.datetime(args.year + 1, 1, 1) - begin).total_seconds())
    bad = set(rng.sample(range(kiosks), max(1, round(kiosks * BAD_KIOSK_SHARE))))
    for kiosk in range(kiosks):
        count = args.sessions // kiosks + (1 if kiosk < args.sessions % kiosks else 0)
        folder = os.path.join(args.out, f"site-{kiosk // 50:03d}", f"kiosk-{kiosk:05d}", "logs")
        os.makedirs(folder, exist_ok=True)
        share = TROUBLE_SHARE_BAD_KIOSK if kiosk in bad else TROUBLE_SHARE_GOOD_KIOSK
        slots = sorted(rng.sample(range(year_s // SESSION_SPACING_S), count))
        for slot in slots:
            start = begin + datetime.timedelta(seconds=slot * SESSION_SPACING_S + rng.randrange(30))
            lines = rng.choice(trouble if rng.random() < share else good)
            name = start.strftime("VistalyneSessionHandler.exe %d-%m-%Y %H-%M-%S-") + \
                f"{rng.randrange(10000):04d}.log"
            with open(os.path.join(folder, name), "wb") as f:
                f.write(session_bytes(lines, start))
    print(f"{args.sessions} sessions in {kiosks} kiosk folders under {args.out} "
          f"({len(bad)} kiosks much worse than the rest)")


if __name__ == "__main__":
    sys.exit(main())
