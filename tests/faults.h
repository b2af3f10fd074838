#pragma once

// A failure planted in the system calls of one press of "Create Config File": the `call`-th call
// of the press fails with `error`, and so do the calls of the same function after it, `times`
// calls in all; or, with `crash`, the process ends at that call. Each system's wrappers of the
// calls (faults_linux.cpp, faults_windows.cpp) ask at() before every call.

#include "configwriter.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace faults
{

struct Plan {
    int call = -1;
    int error = 0;
    int times = 0;
    bool crash = false;
};

// A write that writes only part of what it was given, where the system allows that (Linux).
inline constexpr int kShortWrite = -1;

struct State {
    bool armed = false;
    Plan plan;
    std::vector<std::string> *calls = nullptr;
    const char *failing = nullptr;
    int left = 0;
    bool synced = false; // a sync of the new file has succeeded
};
inline State g_state;

// What each system brings.
void install();                                       // its wrappers in place of the real calls
std::vector<int> failuresOf(const std::string &call); // the failures its documentation lists
quorlex::Text systemWords(int error);                 // what the system calls the error
bool waitedOut(const std::string &call, int error);   // a brief one the tool must get past
extern const int kHeldError; // the error that means another program holds the file
extern const char *kRemoval; // the call that removes a file
[[noreturn]] void crash();   // ends the process at once, as a crash does
void pressEndingAt(int call, const std::filesystem::path &folder); // in a process of its own

quorlex::WriteResult press(const std::filesystem::path &folder);

// 0: make the real call; otherwise the error to fail it with.
inline int at(const char *function)
{
    State &s = g_state;
    if (!s.armed)
        return 0;
    const int index = int(s.calls->size());
    s.calls->push_back(function);
    if (index == s.plan.call) {
        if (s.plan.crash)
            crash();
        s.failing = function;
        s.left = s.plan.times;
    }
    if (s.left > 0 && std::strcmp(s.failing, function) == 0) {
        --s.left;
        return s.plan.error;
    }
    return 0;
}

} // namespace faults
