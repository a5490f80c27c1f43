// Faults of the kiosk application and of other programs that talk to the session handler: a
// kiosk killed mid-session, hostile copy-data senders, and two sessions side by side.

#include <windows.h>

#include <cstdint>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "support/MonotonicClock.h"
#include "tests/e2e/EndToEnd.h"
#include "tests/support/StrictLog.h"

namespace {

const char kReceipt[] = "Received message from vistalyne | ID: ";
const char kMessage[] = " | Message: ";
const char kWrongId[] = "Identifier is wrong, ignoring message";

class KioskFaults : public EndToEnd {};

bool IsReceipt(const std::string& text) {
    return text.compare(0, sizeof(kReceipt) - 1, kReceipt) == 0;
}

// The identifier and the text of a receipt line.
std::pair<std::string, std::string> ReceiptParts(const std::string& text) {
    const size_t message = text.find(kMessage);
    if (!IsReceipt(text) || message == std::string::npos) return {};
    return {text.substr(sizeof(kReceipt) - 1, message - (sizeof(kReceipt) - 1)),
            text.substr(message + sizeof(kMessage) - 1)};
}

// The file names of a log folder with their strictly read lines.
std::map<std::wstring, StrictLog> StrictLogFolder(const std::wstring& folder) {
    std::map<std::wstring, StrictLog> files;
    for (const std::wstring& name : FilesIn(folder)) {
        files[name] = ReadStrictLog(ReadWholeFile(folder + name));
    }
    return files;
}

}  // namespace

TEST_F(KioskFaults, AKioskKilledMidSessionEndsItAtTheNextLivenessCheck) {
    ChildProcess standIn;
    ASSERT_TRUE(
        standIn.Start(L"KioskStandIn.exe", L"--active-after=50 --end-after=-1 --lifetime=60000"));
    ASSERT_TRUE(PumpUntil([] { return FindWindowW(L"TKorvaneFrm", nullptr) != nullptr; },
                          kProgramExitBoundMs));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(PumpUntil(
        [&] { return LogHas("Received sessionactive message, delaying application shutdown"); },
        kProgramExitBoundMs));
    PumpFor(1200);  // past the first tick: the timer now runs at its short period
    const double killed = ElapsedMilliseconds();
    ASSERT_TRUE(standIn.Terminate());
    ASSERT_TRUE(WaitForExit());
    const double took = ElapsedMilliseconds() - killed;
    std::cout << "kill to exit: " << took << " ms\n";
    EXPECT_EQ(0u, program.ExitCode());
    // One 500 ms check interval, a 10 ms tick and the shut-down, on a loaded machine.
    EXPECT_LT(took, 1500.0);
    const std::vector<std::string> texts = LogTexts();
    const size_t gone = IndexOf("Vistalyne handle cannot be found, posting quit messsage");
    ASSERT_NE(std::string::npos, gone);
    EXPECT_EQ("Destructed VistalyneMessageProcessor", texts.at(gone + 1));
    EXPECT_EQ("LogFile Destroy Method Called. Shutting down log file", texts.back());
}

TEST_F(KioskFaults, HostileCopyDataYieldsOneReceiptEachAndChangesNothing) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");

    // Each message opens with its number, so its receipt can be told apart; the rest is
    // NULs, bytes that are not UTF-8, line breaks, field separators and plain text.
    std::mt19937 random(20261208);
    const char hostile[] = {'\0', '\r', '\n', '|', 'a', 'Z', ' ', '\xC3', '\xFF', '\x80', '\xE2'};
    struct Sent {
        std::string identifier;  // as the receipt shows it: the low 32 bits, signed
        std::string tag;         // empty when the text ends before its tag does
    };
    std::vector<Sent> sent;
    const int kMessages = 300;
    for (int i = 0; i < kMessages; ++i) {
        // Any 32-bit identifier: that is all a 32-bit receiver can be given (what the platform
        // does with higher bits differs between Windows and Wine).
        ULONG_PTR identifier = 100;
        switch (i % 4) {
            case 1:
            case 2:
                identifier = random();
                break;
            case 3:
                identifier = i % 8 == 3 ? 0 : 0xFFFFFFFFu;
                break;
        }
        size_t size = random() % 200;
        if (i % 50 == 7) size = 65536;
        if (i % 50 == 8) size = 0;
        std::string bytes = "#" + std::to_string(i) + ":";
        while (bytes.size() < size) bytes.push_back(hostile[random() % sizeof(hostile)]);
        bytes.resize(size);
        const std::string tag = "#" + std::to_string(i) + ":";
        sent.push_back({std::to_string(static_cast<std::int32_t>(identifier & 0xFFFFFFFFu)),
                        size >= tag.size() ? tag : ""});
        Reply(bytes, identifier);
    }
    EXPECT_FALSE(program.WaitForExit(300));  // none of it ended the session
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());

    std::vector<std::string> texts;
    for (const auto& file : StrictLogFolder(LogFolder())) {
        EXPECT_EQ("", file.second.problem);
        for (const std::string& line : file.second.lines) texts.push_back(LineText(line));
    }
    const size_t first = IndexOf("Received sessionactive message, delaying application shutdown");
    ASSERT_NE(std::string::npos, first);
    size_t at = first + 1;
    for (int i = 0; i < kMessages; ++i) {
        ASSERT_LT(at, texts.size());
        const auto parts = ReceiptParts(texts[at]);
        ASSERT_EQ(sent[i].identifier, parts.first) << "message " << i << ": " << texts[at];
        EXPECT_EQ(0u, parts.second.find(sent[i].tag)) << "message " << i;
        ++at;
        if (sent[i].identifier != "100") {
            ASSERT_LT(at, texts.size());
            EXPECT_EQ(kWrongId, texts[at]) << "message " << i;
            ++at;
        }
    }
    ASSERT_LT(at + 1, texts.size());
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionend", texts[at]);
    EXPECT_EQ("Received sessionend message, closing application", texts[at + 1]);
}

TEST_F(KioskFaults, TwoSessionsSideBySideWriteTheirOwnWholeFiles) {
    HWND firstTarget = kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch(L"PageName=One"));
    ASSERT_TRUE(WaitForSessionStart());
    // A newer form lies above the first in the window order, so the second instance finds it.
    HWND secondTarget = kiosk.CreateTarget(kiosk.CreateForm());
    ChildProcess second;
    ASSERT_TRUE(second.Start(L"VistalyneSessionHandler.exe", L"PageName=Two"));
    ASSERT_TRUE(PumpUntil([&] { return kiosk.Received().size() == 2; }, kProgramExitBoundMs));
    ASSERT_EQ(firstTarget, kiosk.Received()[0].receiver);
    ASSERT_EQ(secondTarget, kiosk.Received()[1].receiver);
    const HWND mains[] = {reinterpret_cast<HWND>(kiosk.Received()[0].sender),
                          reinterpret_cast<HWND>(kiosk.Received()[1].sender)};
    for (HWND main : mains) FakeKiosk::Send(main, 100, "sessionactive");

    const int kMessages = 300;
    std::vector<std::thread> senders;
    for (int instance = 0; instance < 2; ++instance) {
        senders.emplace_back([&mains, instance] {
            for (int i = 0; i < kMessages; ++i) {
                FakeKiosk::Send(mains[instance], 100,
                                (instance == 0 ? "one-" : "two-") + std::to_string(i));
            }
        });
    }
    for (std::thread& sender : senders) sender.join();
    for (HWND main : mains) FakeKiosk::Send(main, 100, "sessionend");
    ASSERT_TRUE(WaitForExit());
    ASSERT_TRUE(second.WaitForExit(kProgramExitBoundMs));
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(0u, second.ExitCode());

    const auto files = StrictLogFolder(LogFolder());
    ASSERT_EQ(2u, files.size());
    std::vector<std::string> owners;
    for (const auto& file : files) {
        EXPECT_EQ("", file.second.problem);
        // Each file holds one instance's messages, every one of them, in order.
        std::string owner;
        int next = 0;
        for (const std::string& line : file.second.lines) {
            const std::string text = ReceiptParts(LineText(line)).second;
            if (text.size() < 5 ||
                (text.compare(0, 4, "one-") != 0 && text.compare(0, 4, "two-") != 0)) {
                continue;
            }
            if (owner.empty()) owner = text.substr(0, 4);
            EXPECT_EQ(owner + std::to_string(next), text);
            ++next;
        }
        EXPECT_EQ(kMessages, next) << "in the file of " << owner;
        owners.push_back(owner);
    }
    EXPECT_NE(owners[0], owners[1]);
}
