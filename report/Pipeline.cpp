#include "report/Pipeline.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {

constexpr unsigned kFoldersAheadPerWorker = 2;
constexpr auto kTickInterval = std::chrono::milliseconds(250);

struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::pair<size_t, LogFolder>> waiting;  // found, not yet taken by a worker
    std::map<size_t, FolderRead> done;                 // read, not yet handed on
    size_t found = 0;                                  // folders the walk has found
    size_t handedOn = 0;
    bool walked = false;
};

// One worker is the calling thread itself: where threads are dear (an emulated 32-bit side, a
// kiosk whose cores belong to its application) the report starts none.
WalkTrouble ReadOnThisThread(const std::vector<std::string>& arguments, ReadProgress& progress,
                             const ReadFolder& readFolder,
                             const std::function<void(FolderRead&&)>& take,
                             const std::function<void()>& tick) {
    std::string buffer;
    auto lastTick = std::chrono::steady_clock::now();
    const WalkTrouble trouble = WalkLogSources(arguments, [&](LogFolder&& folder) {
        progress.foldersHeldAtMost = 1;
        FolderRead read = readFolder(folder, buffer);
        progress.files += folder.names.size();
        progress.bytes += read.bytes;
        take(std::move(read));
        if (tick && std::chrono::steady_clock::now() - lastTick >= kTickInterval) {
            lastTick = std::chrono::steady_clock::now();
            tick();
        }
    });
    if (tick) tick();
    return trouble;
}

}  // namespace

WalkTrouble ReadInOrder(const std::vector<std::string>& arguments, unsigned workers,
                        ReadProgress& progress, const ReadFolder& readFolder,
                        const std::function<void(FolderRead&&)>& take,
                        const std::function<void()>& tick) {
    if (workers <= 1) return ReadOnThisThread(arguments, progress, readFolder, take, tick);
    const size_t ahead = static_cast<size_t>(workers) * kFoldersAheadPerWorker + 1;
    Shared shared;
    WalkTrouble trouble;

    std::thread walker([&] {
        trouble = WalkLogSources(arguments, [&](LogFolder&& folder) {
            std::unique_lock<std::mutex> hold(shared.lock);
            shared.changed.wait(hold, [&] { return shared.found - shared.handedOn < ahead; });
            shared.waiting.emplace_back(shared.found++, std::move(folder));
            if (shared.found - shared.handedOn > progress.foldersHeldAtMost) {
                progress.foldersHeldAtMost = shared.found - shared.handedOn;
            }
            shared.changed.notify_all();
        });
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.walked = true;
        shared.changed.notify_all();
    });
    std::vector<std::thread> readers;
    for (unsigned i = 0; i < workers; ++i) {
        readers.emplace_back([&] {
            std::string buffer;
            for (;;) {
                std::unique_lock<std::mutex> hold(shared.lock);
                shared.changed.wait(hold, [&] { return !shared.waiting.empty() || shared.walked; });
                if (shared.waiting.empty()) return;
                auto job = std::move(shared.waiting.front());
                shared.waiting.pop_front();
                hold.unlock();
                FolderRead read = readFolder(job.second, buffer);
                progress.files += job.second.names.size();
                progress.bytes += read.bytes;
                hold.lock();
                shared.done.emplace(job.first, std::move(read));
                shared.changed.notify_all();
            }
        });
    }
    for (;;) {
        std::unique_lock<std::mutex> hold(shared.lock);
        const auto ready = [&] {
            return shared.done.count(shared.handedOn) != 0 ||
                   (shared.walked && shared.handedOn == shared.found);
        };
        if (!shared.changed.wait_for(hold, kTickInterval, ready)) {
            hold.unlock();
            if (tick) tick();
            continue;
        }
        const auto next = shared.done.find(shared.handedOn);
        if (next == shared.done.end()) break;  // all walked and handed on
        FolderRead read = std::move(next->second);
        shared.done.erase(next);
        ++shared.handedOn;
        shared.changed.notify_all();
        hold.unlock();
        take(std::move(read));
    }
    walker.join();
    for (std::thread& reader : readers) reader.join();
    if (tick) tick();
    return trouble;
}
