#include "tests/e2e/EndToEnd.h"

#include <algorithm>

#include "logging/LogStatement.h"
#include "logging/TextConversion.h"

void EndToEnd::SetUp() {
    KioskRegistry::RemoveAll();
    registry =
        std::make_unique<KioskRegistry>(kioskFolder.Path() + L"Korvane.exe", KEY_WOW64_32KEY);
}

void EndToEnd::TearDown() {
    registry.reset();
    KeepLogsOf(LogFolder());
}

void KeepLogsOf(const std::wstring& logFolder) {
    wchar_t keep[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VSH_KEEP_LOGS", keep, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::vector<std::wstring> names = FilesIn(logFolder);
    if (names.empty()) return;
    std::wstring folder = WindowsFolder(std::wstring(keep, length));
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring programFolder = ProgramUnderTestFolder();
    programFolder.pop_back();
    folder += programFolder.substr(programFolder.rfind(L'\\') + 1) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    folder += std::wstring(name.begin(), name.end()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& file : names) {
        CopyFileW((logFolder + file).c_str(), (folder + file).c_str(), FALSE);
    }
}

bool EndToEnd::Launch(const std::wstring& arguments, WORD showWindow) {
    return program.Start(kProgramName, arguments, showWindow);
}

bool EndToEnd::CopyProgramTo(const std::wstring& folder) {
    return CopyFileW((ProgramUnderTestFolder() + kProgramName).c_str(),
                     (folder + kProgramName).c_str(), FALSE) != FALSE;
}

bool EndToEnd::WaitForSessionStart() {
    return PumpUntil([this] { return !kiosk.Received().empty(); }, kProgramExitBoundMs);
}

HWND EndToEnd::MainWindow() const {
    if (kiosk.Received().empty()) return nullptr;
    return reinterpret_cast<HWND>(kiosk.Received().front().sender);
}

void EndToEnd::Reply(const std::string& bytes, ULONG_PTR identifier) const {
    FakeKiosk::Send(MainWindow(), identifier, bytes);
}

std::vector<std::string> EndToEnd::LogLines() const {
    return LogFolderLines(LogFolder());
}

std::vector<std::string> EndToEnd::LogTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : LogLines()) texts.push_back(LineText(line));
    return texts;
}

bool EndToEnd::LogHas(const std::string& text) const {
    return IndexOf(text) != std::string::npos;
}

size_t EndToEnd::IndexOf(const std::string& text) const {
    const std::vector<std::string> texts = LogTexts();
    const auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? std::string::npos : static_cast<size_t>(found - texts.begin());
}

std::string EndToEnd::FoundLine(const char* opening, HWND target, HWND form) {
    return std::string(opening) + "[vistalyneWindowHandle | " + WideToNarrow(FormatHandle(target)) +
           "] [tKorvaneForm (can be null) | " + WideToNarrow(FormatHandle(form)) + "] ";
}
