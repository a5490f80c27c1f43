#include <gtest/gtest.h>

#include <algorithm>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/Kiosk.h"
#include "report/Summary.h"

namespace {

Session MakeSession(int hour, int seconds, const std::string& page, Outcome outcome, bool clean) {
    Session s;
    s.folder = "C:\\Kiosk, Lobby\\logs";
    s.start = {2026, 12, 7, hour, 0, 0};
    s.end = {2026, 12, 7, hour, seconds / 60, seconds % 60};
    s.page = page;
    s.outcome = outcome;
    if (outcome != Outcome::kUnknown) s.exitCode = outcome == Outcome::kNotFound ? 1 : 0;
    s.cleanShutdown = clean;
    s.files = 1;
    return s;
}

}  // namespace

TEST(Summarise, CountsOutcomesDaysPagesAndNearestRankPercentiles) {
    std::vector<Session> sessions;
    for (int i = 0; i < 9; ++i)
        sessions.push_back(MakeSession(10, i + 1, "Home", Outcome::kEnded, true));
    sessions.push_back(MakeSession(11, 100, "", Outcome::kUnknown, false));
    const Summary summary = Summarise(sessions, {12, 1, 3});
    EXPECT_EQ(10, summary.sessions);
    EXPECT_EQ(9, summary.byOutcome[static_cast<size_t>(Outcome::kEnded)]);
    EXPECT_EQ(1, summary.uncleanShutdowns);
    EXPECT_EQ(10, summary.perDay.at("2026-12-07"));
    EXPECT_EQ((std::pair<std::string, int>("Home", 9)), summary.topPages.front());
    EXPECT_EQ((std::vector<std::pair<int, long long>>{{50, 5}, {90, 9}, {99, 100}, {100, 100}}),
              summary.durationPercentiles);
    EXPECT_EQ("2026-12-07 11:01:40", summary.last.Text());
    const std::string console = ConsoleText(summary);
    EXPECT_NE(std::string::npos, console.find("ended                 9   90.0%"));
    EXPECT_NE(std::string::npos, console.find("Unreadable lines:  3"));

    // Page names line up by characters, not bytes, and carry no control codes to the terminal.
    sessions = {MakeSession(10, 1, "Caf\xE9", Outcome::kEnded, true),
                MakeSession(10, 1, "\x1B[2J", Outcome::kEnded, true)};
    const std::string pages = ConsoleText(Summarise(sessions, {2, 0, 0}));
    EXPECT_NE(std::string::npos, pages.find("\nCaf\xC3\xA9                            1\n"));
    EXPECT_NE(std::string::npos, pages.find("\n?[2J                            1\n"));
    EXPECT_EQ(std::string::npos, pages.find('\x1B'));
}

TEST(CsvText, HasTheExactHeaderAndOneQuotedRowPerSession) {
    const std::string csv = CsvText({MakeSession(10, 5, "Caf\xE9,1", Outcome::kNotFound, true),
                                     MakeSession(11, 0, "", Outcome::kUnknown, false)});
    EXPECT_EQ(
        "folder,start_utc,end_utc,duration_s,page,outcome,exit_code,clean_shutdown,files,"
        "ignored_messages\r\n"
        "\"C:\\Kiosk, Lobby\\logs\",2026-12-07 10:00:00,2026-12-07 10:00:05,5,"
        "\"Caf\xC3\xA9,1\",not-found,1,yes,1,0\r\n"
        "\"C:\\Kiosk, Lobby\\logs\",2026-12-07 11:00:00,2026-12-07 11:00:00,0,,unknown,,no,1,0\r\n",
        csv);
}

TEST(HtmlPage, IsSelfContainedWithOneMarkAndOneRowPerSession) {
    const std::vector<Session> sessions = {
        MakeSession(10, 5, "<script>alert(1)</script>", Outcome::kEnded, true),
        MakeSession(12, 30, "Home", Outcome::kNoReply, true)};
    const std::string html = HtmlPage(Summarise(sessions, {2, 0, 0}), sessions);
    EXPECT_EQ(std::string::npos, html.find("<script"));
    EXPECT_EQ(std::string::npos, html.find("http"));
    EXPECT_EQ(std::string::npos, html.find(" src="));
    EXPECT_NE(std::string::npos, html.find("&lt;script&gt;"));
    size_t marks = 0;
    for (size_t at = html.find("<rect"); at != std::string::npos; at = html.find("<rect", at + 1)) {
        ++marks;
    }
    EXPECT_EQ(2u, marks);
    EXPECT_NE(std::string::npos, html.find("<title>2026-12-07 12:00:00 to 12:00:30 UTC (30 s)"));
    EXPECT_NE(std::string::npos, html.find("outcome: no-reply, exit code 0"));
}

// A year of a fleet still gives one screen of console text and a page whose size does not
// grow with the sessions, with the worst kiosk first and the newest trouble on top.
TEST(FleetOutputs, StayOneScreenAndOnePageAtAnyScale) {
    SummaryBuilder builder;
    std::vector<Kiosk> kiosks;
    std::vector<Session> trouble;
    for (int k = 0; k < 300; ++k) {
        std::vector<Session> sessions;
        for (int day = 0; day < 365; day += 2) {
            Session s = MakeSession(k % 24, 30, "Home",
                                    k % 50 == 42 ? Outcome::kNoReply : Outcome::kEnded, true);
            s.folder = "D:\\fleet\\kiosk-" + std::to_string(k) + "\\logs";
            s.start = s.end = UtcTime::FromSeconds(1767225600 + day * 86400 + k * 60);  // 2026
            builder.Add(s);
            sessions.push_back(s);
            if (s.InTrouble()) trouble.insert(trouble.begin(), s);
        }
        kiosks.push_back(KioskOf(sessions.front().folder, sessions, {}));
    }
    SortWorstFirst(kiosks);
    const Summary summary = builder.Finish({});
    EXPECT_EQ(300 * 183, summary.sessions);

    const std::string console = ConsoleText(summary, kiosks);
    EXPECT_LE(std::count(console.begin(), console.end(), '\n'), 50);
    EXPECT_NE(std::string::npos, console.find("Sessions per month"));
    EXPECT_NE(std::string::npos, console.find("folders under D:\\fleet\\\n"));
    EXPECT_NE(std::string::npos, console.find("100.0%       183         183  kiosk-142\\logs"));

    trouble.resize(kFleetTroubleShown);
    const std::string page = FleetPage(summary, kiosks, trouble, 6 * 183);
    EXPECT_LT(page.size(), 400u * 1024);
    EXPECT_EQ(std::string::npos, page.find("<script"));
    EXPECT_LT(page.find("kiosk-142\\logs"), page.find("kiosk-0\\logs"));  // worst first
    EXPECT_NE(std::string::npos, page.find("The 50 in most trouble of 300 kiosks"));
    EXPECT_NE(std::string::npos, page.find("the 500 newest are shown"));
    EXPECT_NE(std::string::npos, page.find("A column a day"));
}
