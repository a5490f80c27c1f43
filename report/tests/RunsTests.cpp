#include "report/Runs.h"

#include <gtest/gtest.h>

#include "report/LogDigest.h"
#include "report/Session.h"

namespace {

// A file of lines "hhmmss|code|text" on 7 December 2026.
LogFileInput File(const std::string& folder, const std::string& name,
                  const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += "261207|" + line + "|\r\n";
    return {folder, name, DigestLogFile(bytes).state};
}

const std::string kNew = "305|Starting new UTC Logfile with limit of 1024k per file";
const std::string kNext = "305|Starting next UTC logfile with limit of 1024k per file";
const std::string kMissing = "305|Starting new file from missing previous (log file copied out)";
const std::string kTooBig =
    "306|Log file too big, Creating New Log File. Shutting down this log file";
const std::string kClosing = "306|LogFile Destroy Method Called. Shutting down log file";
const std::string kWarning =
    "307|Logfile class destroyed by LogFileManager - WARNING: Could be improper shutdown";

std::string At(const std::string& time, const std::string& line) {
    return time + "|" + line;
}

}  // namespace

TEST(JoinIntoRuns, ARotatedFileContinuesTheRunThatRotatedAtThatTime) {
    const std::vector<LogRun> runs = JoinIntoRuns({
        File("f", "b.log",
             {At("120001", kNext),
              At("120001",
                 "999|Received sessionend message, "
                 "closing application"),
              At("120002", kClosing)}),
        File("f", "a.log",
             {At("115900", kNew), At("115959", "999|[PageName,Home]"), At("120001", kTooBig)}),
        File("other", "c.log", {At("120001", kNext)}),  // another folder: its own run
    });
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(2, runs[0].files);
    const Session session = SessionOf(runs[0]);
    EXPECT_EQ("Home", session.page);
    EXPECT_EQ(Outcome::kEnded, session.outcome);
    EXPECT_TRUE(session.cleanShutdown);
    EXPECT_EQ(62, session.DurationSeconds());
}

TEST(JoinIntoRuns, AReplacementFileGoesToTheOpenRunThatWroteLastBeforeIt) {
    // Two instances side by side; the second one's file was taken away at 12:00:05.
    const std::vector<LogRun> runs = JoinIntoRuns({
        File("f", "1.log", {At("120000", kNew), At("120009", "999|x"), At("120010", kClosing)}),
        File("f", "2.log", {At("120002", kNew), At("120004", "999|y")}),
        File("f", "3.log", {At("120005", kMissing), At("120005", kNext), At("120006", kWarning)}),
        File("f", "4.log", {At("120007", kMissing), At("120007", kNext)}),  // nothing left open
    });
    ASSERT_EQ(3u, runs.size());
    EXPECT_EQ(1, runs[0].files);
    EXPECT_EQ(2, runs[1].files);
    EXPECT_EQ("2026-12-07 12:00:06", runs[1].state.last.Text());  // 3.log went on from 2.log
    EXPECT_FALSE(SessionOf(runs[1]).cleanShutdown);
    EXPECT_EQ(1, runs[2].files);
}

TEST(JoinIntoRuns, OfRunsThatWroteLastInTheSameSecondTheFirstStartedGoesOn) {
    const std::vector<LogRun> runs = JoinIntoRuns({
        File("f", "1.log", {At("120000", kNew), At("120004", "999|a")}),
        File("f", "2.log", {At("120001", kNew), At("120004", "999|b")}),
        File("f", "3.log", {At("120001", kNew), At("120002", kTooBig)}),
        File("f", "4.log", {At("120005", kMissing)}),
        File("f", "5.log", {At("120005", kNext)}),  // too late for 3.log's rotation
        File("f", "6.log", {At("120006", kMissing)}),
    });
    ASSERT_EQ(4u, runs.size());
    EXPECT_EQ(3, runs[0].files);  // 1.log, then 4.log and 6.log
    EXPECT_EQ(1, runs[1].files);
    EXPECT_EQ(1, runs[2].files);
    EXPECT_EQ(1, runs[3].files);
}

TEST(JoinIntoRuns, ARotationTooLongAgoOrAFileOfNoRunStartsARunOfItsOwn) {
    const std::vector<LogRun> runs = JoinIntoRuns({
        File("f", "a.log", {At("120000", kNew), At("120001", kTooBig)}),
        File("f", "b.log", {At("120500", kNext)}),
        File("f", "c.log", {}),  // empty: no run at all
        File("f", "d.log", {At("130000", "999|Preparing Vistalyne Session Handler")}),
    });
    ASSERT_EQ(3u, runs.size());
    for (const LogRun& run : runs) EXPECT_EQ(1, run.files);
}

TEST(SessionOf, TheFirstCauseDecidesAndTheExitCodeShowsOnlyOnTheProgramsOwnWayOut) {
    auto session = [](const std::vector<std::string>& lines) {
        return SessionOf(JoinIntoRuns({File("f", "a.log", lines)}).at(0));
    };
    const Session both = session({At("120000", kNew),
                                  At("120006",
                                     "999|Vistalyne handle cannot be found, posting "
                                     "quit messsage"),
                                  At("120006",
                                     "999|Haven't received response to the start "
                                     "session message, posting quit message"),
                                  At("120006", "999|Shutting Down Vistalyne Session Handler"),
                                  At("120006", kClosing)});
    EXPECT_EQ(Outcome::kKioskGone, both.outcome);
    EXPECT_EQ(0, both.exitCode.value_or(-1));
    const Session notFound = session({At("120000", kNew),
                                      At("120005",
                                         "999|Failed to find the vistalyne window "
                                         "handle [vistalyneWindowHandle | 00000000] "),
                                      At("120005", "999|Shutting Down Vistalyne Session Handler")});
    EXPECT_EQ(Outcome::kNotFound, notFound.outcome);
    EXPECT_EQ(1, notFound.exitCode.value_or(-1));
    EXPECT_FALSE(notFound.cleanShutdown);  // cut short before its closing line
    const Session killed =
        session({At("120000", kNew), At("120001",
                                        "999|Received sessionend message, closing "
                                        "application")});
    EXPECT_EQ(Outcome::kEnded, killed.outcome);
    EXPECT_FALSE(killed.exitCode);  // killed before its shut-down: nobody knows
    const Session sendFailed = session({At("120000", kNew),
                                        At("120000",
                                           "999|Failed to send session start to "
                                           "vistalyne, closing application."),
                                        At("120000", kWarning)});
    EXPECT_EQ(0, sendFailed.exitCode.value_or(-1));
    const Session quit =
        session({At("120000", kNew), At("120001", "999|Shutting Down Vistalyne Session Handler"),
                 At("120001", kClosing)});
    EXPECT_EQ(Outcome::kUnknown, quit.outcome);
    EXPECT_FALSE(quit.exitCode);
    EXPECT_TRUE(quit.cleanShutdown);
}

// A run is settled, and its session counted, once its log is closed or a later run started in
// the folder after its last line; until then it may still be going on.
TEST(JoinIntoRuns, ARunIsSettledOnceClosedOrFollowedByALaterRun) {
    const std::string active = "999|Received sessionactive message, delaying application shutdown";
    const std::string end = "999|Received sessionend message, closing application";
    // Started at 12:00:00, the session confirmed at 12:00:01: in progress from then on.
    const std::vector<std::string> going = {At("120000", kNew), At("120001", active)};
    const auto then = [&](std::vector<std::string> lines, std::vector<std::string> more) {
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    const Outcome unknown = Outcome::kUnknown, ended = Outcome::kEnded;
    const struct {
        const char* what;
        std::vector<LogFileInput> files;
        std::vector<bool> settled;  // by run, in the order they started
        std::vector<Outcome> outcomes;
    } cases[] = {
        {"in progress: no closing line yet", {File("f", "1.log", going)}, {false}, {unknown}},
        {"closed by its own shut-down",
         {File("f", "1.log", then(going, {At("120002", end), At("120002", kClosing)}))},
         {true},
         {ended}},
        {"closed by the exit-time warning",
         {File("f", "1.log", then(going, {At("120002", end), At("120002", kWarning)}))},
         {true},
         {ended}},
        {"cut short: a later run started after its last line",
         {File("f", "1.log", going), File("f", "2.log", {At("120500", kNew)})},
         {true, false},
         {unknown, unknown}},
        {"cut short in the second its successor started",
         {File("f", "1.log", going), File("f", "2.log", {At("120001", kNew)})},
         {true, false},
         {unknown, unknown}},
        {"side by side: the later run started before its last line",
         {File("f", "1.log", then(going, {At("120009", active)})),
          File("f", "2.log", {At("120005", kNew), At("120006", end), At("120006", kClosing)})},
         {false, true},
         {unknown, ended}},
        {"rotated: settled by the last file of the run",
         {File("f", "1.log", then(going, {At("120002", kTooBig)})),
          File("f", "2.log", {At("120002", kNext), At("120003", end), At("120003", kClosing)})},
         {true},
         {ended}},
        {"rotated, the next file not there yet",
         {File("f", "1.log", then(going, {At("120002", kTooBig)}))},
         {false},
         {unknown}},
        {"a run in another folder settles nothing here",
         {File("f", "1.log", going), File("g", "2.log", {At("120500", kNew)})},
         {false, false},
         {unknown, unknown}},
    };
    for (const auto& c : cases) {
        const std::vector<LogRun> runs = JoinIntoRuns(c.files);
        ASSERT_EQ(c.settled.size(), runs.size()) << c.what;
        for (size_t i = 0; i < runs.size(); ++i) {
            const Session session = SessionOf(runs[i]);
            EXPECT_EQ(c.settled[i], runs[i].settled) << c.what << ", run " << i;
            EXPECT_EQ(!c.settled[i], session.open) << c.what << ", run " << i;
            EXPECT_EQ(c.outcomes[i], session.outcome) << c.what << ", run " << i;
        }
    }
}
