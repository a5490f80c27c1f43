#include "logging/LogFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "logging/LogStatement.h"
#include "logging/PathParts.h"
#include "logging/ProgramIdentity.h"
#include "logging/TextConversion.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr char kMissingNotice[] = "Starting new file from missing previous (log file copied out)";

class LogFileTest : public ::testing::Test {
protected:
    std::vector<std::string> Lines(const std::wstring& path) const {
        return SplitLogLines(ReadWholeFile(path));
    }
    std::vector<std::string> Texts(const std::wstring& path) const {
        std::vector<std::string> texts;
        for (const std::string& line : Lines(path)) texts.push_back(LineText(line));
        return texts;
    }
    bool StartsWith(const std::string& text, const std::string& prefix) const {
        return text.compare(0, prefix.size(), prefix) == 0;
    }
    TempFolder folder;
};

// File names carry GetTickCount's remainder, and the tick count moves in steps of several
// milliseconds under Wine: wait for the next step, so the next file gets another name.
void WaitForTheTickCountToMove() {
    const DWORD start = GetTickCount();
    while (GetTickCount() == start) Sleep(1);
}

std::string TwoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof(buffer), "%02i", value);
    return buffer;
}

std::string StampOf(const SYSTEMTIME& t) {
    return TwoDigits(t.wYear - 2000) + TwoDigits(t.wMonth) + TwoDigits(t.wDay) + "|" +
           TwoDigits(t.wHour) + TwoDigits(t.wMinute) + TwoDigits(t.wSecond);
}

}  // namespace

TEST_F(LogFileTest, WritesTheLineFormatByteForByte) {
    auto log = std::make_unique<LogFile>(folder.Path(), L"plain", 0, false, false, true);
    SYSTEMTIME before{}, after{};
    GetSystemTime(&before);
    log->Log(999, L"one\r\ntwo\rthree\nfour  five    six|");
    log->Log(999, L"");
    GetSystemTime(&after);
    const std::string bytes = ReadWholeFile(folder.Path() + L"plain.log");
    const std::vector<std::string> lines = SplitLogLines(bytes);
    ASSERT_EQ(3u, lines.size());
    const std::string stamp = lines[1].substr(0, 13);
    const std::string nextStamp = lines[2].substr(0, 13);
    EXPECT_TRUE(stamp == StampOf(before) || stamp == StampOf(after)) << stamp;
    EXPECT_TRUE(nextStamp == StampOf(before) || nextStamp == StampOf(after)) << nextStamp;
    // Breaks flattened, blank pairs folded once, "|" left as it is, an empty text kept empty.
    EXPECT_EQ(stamp + "|999|one two three four five  six||\r\n" + nextStamp + "|999||\r\n",
              bytes.substr(bytes.find("\r\n") + 2));
    EXPECT_EQ(bytes.size(), log->BytesWritten());
}

TEST_F(LogFileTest, NamesFilesAfterTheProgramAndTheUtcStart) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    LogFile limited(folder.Path(), L"", L".log", 1024, true, false, false);
    LogFile unlimited(folder.Path() + L"sub", L"pre", L".txt", 0, true, false, false);
    const std::wstring limitedName = FileNamePart(limited.CurrentPath());
    const std::wstring program = FileNamePart(ModulePath());
    // "<program> dd-mm-yyyy hh-mm-ss-tttt.log"
    ASSERT_EQ(program.size() + 25 + 4, limitedName.size()) << limitedName;
    EXPECT_EQ(program + L" ", limitedName.substr(0, program.size() + 1));
    wchar_t date[32];
    std::swprintf(date, 32, L"%02i-%02i-%04i", now.wDay, now.wMonth, now.wYear);
    EXPECT_EQ(date, limitedName.substr(program.size() + 1, 10));
    EXPECT_EQ(L'-', limitedName[program.size() + 20]);
    EXPECT_EQ(L".log", limitedName.substr(limitedName.size() - 4));
    EXPECT_EQ(folder.Path(), DirectoryPart(limited.CurrentPath()));
    // No size limit: no tick remainder; a missing folder is created with the backslash added.
    const std::wstring unlimitedName = FileNamePart(unlimited.CurrentPath());
    EXPECT_EQ(3u + 20u + 4u, unlimitedName.size()) << unlimitedName;
    EXPECT_EQ(folder.Path() + L"sub\\", DirectoryPart(unlimited.CurrentPath()));
    EXPECT_EQ(1u, FilesIn(folder.Path() + L"sub\\").size());
}

TEST_F(LogFileTest, FirstLineIsTheBannerForItsSettings) {
    const std::string program = WideToNarrow(FileNamePart(ModulePath()));
    LogFile perDay(folder.Path() + L"a", L"a", 1024, true, false, true);
    LogFile plain(folder.Path() + L"b", L"b", 0, false, false, true);
    const std::vector<std::string> perDayLines = Lines(perDay.CurrentPath());
    ASSERT_EQ(1u, perDayLines.size());
    EXPECT_EQ("305", LineCode(perDayLines[0]));
    const std::string session = std::to_string(static_cast<int>(WTSGetActiveConsoleSessionId()));
    EXPECT_EQ(
        "Starting new UTC Logfile with limit of 1024k per file and starting a new one each "
        "day[" +
            program + "|Unknown] [Session ID: " + session + "]",
        LineText(perDayLines[0]));
    EXPECT_EQ("Starting new UTC Logfile[" + program + "|Unknown] [Session ID: " + session + "]",
              Texts(plain.CurrentPath()).at(0));
}

TEST_F(LogFileTest, DeletedOrMovedFileMakesTheNextLineStartANewOne) {
    LogFile log(folder.Path(), L"", L".log", 1024, true, false, false);
    log.Log(999, L"first");
    const std::wstring firstPath = log.CurrentPath();
    ASSERT_TRUE(DeleteFileW(firstPath.c_str()));
    WaitForTheTickCountToMove();  // a different tick remainder, so the new name differs
    log.Log(999, L"second");
    const std::wstring secondPath = log.CurrentPath();
    ASSERT_NE(firstPath, secondPath);
    std::vector<std::string> texts = Texts(secondPath);
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(kMissingNotice, texts[0]);
    EXPECT_TRUE(StartsWith(texts[1], "Starting next UTC logfile with limit of 1024k")) << texts[1];
    EXPECT_EQ("second", texts[2]);
    EXPECT_EQ("305", LineCode(Lines(secondPath)[0]));

    ASSERT_TRUE(MoveFileW(secondPath.c_str(), (folder.Path() + L"moved.txt").c_str()));
    WaitForTheTickCountToMove();
    log.Log(999, L"third");
    texts = Texts(log.CurrentPath());
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(kMissingNotice, texts[0]);
    EXPECT_EQ("third", texts[2]);
    EXPECT_EQ("second", Texts(folder.Path() + L"moved.txt").back());  // never touched again
}

TEST_F(LogFileTest, FileHeldWithoutReadSharingCountsAsMissing) {
    LogFile log(folder.Path(), L"", L".log", 1024, true, false, false);
    const std::wstring firstPath = log.CurrentPath();
    HANDLE holder =
        CreateFileW(firstPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    WaitForTheTickCountToMove();
    log.Log(999, L"line");
    CloseHandle(holder);
    ASSERT_NE(firstPath, log.CurrentPath());
    const std::vector<std::string> texts = Texts(log.CurrentPath());
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(kMissingNotice, texts[0]);
    EXPECT_EQ("line", texts[2]);
}

TEST_F(LogFileTest, RotatesExactlyWhenWholeKilobytesWrittenExceedTheLimit) {
    LogFile log(folder.Path(), L"", L".log", 1, false, false, false);
    const std::wstring firstPath = log.CurrentPath();
    const std::wstring text(40, L'x');
    std::uint32_t before = 0;
    int calls = 0;
    while (log.CurrentPath() == firstPath && calls < 200) {
        before = log.BytesWritten();
        Sleep(1);  // the next file name needs another tick remainder
        log.Log(999, text);
        ++calls;
        if (log.CurrentPath() == firstPath) {
            EXPECT_LE(before / 1024, 1u);
        }
    }
    ASSERT_NE(firstPath, log.CurrentPath());
    EXPECT_GT(before / 1024, 1u);
    EXPECT_LT(before, 2048u + 64u);  // the first call past the limit rotated
    const std::vector<std::string> oldLines = Lines(firstPath);
    EXPECT_EQ("306", LineCode(oldLines.back()));
    EXPECT_EQ("Log file too big, Creating New Log File. Shutting down this log file",
              LineText(oldLines.back()));
    const std::vector<std::string> newTexts = Texts(log.CurrentPath());
    ASSERT_EQ(2u, newTexts.size());
    EXPECT_TRUE(StartsWith(newTexts[0], "Starting next UTC logfile with limit of 1k per file["));
    EXPECT_EQ(std::string(40, 'x'), newTexts[1]);
}

TEST_F(LogFileTest, CountsOnlyWhatThisObjectWrote) {
    const std::wstring path = folder.Path() + L"fixed.log";
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        const std::string old(5000, 'o');
        DWORD written = 0;
        WriteFile(file, old.data(), static_cast<DWORD>(old.size()), &written, nullptr);
        CloseHandle(file);
    }
    LogFile log(folder.Path(), L"fixed", 1, false, false, true);
    const std::uint32_t banner = log.BytesWritten();
    EXPECT_LT(banner, 1024u);
    log.Log(999, L"line");
    EXPECT_EQ(path, log.CurrentPath());
    EXPECT_EQ(5000u + log.BytesWritten(), ReadWholeFile(path).size());
}

TEST_F(LogFileTest, DestructionWritesItsClosingLine) {
    std::wstring path;
    {
        LogFile log(folder.Path(), L"", L".log", 1024, true, false, false);
        path = log.CurrentPath();
    }
    std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("306", LineCode(lines[1]));
    EXPECT_EQ("LogFile Destroy Method Called. Shutting down log file", LineText(lines[1]));

    { LogFile fixed(folder.Path(), L"fixed", 0, false, false, true); }
    lines = Lines(folder.Path() + L"fixed.log");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("LogFile Destroy Method Called. Shutting down log file", LineText(lines[1]));
    EXPECT_EQ(std::string(93, '-'), LineText(lines[2]));
    EXPECT_EQ("", LineText(lines[3]));
    EXPECT_EQ("306", LineCode(lines[3]));
}

TEST_F(LogFileTest, ALogNeverDestroyedGetsTheExitWarningAsItsLastLine) {
    ChildProcess keep;
    ASSERT_TRUE(keep.Start(L"LogExitHelper.exe", L"\"" + folder.Path() + L"kept\" keep"));
    ASSERT_TRUE(keep.WaitForExit(20000));
    EXPECT_EQ(0u, keep.ExitCode());
    const std::vector<std::string> kept = Lines(folder.Path() + L"kept\\helper.log");
    ASSERT_EQ(3u, kept.size());
    EXPECT_EQ("helper line", LineText(kept[1]));
    EXPECT_EQ("307", LineCode(kept[2]));
    EXPECT_EQ("Logfile class destroyed by LogFileManager - WARNING: Could be improper shutdown",
              LineText(kept[2]));

    ChildProcess destroy;
    ASSERT_TRUE(
        destroy.Start(L"LogExitHelper.exe", L"\"" + folder.Path() + L"destroyed\" destroy"));
    ASSERT_TRUE(destroy.WaitForExit(20000));
    const std::vector<std::string> destroyed = Lines(folder.Path() + L"destroyed\\helper.log");
    ASSERT_EQ(5u, destroyed.size());  // banner, line, closing line, rule, empty line
    for (const std::string& line : destroyed) EXPECT_NE("307", LineCode(line));
}

TEST_F(LogFileTest, AnUncreatableFolderDropsEveryLineQuietly) {
    const std::wstring blocker = folder.Path() + L"blocker";
    HANDLE file = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(file);
    {
        LogFile log(blocker + L"\\logs", L"", L".log", 1024, true, false, false);
        log.Log(999, L"lost");
        log.Log(999, L"lost too");
        EXPECT_EQ(0u, log.BytesWritten());
    }
    EXPECT_EQ(std::vector<std::wstring>{L"blocker"}, FilesIn(folder.Path()));
    EXPECT_EQ("", ReadWholeFile(blocker));
}
