// Every system call of a press of "Create Config File" made to fail in turn, with every failure
// its documentation lists, once briefly and once for longer than the tool waits; and the process
// ended at each call, as a crash ends it. After each, on the folder: QUORLEX_CONFIG.txt is the
// earlier file or the new one, whole, and keeps what the earlier one carried; nothing else is
// left, but what a crash or a removal that keeps failing cannot remove; and the tool reports
// success exactly when the new bytes are in place, else the system's reason. The folder's path is
// as long as Windows takes by default. Prints "FAIL:" per wrong case, then the cases run; the exit
// status is the number of failures.

#include "faults.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace quorlex;
namespace fs = std::filesystem;
using fs::path;

namespace
{

const std::string kEarlier = "[Messages]\r\n<0>the earlier file\r\n";

std::string contents(const path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A press into a new folder, with the earlier file there or not.
WriteResult pressPlanned(const path &folder, bool before, const faults::State &plan)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (before) {
        std::ofstream(folder / "QUORLEX_CONFIG.txt", std::ios::binary) << kEarlier;
        faults::mark(folder / "QUORLEX_CONFIG.txt");
    }
    if (plan.crash)
        return faults::pressEndingAt(plan.call, folder), WriteResult{};
    faults::g_state = plan;
    const WriteResult result = faults::press(folder);
    faults::g_state.armed = false;
    return result;
}

} // namespace

WriteResult faults::press(const path &folder)
{
    // With a separator at its end, as a drive's root is reported: the file's path then has two.
    ConfigRecord record;
    return writeConfigFile(record, (folder / "").u16string(), {});
}

int main(int argc, char **argv)
{
    faults::install();
    if (argc == 3 && std::string(argv[1]) == "crash") { // a child of pressEndingAt()
        faults::g_state = {true, std::atoi(argv[2]), 0, 0, true};
        faults::press(fs::current_path());
        return 0;
    }
    std::string name = (fs::temp_directory_path() / "quorlex faults ").string();
    const path folder = name.append(240 - name.size(), 'x'), file = folder / "QUORLEX_CONFIG.txt";
    int cases = 0, crashes = 0, wrong = 0;
    for (const bool before : {true, false}) {
        const WriteResult plain = pressPlanned(folder, before, {true});
        const std::vector<std::string> calls = faults::g_state.calls;
        const std::string news = contents(file);
        wrong += !plain.ok || plain.path != (folder / "").u16string() +
                                                char16_t(path::preferred_separator) +
                                                u"QUORLEX_CONFIG.txt";
        std::printf("%s: %zu calls:", before ? "replacing" : "first file", calls.size());
        for (const std::string &call : calls)
            std::printf(" %s", call.c_str());
        for (int call = 0; call < int(calls.size()); ++call) {
            std::vector<faults::State> plans{{true, call, 0, 0, true}};
            for (const int error : faults::failuresOf(calls[call]))
                plans.insert(plans.end(), {{true, call, error, 1}, {true, call, error, 100}});
            for (const faults::State &plan : plans) {
                const WriteResult result = pressPlanned(folder, before, plan);
                ++(plan.crash ? crashes : cases);
                const bool exists = fs::exists(file), inPlace = exists && contents(file) == news;
                const bool kept = before ? exists && contents(file) == kEarlier : !exists;
                std::string left;
                bool shortNames = true;
                for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
                    const std::string name = entry.path().filename().string();
                    left += entry.path() == file ? "" : " " + name;
                    shortNames = shortNames && name.size() <= faults::kLongestName;
                }
                const Text &reason = result.reason;
                const bool said = result.ok ? reason.empty()
                                  : reason.find(u"Another program") == 0
                                      ? plan.error == faults::kHeldError
                                      : reason.find(faults::systemWords(plan.error)) != Text::npos;
                const bool ok =
                    (inPlace || kept) && shortNames &&
                    (!before || !exists || faults::marked(file, calls[call])) &&
                    (plan.crash ||
                     (result.ok == inPlace && said &&
                      (left.empty() || (calls[call] == faults::kRemoval && plan.times > 1)) &&
                      (result.ok || plan.times > 1 ||
                       !faults::waitedOut(calls[call], plan.error))));
                wrong += ok ? 0 : 1;
                const std::string what = plan.crash ? "crashed"
                                                    : "error " + std::to_string(plan.error) + " x" +
                                                          std::to_string(plan.times) + ", said " +
                                                          path(reason).string();
                if (!ok || (plan.crash && !left.empty()))
                    std::printf("\n%s%s call %d %s %s; left%s",
                                ok ? "" : "FAIL: ", before ? "replacing," : "first,", call,
                                calls[call].c_str(), what.c_str(), left.c_str());
            }
        }
        std::printf("\n");
    }
    std::printf("%d injected failures and %d crashes, %d wrong\n", cases, crashes, wrong);
    fs::remove_all(folder);
    return wrong;
}
