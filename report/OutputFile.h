// One file the report writes: opened before anything is read, so a path that cannot be
// written fails at once; written byte for byte (text may hold NUL bytes); closed with its
// errors. A replacing file is written beside its path and renamed over it when finished, so
// a collector never reads half a file, and a run that fails leaves the old one in place.
#pragma once

#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // "-" is standard output. Returns false, with the reason in Problem(), when it cannot.
    bool Open(const std::string& path, bool replacing = false);
    bool IsOpen() const { return file != nullptr; }
    void Write(const std::string& text);
    // Flushes and closes (and renames a replacing file over its path); toDisk waits until the
    // bytes are on the disk. False when anything written was lost; Problem() then says what.
    bool Finish(bool toDisk = false);
    // Closes without a trace: a replacing file leaves the file it would replace as it was.
    void Abandon();
    const std::string& Problem() const { return problem; }

private:
    void Fail(const std::string& what);

    std::FILE* file = nullptr;
    std::string path;     // as named
    std::string written;  // where the bytes go: the path, or the temporary beside it
    bool failed = false;
    std::string problem;
};

// Flushes the file's bytes through to the disk: a power cut after it loses none of them.
bool FlushToDisk(std::FILE* file);
