#include <gtest/gtest.h>

#include <algorithm>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/Kiosk.h"
#include "report/NewestTrouble.h"
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
    sessions = {MakeSession(10, 1, "Caf\xC3\xA9", Outcome::kEnded, true),
                MakeSession(10, 1, "\x1B[2J", Outcome::kEnded, true)};
    const std::string pages = ConsoleText(Summarise(sessions, {2, 0, 0}));
    EXPECT_NE(std::string::npos, pages.find("\nCaf\xC3\xA9                            1\n"));
    EXPECT_NE(std::string::npos, pages.find("\n?[2J                            1\n"));
    EXPECT_EQ(std::string::npos, pages.find('\x1B'));
}

TEST(CsvText, HasTheExactHeaderAndOneQuotedRowPerSession) {
    const std::string csv = CsvText({MakeSession(10, 5, "Caf\xC3\xA9,1", Outcome::kNotFound, true),
                                     MakeSession(11, 0, "", Outcome::kUnknown, false)});
    EXPECT_EQ(
        "folder,start_utc,end_utc,duration_s,page,outcome,exit_code,clean_shutdown,files,"
        "ignored_messages\r\n"
        "\"C:\\Kiosk, Lobby\\logs\",2026-12-07 10:00:00,2026-12-07 10:00:05,5,"
        "\"Caf\xC3\xA9,1\",not-found,1,yes,1,0\r\n"
        "\"C:\\Kiosk, Lobby\\logs\",2026-12-07 11:00:00,2026-12-07 11:00:00,0,,unknown,,no,1,0\r\n",
        csv);
}

// A cell that a spreadsheet would run as a formula is written as text: an apostrophe first.
TEST(CsvText, NeutralisesEveryCellThatBeginsLikeAFormula) {
    const struct {
        std::string text, cell;
    } cases[] = {
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"+1+1", "'+1+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"Home=1", "Home=1"},  // only the first character counts
        {"", ""},
    };
    for (const auto& c : cases) {
        Session session = MakeSession(10, 5, c.text, Outcome::kEnded, true);
        session.folder = c.text;
        const std::string row = CsvRow(session);
        EXPECT_EQ(c.cell + ",2026-12-07 10:00:00,2026-12-07 10:00:05,5," + c.cell +
                      ",ended,0,yes,1,0\r\n",
                  row)
            << c.text;
        const std::string kiosks = KiosksCsvText({KioskOf(c.text, {session}, {})});
        EXPECT_EQ(0u, kiosks.find(std::string(kKiosksCsvHeader) + "\r\n" + c.cell + ",1,"))
            << c.text;
    }
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
    NewestTrouble trouble(kFleetTroubleShown);
    int inTrouble = 0;
    for (int k = 0; k < 300; ++k) {
        std::vector<Session> sessions;
        for (int day = 0; day < 365; day += 2) {
            Session s = MakeSession(k % 24, 30, "Home",
                                    k % 50 == 42 ? Outcome::kNoReply : Outcome::kEnded, true);
            // A folder and a page with markup and quotes, as anybody's files may have.
            s.folder = k == 42 ? "D:\\fleet\\<script>\"k42\"'\\logs"
                               : "D:\\fleet\\kiosk-" + std::to_string(k) + "\\logs";
            if (k == 292 && day == 364) s.page = "<script>alert(\"x\")</script>";
            s.start = s.end = UtcTime::FromSeconds(1767225600 + day * 86400 + k * 60);  // 2026
            builder.Add(s);
            sessions.push_back(s);
            if (s.InTrouble()) trouble.Offer(s);  // kiosk by kiosk: not in the order of time
            inTrouble += s.InTrouble() ? 1 : 0;
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

    EXPECT_EQ(6 * 183, trouble.InAll());
    EXPECT_EQ(inTrouble, trouble.InAll());
    const std::vector<Session> newest = trouble.NewestFirst();
    ASSERT_EQ(kFleetTroubleShown, newest.size());
    for (size_t i = 1; i < newest.size(); ++i) {
        EXPECT_FALSE(newest[i - 1].start < newest[i].start) << i;
    }
    // The newest of all: the last day's, kiosk 292's (with the markup) the newest of them.
    EXPECT_EQ("<script>alert(\"x\")</script>", newest.front().page);
    EXPECT_EQ(UtcTime::FromSeconds(1767225600 + 364 * 86400 + 292 * 60).Text(),
              newest.front().start.Text());
    const std::string page = FleetPage(summary, kiosks, newest, trouble.InAll());
    EXPECT_LT(page.size(), 400u * 1024);
    EXPECT_EQ(std::string::npos, page.find("<script"));
    EXPECT_NE(std::string::npos, page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"));
    EXPECT_NE(std::string::npos, page.find("&lt;script&gt;&quot;k42&quot;&#39;"));
    EXPECT_LT(page.find("kiosk-142\\logs"), page.find("kiosk-0\\logs"));  // worst first
    EXPECT_NE(std::string::npos, page.find("The 50 in most trouble of 300 kiosks"));
    EXPECT_NE(std::string::npos, page.find("the 500 newest are shown"));
    EXPECT_NE(std::string::npos, page.find("A column a day"));
}
