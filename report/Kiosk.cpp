#include "report/Kiosk.h"

#include <algorithm>
#include <cstdio>

#include "report/Text.h"

void AddSession(Kiosk& kiosk, const Session& s) {
    if (s.open) {
        if (kiosk.open == 0 || s.start < kiosk.oldestOpenStart) kiosk.oldestOpenStart = s.start;
        ++kiosk.open;
        return;
    }
    if (kiosk.sessions == 0 || s.start < kiosk.firstStart) kiosk.firstStart = s.start;
    if (kiosk.sessions == 0 || kiosk.lastStart < s.start) kiosk.lastStart = s.start;
    ++kiosk.sessions;
    ++kiosk.byOutcome[static_cast<size_t>(s.outcome)];
    if (!s.cleanShutdown) ++kiosk.unclean;
    if (s.InTrouble()) ++kiosk.trouble;
    const long long duration = s.DurationSeconds();
    kiosk.durationSum += duration;
    for (size_t i = 0; i < kDurationBuckets.size(); ++i) {
        if (duration <= kDurationBuckets[i]) ++kiosk.durationsAtMost[i];
    }
}

Kiosk KioskOf(const std::string& folder, const std::vector<Session>& sessions,
              const ReadCounts& read) {
    Kiosk kiosk;
    kiosk.folder = folder;
    kiosk.read = read;
    for (const Session& s : sessions) AddSession(kiosk, s);
    return kiosk;
}

void SortWorstFirst(std::vector<Kiosk>& kiosks) {
    std::stable_sort(kiosks.begin(), kiosks.end(), [](const Kiosk& a, const Kiosk& b) {
        // Compared as whole numbers: trouble a / sessions a against trouble b / sessions b.
        const long long left = static_cast<long long>(a.trouble) * b.sessions;
        const long long right = static_cast<long long>(b.trouble) * a.sessions;
        if (left != right) return left > right;
        if (a.sessions != b.sessions) return a.sessions > b.sessions;
        return a.folder < b.folder;
    });
}

size_t CommonFolderPrefix(const std::vector<Kiosk>& kiosks) {
    if (kiosks.size() < 2) return 0;
    size_t common = kiosks.front().folder.size();
    for (const Kiosk& k : kiosks) {
        const std::string& first = kiosks.front().folder;
        size_t i = 0;
        while (i < common && i < k.folder.size() && k.folder[i] == first[i]) ++i;
        common = i;
    }
    // Back to just after a separator, so that names are cut only between folders.
    const std::string& first = kiosks.front().folder;
    while (common > 0 && first[common - 1] != '/' && first[common - 1] != '\\') --common;
    return common;
}

std::string KiosksCsvText(const std::vector<Kiosk>& kiosks) {
    std::string text = std::string(kKiosksCsvHeader) + "\r\n";
    for (const Kiosk& k : kiosks) {
        text += CsvField(k.folder) + "," + std::to_string(k.sessions);
        for (const int count : k.byOutcome) text += "," + std::to_string(count);
        char share[32];
        std::snprintf(share, sizeof(share), "%.4f", k.TroubleShare());
        text += "," + std::to_string(k.unclean) + "," + share + "," +
                (k.sessions ? k.firstStart.Text() : "") + "," +
                (k.sessions ? k.lastStart.Text() : "") + "\r\n";
    }
    return text;
}
