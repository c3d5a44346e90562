// Files a test makes and reads: a fresh prefix for the program's drives and registry, and
// whole-file reads.
#pragma once

#include <string>

// Sets VANDREL_PREFIX to a fresh folder for the object's lifetime.
class TempPrefix {
public:
    TempPrefix();
    ~TempPrefix();
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;
    std::string CapturePath() const { return m_path + "/drives/d/ReceivedUDP.ts"; }
    std::string m_path;
};

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The file's size; -1 when there is no such file.
long long FileSize(const std::string& path);
