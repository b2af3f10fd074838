// Every system call of a press of "Create Config File" made to fail in turn, with every failure
// its documentation lists, once briefly and once for longer than the tool waits; and the process
// ended at each call, as a crash ends it. After each, on the folder: QUORLEX_CONFIG.txt is the
// earlier file or the new one, whole; nothing else is left, but what a crash or a removal that
// keeps failing cannot remove; and the tool reports success exactly when the new bytes are in
// place, or else the true reason. Prints "FAIL:" per wrong case, and the cases run; the exit
// status is the number of failures.

#include "faults.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace quorlex;
namespace fs = std::filesystem;

namespace
{

const std::string kEarlier = "[Messages]\r\n<0>the earlier file\r\n";
int g_failures = 0;

std::string contents(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void prepare(const fs::path &folder, bool earlier)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (earlier)
        std::ofstream(folder / "QUORLEX_CONFIG.txt", std::ios::binary) << kEarlier;
}

// The names in the folder beside the file.
std::string leftBeside(const fs::path &folder)
{
    std::string names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "QUORLEX_CONFIG.txt")
            names += " " + entry.path().filename().string();
    }
    return names;
}

WriteResult pressPlanned(const fs::path &folder, const faults::Plan &plan,
                         std::vector<std::string> &calls)
{
    faults::g_state = {true, plan, &calls, nullptr, 0};
    const WriteResult result = faults::press(folder);
    faults::g_state.armed = false;
    return result;
}

void check(bool ok, const std::string &what)
{
    if (!ok)
        std::printf("FAIL: %s\n", what.c_str());
    g_failures += ok ? 0 : 1;
}

} // namespace

WriteResult faults::press(const fs::path &folder)
{
    ConfigRecord record;
    return writeConfigFile(record, folder.u16string(), {});
}

int main(int argc, char **argv)
{
    faults::install();
    if (argc == 3 && std::string(argv[1]) == "crash") { // a child of pressEndingAt()
        std::vector<std::string> calls;
        pressPlanned(fs::current_path(), {std::atoi(argv[2]), 0, 0, true}, calls);
        return 0;
    }
    const fs::path folder = fs::temp_directory_path() / "quorlex faults" / "Game Server";
    int cases = 0, crashes = 0;
    for (const bool before : {true, false}) {
        std::vector<std::string> calls;
        prepare(folder, before);
        check(pressPlanned(folder, {}, calls).ok, "a press without failures");
        const std::string news = contents(folder / "QUORLEX_CONFIG.txt");
        std::string sequence;
        for (const std::string &call : calls)
            sequence += " " + call;
        std::printf("%s: %zu calls:%s\n", before ? "replacing" : "first file", calls.size(),
                    sequence.c_str());
        for (int call = 0; call < int(calls.size()); ++call) {
            struct Run {
                int error, times;
                bool crash;
            };
            std::vector<Run> runs{{0, 0, true}};
            for (const int error : faults::failuresOf(calls[call]))
                runs.insert(runs.end(), {{error, 1, false}, {error, 100, false}});
            for (const Run &run : runs) {
                prepare(folder, before);
                std::vector<std::string> made;
                WriteResult result;
                if (run.crash)
                    faults::pressEndingAt(call, folder);
                else
                    result = pressPlanned(folder, {call, run.error, run.times, false}, made);
                ++(run.crash ? crashes : cases);
                const bool exists = fs::exists(folder / "QUORLEX_CONFIG.txt");
                const std::string now = contents(folder / "QUORLEX_CONFIG.txt");
                const std::string left = leftBeside(folder);
                const bool inPlace = exists && now == news;
                const bool kept = before ? exists && now == kEarlier : !exists;
                const Text reason = result.reason;
                const bool blamed = reason.find(u"Another program") == 0;
                const bool trueReason =
                    result.ok ? reason.empty()
                    : blamed  ? run.error == faults::kHeldError
                              : reason.find(faults::systemWords(run.error)) != Text::npos;
                const std::string what = std::string(before ? "replacing" : "first file") +
                                         ", call " + std::to_string(call) + " " + calls[call] +
                                         (run.crash ? " crashed"
                                                    : ", error " + std::to_string(run.error) +
                                                          " x" + std::to_string(run.times));
                check(inPlace || kept, what + ": the file is neither the earlier nor the new one");
                if (run.crash) {
                    if (!left.empty())
                        std::printf("%s: left%s\n", what.c_str(), left.c_str());
                    continue;
                }
                check(
                    result.ok == inPlace && trueReason &&
                        (result.ok || run.times > 1 || !faults::waitedOut(calls[call], run.error)),
                    what + ": said " + (result.ok ? "nothing" : fs::path(reason).string()));
                check(left.empty() || (calls[call] == faults::kRemoval && run.times > 1),
                      what + ": left" + left);
            }
        }
    }
    std::printf("%d injected failures and %d crashes, %d wrong\n", cases, crashes, g_failures);
    fs::remove_all(folder.parent_path());
    return g_failures;
}
