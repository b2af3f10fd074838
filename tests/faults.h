#pragma once

// A failure planted in the system calls of one press of "Create Config File": the `call`-th call
// of the press fails with `error`, and so do the later calls of the same function, `times` calls
// in all; or, with `crash`, the process ends at that call. Each system's wrappers of the calls
// (faults_linux.cpp, faults_windows.cpp) ask at() before every call.

#include "configwriter.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace faults
{

namespace fs = std::filesystem;

struct State {
    bool armed = false;
    int call = -1, error = 0, times = 0;
    bool crash = false;
    std::vector<std::string> calls = {}; // made so far
    const char *failing = "";
    int left = 0;
    bool synced = false; // a sync of the new file has succeeded
};
inline State g_state;
inline constexpr int kShortWrite = -1; // a write of part of what it was given

// What each system brings: its wrappers put in place of the real calls; the failures its
// documentation lists for a call, and whether the tool must get past a brief one; the system's
// words for one, and the one that means another program holds the file; the call that removes a
// file, and how long the names of the tool's own files may be; what the earlier file carries that
// the new one must keep, unless `failing` fails; and a press in a process of its own that ends
// at `call`.
void install();
std::vector<int> failuresOf(const std::string &call);
bool waitedOut(const std::string &call, int error);
quorlex::Text systemWords(int error);
extern const int kHeldError;
extern const char *kRemoval;
extern const size_t kLongestName; // of the files the tool makes beside the earlier one
void mark(const fs::path &earlier);
bool marked(const fs::path &file, const std::string &failing);
void pressEndingAt(int call, const fs::path &folder);

quorlex::WriteResult press(const fs::path &folder);

// 0: make the real call; otherwise the error to fail it with.
inline int at(const char *function)
{
    State &s = g_state;
    if (!s.armed)
        return 0;
    s.calls.push_back(function);
    if (int(s.calls.size()) - 1 == s.call) {
        if (s.crash)
            std::_Exit(99); // at once, as a crash ends a process
        s.failing = function;
        s.left = s.times;
    }
    return s.left > 0 && std::strcmp(s.failing, function) == 0 ? (--s.left, s.error) : 0;
}

} // namespace faults
