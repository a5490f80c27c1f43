#include "report/StateFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "report/OutputFile.h"

namespace {

constexpr auto kLockRetry = std::chrono::milliseconds(50);

// Flushes a written file to disk and closes it.
bool CloseToDisk(std::FILE* file) {
    const bool ok = FlushToDisk(file);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

StateLock::~StateLock() {
#ifdef _WIN32
    if (handle != nullptr) CloseHandle(handle);
#else
    if (descriptor >= 0) close(descriptor);
#endif
}

bool StateLock::Take(const std::string& statePath, std::chrono::milliseconds wait,
                     std::string& why) {
    const std::string path = statePath + ".lock";
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
#ifdef _WIN32
        // Opened with no sharing: a second run cannot open it while the first holds it.
        HANDLE file = CreateFileW(std::filesystem::path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle = file;
            return true;
        }
        const bool busy = GetLastError() == ERROR_SHARING_VIOLATION;
        if (!busy) {
            why = path + ": cannot be made (error " + std::to_string(GetLastError()) + ")";
            return false;
        }
#else
        if (descriptor < 0) descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            why = path + ": cannot be made: " + std::strerror(errno);
            return false;
        }
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            why = path + ": cannot be locked: " + std::strerror(errno);
            return false;
        }
#endif
        if (std::chrono::steady_clock::now() >= until) {
            why = "busy: another run of the report holds " + path;
            return false;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}

LoadedState LoadState(const std::string& path) {
    LoadedState loaded;
    std::ifstream in(path, std::ios::binary);
    if (!in) return loaded;  // none yet: a new count
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why = in.bad() ? "could not be read" : "";
    std::optional<CountState> state;
    if (why.empty()) state = ParseCountState(text, why);
    if (state) {
        loaded.state = std::move(*state);
        loaded.found = true;
        return loaded;
    }
    in.close();
    std::error_code error;
    std::filesystem::rename(path, path + ".damaged", error);
    loaded.note = path + ": " + why + "; " +
                  (error ? "could not be set aside (" + error.message() + ")"
                         : "set aside as " + path + ".damaged") +
                  "; a new count begins";
    return loaded;
}

bool SaveState(const std::string& path, const CountState& state, std::string& why) {
    const std::string text = CountStateText(state);
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) ok = CloseToDisk(file) && ok;
    std::error_code error;
    if (ok) std::filesystem::rename(temporary, path, error);
    if (ok && !error) return true;
    why = path + ": could not be written: " +
          (error ? error.message() : std::string(std::strerror(errno)));
    std::filesystem::remove(temporary, error);
    return false;
}

std::uint64_t FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

std::string PendingPath(const std::string& path) {
    return path + ".pending";
}

bool AppendPending(const std::string& path, const PendingLines& pending, std::string& why) {
    const std::uint64_t size = FileSize(path);
    // What the file holds of the lines; none when somebody replaced or cut it meanwhile.
    std::uint64_t there =
        size >= pending.before ? std::min(size - pending.before, pending.length) : 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");  // made when there is none yet
    if (file == nullptr) {
        why = path + ": cannot be appended to: " + std::strerror(errno);
        return false;
    }
    std::ifstream lines(PendingPath(path), std::ios::binary);
    lines.seekg(static_cast<std::streamoff>(there));
    std::string piece(1 << 20, '\0');
    bool ok = true;
    while (ok && there < pending.length && lines) {
        lines.read(piece.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(
                                     piece.size(), pending.length - there)));
        const auto got = static_cast<size_t>(lines.gcount());
        ok = std::fwrite(piece.data(), 1, got, file) == got;
        there += got;
    }
    ok = CloseToDisk(file) && ok;
    if (!ok) {
        why = path + ": could not be appended to: " + std::strerror(errno);
        return false;
    }
    if (there < pending.length) {
        why = PendingPath(path) + ": missing or cut short; " +
              std::to_string(pending.length - there) + " bytes of JSON Lines are lost";
    }
    lines.close();
    std::error_code ignored;
    std::filesystem::remove(PendingPath(path), ignored);
    return true;
}
