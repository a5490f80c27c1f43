// The report on logs the real session handler wrote in the whole-program tests: a copy kept
// with these tests, the logs of this very test run when there are any (VSH_E2E_LOGS), and
// damaged copies of them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <tuple>

#include "report/CsvReport.h"
#include "report/FolderRead.h"
#include "report/RunState.h"
#include "report/Runs.h"
#include "report/Session.h"

namespace fs = std::filesystem;

namespace {

struct Expected {
    const char* test;                   // the folder, named after the test that wrote it
    std::vector<const char*> outcomes;  // of its sessions, in order of start
    int exitCode;                       // of the first session; -1: unknown
    bool clean;
    int ignored;
};

// What the session handler did in each test, as the report must read it back.
const Expected kExpected[] = {
    {"Session.OneSessionRunsFromStartToSessionEndWithTheExactLog", {"ended"}, 0, true, 0},
    {"Session.AbsentKioskEndsWithExitCodeOneAfterFiveSeconds", {"not-found"}, 1, true, 0},
    {"Session.NoReplyEndsAtTheFirstTickPastFiveSecondsAfterTheStart", {"no-reply"}, 0, true, 0},
    {"Session.DestroyedTargetWindowEndsTheSessionWithinACheckInterval", {"kiosk-gone"}, 0, true, 0},
    {"Session.CloseRequestAndExitCommandEndTheSessionThroughDestroy",
     {"closed", "closed"},
     0,
     true,
     0},
    {"Session.AQuitMessageWithAnotherValueBecomesTheExitCode", {"unknown"}, -1, true, 0},
    {"Session.RepliesThatAreNotExactlyRightAreLoggedAndIgnored", {"ended"}, 0, true, 4},
    {"ExitOrder.AfterAFailedSessionStartTheSlotsEmptyInOrderBeforeTheWarning",
     {"send-failed"},
     0,
     false,
     0},
    {"KioskFaults.AKioskKilledMidSessionEndsItAtTheNextLivenessCheck", {"kiosk-gone"}, 0, true, 0},
    {"KioskFaults.TwoSessionsSideBySideWriteTheirOwnWholeFiles", {"ended", "ended"}, 0, true, 300},
    {"CodePage932.RepliesInUtf8JapaneseAreLoggedInTheCodePage", {"ended"}, 0, true, 1},
};

std::vector<Session> SessionsIn(const std::vector<std::string>& sources,
                                ReadCounts* counts = nullptr) {
    ReadCounts read;
    std::vector<Session> sessions;
    std::string buffer;
    WalkLogSources(sources, [&](LogFolder&& folder) {
        FolderRead folderRead = ReadLogFolder(folder, buffer);
        read.Add(folderRead.counts);
        sessions.insert(sessions.end(), folderRead.sessions.begin(), folderRead.sessions.end());
    });
    if (counts != nullptr) *counts = read;
    return sessions;
}

// Checks every folder of the table that the given root holds; returns the tests of the table
// whose folder it does not hold.
std::vector<std::string> CheckFoldersUnder(const fs::path& root) {
    std::vector<std::string> absent;
    for (const Expected& expected : kExpected) {
        const fs::path folder = root / expected.test;
        if (!fs::is_directory(folder)) {
            absent.push_back(expected.test);
            continue;
        }
        SCOPED_TRACE(folder.string());
        ReadCounts counts;
        const std::vector<Session> sessions = SessionsIn({folder.string()}, &counts);
        EXPECT_EQ(0, counts.unreadableLines);
        EXPECT_EQ(0, counts.unreadableFiles);
        EXPECT_EQ(expected.outcomes.size(), sessions.size());
        if (sessions.size() != expected.outcomes.size()) continue;
        for (size_t i = 0; i < sessions.size(); ++i) {
            EXPECT_EQ(expected.outcomes[i], std::string(OutcomeName(sessions[i].outcome)));
            EXPECT_EQ(expected.clean, sessions[i].cleanShutdown);
            EXPECT_EQ(expected.ignored, sessions[i].ignoredMessages);
        }
        EXPECT_EQ(expected.exitCode, sessions[0].exitCode.value_or(-1));
    }
    return absent;
}

class DamagedCopy : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() /
            ("vsh-report-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& entry : fs::recursive_directory_iterator(VSH_REPORT_CORPUS)) {
            if (!entry.is_regular_file()) continue;
            const fs::path target = folder / fs::relative(entry.path(), VSH_REPORT_CORPUS);
            fs::create_directories(target.parent_path());
            fs::copy_file(entry.path(), target);
            files.push_back(target);
        }
        std::sort(files.begin(), files.end());  // the same damage on every file system
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> Folders() const {
        std::vector<std::string> folders;
        for (const auto& entry : fs::directory_iterator(folder))
            folders.push_back(entry.path().string());
        return folders;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static LogLineView View(const LogLine& line) { return {line.time, line.code, line.text}; }
    static auto Fields(const RunState& s) {
        return std::make_tuple(s.empty, s.first.Text(), s.last.Text(), s.firstKind, s.lastKind,
                               s.page, s.pageFound, s.ignoredMessages, s.cause, s.wentOwnWay,
                               s.shutDown);
    }

    // Each file taken in whole, and in two pieces of which the second goes on from the
    // first, says the same of its run: what lets a run's files be read one at a time.
    void ExpectEachFileTakenInPiecesSaysTheSame() const {
        for (const fs::path& file : files) {
            const ParsedFile parsed = ParseLogFile(Read(file));
            const size_t n = parsed.lines.size();
            RunState whole;
            for (const LogLine& line : parsed.lines) whole.Take(View(line));
            for (const size_t cut : {size_t{0}, n / 3, n / 2, n > 0 ? n - 1 : 0}) {
                RunState front;
                RunState back;
                for (size_t i = 0; i < n; ++i) (i < cut ? front : back).Take(View(parsed.lines[i]));
                front.Continue(back);
                SCOPED_TRACE(file.string() + " cut at line " + std::to_string(cut));
                EXPECT_EQ(Fields(whole), Fields(front));
            }
        }
    }
    fs::path folder;
    std::vector<fs::path> files;
    std::mt19937 random{7};
};

}  // namespace

TEST(Corpus, EveryPathTheProgramTakesIsReadBackAsItHappened) {
    EXPECT_EQ(std::vector<std::string>{}, CheckFoldersUnder(VSH_REPORT_CORPUS));
}

// The corpus's root, read as a fleet, gives the rows that the report wrote before it read
// files one at a time (kept beside the corpus), byte for byte: by folder, then by start.
TEST(Corpus, TheRootReadAsAFleetGivesTheSameCsvAsBefore) {
    std::string csv = CsvText(SessionsIn({VSH_REPORT_CORPUS}));
    const std::string root = VSH_REPORT_CORPUS;
    for (size_t at = 0; (at = csv.find(root, at)) != std::string::npos;) {
        csv.replace(at, root.size(), "corpus");  // the reference names its folders so
    }
    std::ifstream reference(root + "/../corpus-sessions.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reference), {}), csv);
}

TEST(Corpus, FilesTakenAwayMidSessionStillJoinIntoOneSession) {
    const std::vector<Session> sessions =
        SessionsIn({std::string(VSH_REPORT_CORPUS) +
                    "/LogFaults.EveryLineLandsWholeInExactlyOneFileWhileFilesAreTakenAway"});
    ASSERT_EQ(1u, sessions.size());
    EXPECT_GT(sessions[0].files, 3);
    EXPECT_EQ(Outcome::kEnded, sessions[0].outcome);
}

// A filtered run (scripts/test -L faults) leaves the logs of the tests it ran: those are read
// back, and the ones it did not run are named, not failed.
TEST(Corpus, TheLogsOfThisTestRunAreReadBackForEachWidth) {
    const char* live = std::getenv("VSH_E2E_LOGS");
    if (live == nullptr || !fs::is_directory(live)) {
        GTEST_SKIP() << "VSH_E2E_LOGS names no folder of kept logs (scripts/test sets it)";
    }
    size_t checked = 0;
    for (const auto& width : fs::directory_iterator(live)) {
        SCOPED_TRACE(width.path().string());
        const std::vector<std::string> absent = CheckFoldersUnder(width.path());
        checked += std::size(kExpected) - absent.size();
        for (const std::string& test : absent) {
            std::cout << width.path().filename().string() << ": not run here: " << test << "\n";
        }
    }
    if (checked == 0) GTEST_SKIP() << "this run kept no logs of the tests read back here";
}

TEST_F(DamagedCopy, FilesCutShortAnywhereLoseAtMostTheirLastLine) {
    const size_t before = SessionsIn(Folders()).size();
    for (const fs::path& file : files) {
        const std::string bytes = Read(file);
        Write(file, bytes.substr(0, random() % (bytes.size() + 1)));
    }
    ReadCounts counts;
    const std::vector<Session> sessions = SessionsIn(Folders(), &counts);
    EXPECT_LE(counts.unreadableLines, static_cast<int>(files.size()));
    EXPECT_LE(sessions.size(), before);
    EXPECT_GT(sessions.size(), 0u);
    ExpectEachFileTakenInPiecesSaysTheSame();
}

TEST_F(DamagedCopy, GarbledBytesGarbageLinesAndForeignFilesAreCountedNotFatal) {
    for (const fs::path& file : files) {
        std::string bytes = Read(file);
        for (size_t i = 0; i < bytes.size() / 300; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        bytes.insert(bytes.find("\r\n") == std::string::npos ? 0 : bytes.find("\r\n") + 2,
                     "\x89PNG\x00\xff|||\r\n");
        Write(file, bytes);
    }
    Write(folder / "a foreign.log", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    Write(folder / "empty.log", "");
    Write(folder / "notes.txt", "not a log: not read");
    ReadCounts counts;
    const std::vector<std::string> sources = [&] {
        std::vector<std::string> s = Folders();
        s.push_back(folder.string());
        return s;
    }();
    const std::vector<Session> sessions = SessionsIn(sources, &counts);
    EXPECT_GT(counts.unreadableLines, static_cast<int>(files.size()));
    EXPECT_GE(counts.unreadableFiles, 2);  // the foreign and the empty one, and any garbled whole
    EXPECT_GT(sessions.size(), 0u);
    // Every row of the CSV still has its ten fields.
    const std::string csv = CsvText(sessions);
    size_t rows = 0;
    for (size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string row = csv.substr(start, end - start);
        int fields = 1;
        bool quoted = false;
        for (const char c : row) {
            if (c == '"') quoted = !quoted;
            if (c == ',' && !quoted) ++fields;
        }
        EXPECT_EQ(10, fields) << row;
        ++rows;
    }
    EXPECT_EQ(sessions.size() + 1, rows);
    ExpectEachFileTakenInPiecesSaysTheSame();
}
