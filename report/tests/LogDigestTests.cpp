// A log file taken in line by line in pieces: the same digest however its bytes are cut, and
// a line past the bound dropped as one unreadable line.

#include "report/LogDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a digest says, in one comparable line.
std::string Described(const FileDigest& d) {
    const RunState& s = d.state;
    return std::to_string(d.unreadable) + " unreadable, " +
           (s.empty ? std::string("empty")
                    : s.first.Text() + " to " + s.last.Text() + ", page " + s.page + ", cause " +
                          (s.cause ? OutcomeName(*s.cause) : "none") + ", ignored " +
                          std::to_string(s.ignoredMessages) + (s.shutDown ? ", shut down" : ""));
}

FileDigest InPieces(const std::string& bytes, size_t pieceBytes) {
    LogDigester digester;
    for (size_t at = 0; at < bytes.size(); at += pieceBytes) {
        digester.Feed(std::string_view(bytes).substr(at, pieceBytes));
    }
    return digester.Finish();
}

const std::string kLong(kLogLineBytesAtMost, 'x');

}  // namespace

TEST(LogDigest, AnyCutOfTheBytesGivesTheDigestOfTheWhole) {
    const std::string good =
        "261207|120000|305|Starting new UTC Logfile with limit of 1024k per file|\r\n"
        "261207|120000|100|PageName=Home|\r\n"
        "261207|120001|999|Received sessionend message, closing application|\r\n";
    const std::string closing =
        "261207|120002|306|LogFile Destroy Method Called. Shutting down log file|\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        int unreadable;
    } cases[] = {
        {"whole lines", good + closing, 0},
        {"a line cut short at the end", good + closing.substr(0, 20), 1},
        {"a CR alone inside a line", good + "garbage\rstill garbage\r\n" + closing, 1},
        {"a line one byte past the bound", good + "261207|120001|100|" + kLong + "|\r\n" + closing,
         1},
        {"a line at the bound is read",
         good + "261207|120001|100|" + kLong.substr(19) + "|\r\n" + closing, 0},
        {"a line of megabytes without an end", good + std::string(3 << 20, '\0'), 1},
        {"a line of megabytes, then more lines",
         good + std::string(3 << 20, 'y') + "\r\n" + closing + "\r\n\r\n", 1},
    };
    for (const Case& c : cases) {
        const std::string whole = Described(DigestLogFile(c.bytes));
        EXPECT_EQ(c.unreadable, DigestLogFile(c.bytes).unreadable) << c.what;
        for (size_t piece : {1ul, 2ul, 3ul, 7ul, 64ul, 4099ul, size_t{1} << 20}) {
            EXPECT_EQ(whole, Described(InPieces(c.bytes, piece)))
                << c.what << ", pieces of " << piece;
        }
    }
    // Past the long line, the file reads on as if it were not there.
    const FileDigest clean = DigestLogFile(good + closing);
    EXPECT_EQ(Described({clean.state, 1}),
              Described(DigestLogFile(good + std::string(3 << 20, 'y') + "\r\n" + closing)));
}
