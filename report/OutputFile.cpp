#include "report/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr size_t kOutputBufferBytes = 1 << 20;

}  // namespace

bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

OutputFile::~OutputFile() {
    Abandon();
}

void OutputFile::Abandon() {
    if (file == nullptr || file == stdout) return;
    std::fclose(file);
    file = nullptr;
    if (written != path) {  // never finished: the file it would replace stays as it was
        std::error_code ignored;
        std::filesystem::remove(written, ignored);
    }
}

bool OutputFile::Open(const std::string& named, bool replacing) {
    path = named;
    written = replacing && named != "-" ? named + ".tmp" : named;
    file = named == "-" ? stdout : std::fopen(written.c_str(), "wb");
    if (file == nullptr) {
        Fail(std::string("cannot be opened for writing: ") + std::strerror(errno));
        return false;
    }
    std::setvbuf(file, nullptr, _IOFBF, kOutputBufferBytes);
    return true;
}

void OutputFile::Write(const std::string& text) {
    if (file == nullptr || failed) return;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        Fail(std::string("could not be written: ") + std::strerror(errno));
    }
}

bool OutputFile::Finish(bool toDisk) {
    if (file == nullptr) return !failed;
    std::FILE* done = file;
    file = nullptr;
    bool flushed = std::fflush(done) == 0;
    if (toDisk && done != stdout) flushed = flushed && FlushToDisk(done);
    if (done != stdout) flushed = std::fclose(done) == 0 && flushed;
    if (!flushed && !failed) Fail(std::string("could not be written: ") + std::strerror(errno));
    std::error_code error;
    if (written != path) {
        if (!failed) std::filesystem::rename(written, path, error);
        if (failed || error) std::filesystem::remove(written, error);
        if (!failed && error) Fail("could not replace it: " + error.message());
    }
    return !failed;
}

void OutputFile::Fail(const std::string& what) {
    failed = true;
    if (problem.empty()) problem = path + ": " + what;
}
