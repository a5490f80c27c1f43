#include "report/FileFacts.h"

#include <sys/stat.h>
#include <sys/types.h>

std::optional<FileFacts> FactsOf(const std::filesystem::path& path) {
#ifdef _WIN32
    struct _stat64 facts;
    if (_wstat64(path.c_str(), &facts) != 0) return std::nullopt;
    return FileFacts{static_cast<std::uint64_t>(facts.st_size),
                     static_cast<std::int64_t>(facts.st_mtime) * 1000000000};
#else
    struct stat facts;
    if (stat(path.c_str(), &facts) != 0) return std::nullopt;
    return FileFacts{
        static_cast<std::uint64_t>(facts.st_size),
        static_cast<std::int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec};
#endif
}
