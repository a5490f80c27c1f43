// A fleet's gathered logs read in one pass: folders found under a root, read on several
// threads and handed on in order, the kiosks ranked, and the period a report is kept to.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "report/Kiosk.h"
#include "report/Period.h"
#include "report/Pipeline.h"

namespace fs = std::filesystem;

namespace {

const char* const kGood = "Session.OneSessionRunsFromStartToSessionEndWithTheExactLog";
const char* const kNotFound = "Session.AbsentKioskEndsWithExitCodeOneAfterFiveSeconds";
const char* const kNoReply = "Session.NoReplyEndsAtTheFirstTickPastFiveSecondsAfterTheStart";

// Copies the one log file of a corpus folder into a kiosk's folder under another name.
void CopySession(const char* test, const fs::path& kiosk, int copy) {
    fs::create_directories(kiosk);
    for (const auto& entry : fs::directory_iterator(fs::path(VSH_REPORT_CORPUS) / test)) {
        fs::copy_file(entry.path(), kiosk / ("session " + std::to_string(copy) + ".log"));
    }
}

}  // namespace

TEST(Fleet, EveryKioskUnderTheRootIsReadInOrderAndTheBadOneRanksFirst) {
    const fs::path root = fs::temp_directory_path() / "vsh-report-fleet";
    fs::remove_all(root);
    // Twelve kiosks at two sites, the logs one folder down; kiosk 7 mostly fails.
    for (int k = 0; k < 12; ++k) {
        const fs::path logs =
            root / ("site-" + std::to_string(k % 2)) / ("kiosk-" + std::to_string(10 + k)) / "logs";
        for (int copy = 0; copy < 4; ++copy) {
            const bool failing = k == 7 && copy > 0;
            CopySession(failing ? (copy % 2 ? kNotFound : kNoReply) : kGood, logs, copy);
        }
        std::ofstream(logs / "notes.txt") << "not a log";
    }
    fs::create_directories(root / "site-0" / "empty");

    ReadProgress progress;
    std::vector<Kiosk> kiosks;
    int sessions = 0;
    const WalkTrouble walk = ReadInOrder(
        {root.string(), (root / "absent").string()}, 3, progress, ReadLogFolder,
        [&](FolderRead&& read) {
            sessions += static_cast<int>(read.sessions.size());
            kiosks.push_back(KioskOf(read.folder, read.sessions, read.counts));
        },
        nullptr);
    fs::remove_all(root);

    EXPECT_EQ(std::vector<std::string>{(root / "absent").string()}, walk.missing);
    EXPECT_TRUE(walk.unlisted.empty());
    EXPECT_EQ(48u, progress.files.load());
    EXPECT_EQ(48, sessions);
    ASSERT_EQ(12u, kiosks.size());
    for (size_t i = 1; i < kiosks.size(); ++i) {
        EXPECT_LT(kiosks[i - 1].folder, kiosks[i].folder);  // the walk's order, kept
    }
    EXPECT_EQ((root / "site-0" / "kiosk-10" / "logs").string(), kiosks.front().folder);
    EXPECT_EQ(root.string().size() + 1, CommonFolderPrefix(kiosks));

    SortWorstFirst(kiosks);
    const Kiosk& worst = kiosks.front();
    EXPECT_EQ((root / "site-1" / "kiosk-17" / "logs").string(), worst.folder);
    EXPECT_EQ(3, worst.trouble);
    EXPECT_EQ(2, worst.byOutcome[static_cast<size_t>(Outcome::kNotFound)]);
    EXPECT_EQ(0, kiosks[1].trouble);
    const std::string csv = KiosksCsvText(kiosks);
    EXPECT_EQ(0u, csv.find(std::string(kKiosksCsvHeader) + "\r\n" + worst.folder +
                           ",4,1,1,0,0,2,0,0,0,0.7500,2026-12-08 "));
}

// The first folder takes long to read and its taking is slow: the workers read on ahead, out of
// order, up to the bound and no further, and the folders are still handed on in order.
TEST(Fleet, FoldersReadOutOfOrderAreHandedOnInOrderWithinTheBound) {
    const fs::path root = fs::temp_directory_path() / "vsh-report-order";
    fs::remove_all(root);
    CopySession(kGood, root / "a-large", 0);
    {
        std::ofstream large(root / "a-large" / "session 1.log", std::ios::binary);
        const std::string line = "261208|120000|100|" + std::string(200, 'x') + "|\r\n";
        for (int i = 0; i < 100000; ++i) large << line;  // 22 MB, read while the rest go by
    }
    for (int k = 0; k < 40; ++k) CopySession(kNotFound, root / ("b-" + std::to_string(100 + k)), 0);

    for (const unsigned workers : {1u, 3u}) {
        ReadProgress progress;
        std::vector<std::string> order;
        std::uint64_t filesReadBeforeTheFirst = 0;
        ReadInOrder(
            {root.string()}, workers, progress, ReadLogFolder,
            [&](FolderRead&& read) {
                if (order.empty()) {
                    filesReadBeforeTheFirst = progress.files.load();
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                }
                order.push_back(read.folder);
            },
            nullptr);
        ASSERT_EQ(41u, order.size()) << workers;
        EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << workers;
        if (workers == 1) {
            EXPECT_EQ(2u, filesReadBeforeTheFirst);  // one folder at a time, on this thread
            EXPECT_EQ(1u, progress.foldersHeldAtMost.load());
        } else {
            EXPECT_GT(filesReadBeforeTheFirst, 2u);  // others were read while it was
            EXPECT_EQ(3u * 2 + 1, progress.foldersHeldAtMost.load());
        }
    }
    fs::remove_all(root);
}

TEST(Period, ReadsBothFormsRefusesTheRestAndHoldsStartsFromSinceUntilUntil) {
    EXPECT_EQ(1796688000, ParseUtcTime("2026-12-08").value_or(-1));
    EXPECT_EQ(1796688000 + 13 * 3600 + 22 * 60 + 21,
              ParseUtcTime("2026-12-08 13:22:21").value_or(-1));
    for (const char* wrong :
         {"2026-12-8", "2026-13-01", "2026-02-29", "2026-12-08T13:22:21", "2026-12-08 24:00:00",
          "2026-12-08 13:22", "1999-12-31", "", "yesterday", "2026-12-08 13:22:60"}) {
        EXPECT_FALSE(ParseUtcTime(wrong)) << wrong;
    }
    const Period week{ParseUtcTime("2026-12-01"), ParseUtcTime("2026-12-08")};
    EXPECT_TRUE(week.Holds({2026, 12, 1, 0, 0, 0}));
    EXPECT_TRUE(week.Holds({2026, 12, 7, 23, 59, 59}));
    EXPECT_FALSE(week.Holds({2026, 12, 8, 0, 0, 0}));
    EXPECT_FALSE(week.Holds({2026, 11, 30, 23, 59, 59}));
    EXPECT_TRUE(Period{}.Holds({2001, 1, 1, 0, 0, 0}));
}
