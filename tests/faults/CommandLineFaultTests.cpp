// The longest command line a launcher can pass, made of arbitrary text: control characters,
// quotes, equals signs and characters outside the ANSI code page.

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <map>
#include <random>

#include "tests/e2e/EndToEnd.h"

namespace {

// The characters used, each with the byte it becomes in a log file in code page 1252.
struct Character {
    wchar_t wide;
    char ansi;
};
const Character kAlphabet[] = {
    {L'a', 'a'},         {L'Z', 'Z'},      {L'7', '7'},      {L'"', '"'},       {L'=', '='},
    {L'\\', '\\'},       {L'|', '|'},      {L'\t', '\t'},    {L'\x01', '\x01'}, {L'\x1B', '\x1B'},
    {L'\x7F', '\x7F'},   {L'\r', '\r'},    {L'\n', '\n'},    {L'\xE9', '\xE9'}, {L'\xDF', '\xDF'},
    {L'\x20AC', '\x80'}, {L'\x4E2D', '?'}, {L'\x0416', '?'}, {L'\x2603', '?'},
};

std::string Ansi(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        char byte = static_cast<char>(c);
        for (const Character& known : kAlphabet) {
            if (known.wide == c) byte = known.ansi;
        }
        bytes.push_back(byte);
    }
    return bytes;
}

void Replace(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

// A log line's text as a reader finds it: line breaks become blanks, pairs of blanks one.
std::string AsLogged(const std::wstring& text) {
    std::string bytes = Ansi(text);
    Replace(bytes, "\r\n", " ");
    Replace(bytes, "\r", " ");
    Replace(bytes, "\n", " ");
    Replace(bytes, "  ", " ");
    return bytes;
}

class CommandLineFaults : public EndToEnd {};

}  // namespace

TEST_F(CommandLineFaults, TheLongestCommandLineOfArbitraryTextIsParsedExactly) {
    ASSERT_EQ(1252u, GetACP()) << "the expected bytes are those of code page 1252";
    // The whole command line, the program's quoted path and the terminating zero included,
    // may hold 32,767 characters.
    const size_t length =
        32767 - 1 - (ProgramUnderTestFolder().size() + std::wcslen(kProgramName) + 3);
    std::mt19937 random(32767);
    std::wstring arguments;
    std::map<std::wstring, std::wstring> pairs;  // what the parser must find: first key wins
    auto add = [&](const std::wstring& token, bool isPair, const std::wstring& key,
                   const std::wstring& value) {
        if (!arguments.empty()) arguments += L' ';
        arguments += token;
        if (isPair) pairs.emplace(key, value);
    };
    add(L"PageName=first", true, L"PageName", L"first");
    for (int n = 0; arguments.size() + 60 < length; ++n) {
        std::wstring value;
        const size_t size = random() % 40;
        for (size_t i = 0; i < size; ++i) value += kAlphabet[random() % std::size(kAlphabet)].wide;
        const std::wstring key = L"k" + std::to_wstring(n);
        switch (n % 10) {
            case 3:  // no equals sign: dropped
                add(L"word" + std::to_wstring(n), false, L"", L"");
                break;
            case 5:  // a repeated key: dropped
                add(L"PageName=second" + value, false, L"", L"");
                break;
            case 7:  // an empty token before it
                arguments += L' ';
                add(key + L"=" + value, true, key, value);
                break;
            default:
                add(key + L"=" + value, true, key, value);
        }
    }
    const std::wstring padding(length - arguments.size() - 1 - std::wcslen(L"klast="), L'x');
    add(L"klast=" + padding, true, L"klast", padding);
    ASSERT_EQ(length, arguments.size());

    kiosk.CreateTarget(kiosk.CreateForm());
    kiosk.OnReceive([](const ReceivedCopyData& start) {
        FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionend");
    });
    ASSERT_TRUE(Launch(arguments));
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    ASSERT_FALSE(kiosk.Received().empty());
    EXPECT_EQ("sessionstart:first", kiosk.Received().front().bytes);

    std::vector<std::string> expected = {"Preparing Vistalyne Session Handler",
                                         AsLogged(L"Processing commandline: " + arguments)};
    for (const auto& pair : pairs)
        expected.push_back(AsLogged(L"[" + pair.first + L"," + pair.second + L"]"));
    expected.push_back("Searching for vistalyne window handle for 5000 milliseconds");
    std::vector<std::string> texts = LogTexts();
    ASSERT_GT(texts.size(), expected.size());
    texts.erase(texts.begin());  // the banner
    texts.resize(expected.size());
    ASSERT_EQ(expected.size(), texts.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], texts[i]) << "line " << i;
    }
}
