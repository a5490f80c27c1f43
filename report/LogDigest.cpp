#include "report/LogDigest.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr size_t kReadPieceBytes = 1 << 20;
constexpr char kLineEnd[] = "\r\n";

}  // namespace

void LogDigester::Feed(std::string_view piece) {
    // Lines are read where they stand in the piece; only a line's start that the piece ends
    // in is copied, to be joined to the next.
    fed += piece.size();
    std::string_view bytes = piece;
    size_t searchFrom = 0;  // what came before holds no line end, but may end in its CR
    if (!pending.empty()) {
        searchFrom = pending.size() - 1;
        pending.append(piece);
        bytes = pending;
    }
    size_t start = 0;
    if (overlong) {
        const size_t end = bytes.find(kLineEnd, searchFrom);
        if (end == std::string_view::npos) {
            // Nothing of the long line is kept but a CR that a LF in the next piece may end.
            const bool endsInCr = !bytes.empty() && bytes.back() == '\r';
            pending.assign(endsInCr ? "\r" : "");
            return;
        }
        ++digest.unreadable;
        overlong = false;
        start = end + 2;
    }
    size_t lastEnd = bytes.substr(searchFrom).rfind(kLineEnd);
    if (lastEnd != std::string_view::npos) lastEnd += searchFrom;
    if (lastEnd != std::string_view::npos && lastEnd + 2 > start) {
        digest.unreadable +=
            ForEachLogLine(bytes.substr(start, lastEnd + 2 - start),
                           [this](const LogLineView& line) { digest.state.Take(line); });
        start = lastEnd + 2;
    }
    wholeBytes = fed - (bytes.size() - start);
    if (bytes.size() - start > kLogLineBytesAtMost + 1) {  // past the bound, even less a CR
        overlong = true;
        pending.assign(bytes.back() == '\r' ? "\r" : "");
    } else if (bytes.data() == pending.data()) {
        pending.erase(0, start);
    } else {
        pending.assign(bytes.substr(start));
    }
}

FileDigest LogDigester::Finish() {
    if (overlong) {
        ++digest.unreadable;
    } else {
        digest.unreadable +=
            ForEachLogLine(pending, [this](const LogLineView& line) { digest.state.Take(line); });
    }
    pending.clear();
    overlong = false;
    FileDigest done = std::move(digest);
    digest = FileDigest();
    return done;
}

FileDigest DigestLogFile(std::string_view bytes) {
    LogDigester digester;
    digester.Feed(bytes);
    return digester.Finish();
}

bool DigestLogFileAt(const std::filesystem::path& path, std::string& buffer, FileDigest& digest,
                     std::uint64_t& bytesRead) {
    LogDigester digester;
    if (!FeedLogFileFrom(path, 0, buffer, digester, bytesRead)) return false;
    digest = digester.Finish();
    return true;
}

bool FeedLogFileFrom(const std::filesystem::path& path, std::uint64_t offset, std::string& buffer,
                     LogDigester& digester, std::uint64_t& bytesRead, std::string* head,
                     size_t headBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    if (offset > 0 && !in.seekg(static_cast<std::streamoff>(offset))) return false;
    buffer.resize(kReadPieceBytes);
    // Read to its end, whatever its size was: a file that grows or shrinks meanwhile is
    // taken as far as it goes.
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<size_t>(in.gcount());
        bytesRead += got;
        if (head != nullptr && head->size() < headBytes) {
            head->append(buffer.data(), std::min(got, headBytes - head->size()));
        }
        digester.Feed(std::string_view(buffer.data(), got));
    }
    return !in.bad();
}
