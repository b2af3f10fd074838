// Times the start-up of window programs from the outside, as an administrator sees it: from
// exec until the X server has drawn every pixel of the program's window, then until the process
// has exited after the window manager's close request. The programs run in turn on the display
// in $DISPLAY and get no environment of their own. A program is a command given as separate
// arguments, its path and then its own arguments ("wine" "/path/tool.exe" runs a Windows program
// under wine), and commands are separated by an argument "--" (which no program can therefore
// be given); nothing is split at blanks, so paths may hold any character.
//
// The first drawing is seen through the DAMAGE extension: a damage object is put on every
// top-level window the moment it is created, before it can be mapped, so no drawing is missed.
//
// Usage: startwatch ROUNDS PROGRAM_A [ARG ...] -- PROGRAM_B [ARG ...] [-- PROGRAM_C [ARG ...] ...]
// Each round runs every program once, starting with a different one each round. Prints one line
// per run and medians of wall time, CPU time and peak resident memory, with the ratio of A to
// each other program taken round by round.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{

// A program's path and its arguments, as given on the command line.
using Command = std::vector<char *>;

struct RunResult {
    double paintMs = 0; // exec to the last pixel of the window drawn
    double totalMs = 0; // exec to the process's exit
    double cpuMs = 0;   // user + system time of the process
    double peakRssKib = 0;
};

double nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "startwatch: %s\n", what);
    std::exit(1);
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        fail("cannot intern an atom");
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

// Which pixels of one window have been drawn so far.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> drawn;
    long remaining = 0;

    void reset(int w, int h)
    {
        width = w;
        height = h;
        drawn.assign(size_t(w) * size_t(h), 0);
        remaining = long(w) * h;
    }
    void add(int x, int y, int w, int h)
    {
        const int x1 = std::min(width, x + w), y1 = std::min(height, y + h);
        for (int row = std::max(0, y); row < y1; ++row) {
            for (int col = std::max(0, x); col < x1; ++col) {
                unsigned char &px = drawn[size_t(row) * size_t(width) + size_t(col)];
                if (!px) {
                    px = 1;
                    --remaining;
                }
            }
        }
    }
};

class Watcher
{
public:
    Watcher()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            fail("cannot open the display in $DISPLAY");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_c, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server has no DAMAGE extension");
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        auto *version = xcb_damage_query_version_reply(
            m_c, xcb_damage_query_version(m_c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr);
        std::free(version);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        m_protocols = atom(m_c, "WM_PROTOCOLS");
        m_deleteWindow = atom(m_c, "WM_DELETE_WINDOW");
        xcb_flush(m_c);
    }
    ~Watcher() { xcb_disconnect(m_c); }

    // Runs `command` once; false when a drawing may have been missed and the run must be redone.
    bool run(const Command &command, RunResult &result)
    {
        std::vector<char *> argv(command.begin(), command.end());
        argv.push_back(nullptr);
        m_windows.clear();
        m_raced = false;
        const double start = nowMs();
        const pid_t pid = fork();
        if (pid < 0)
            fail("fork failed");
        if (pid == 0) {
            const int devnull = open("/dev/null", O_RDWR);
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
            execvp(argv[0], argv.data());
            _exit(127);
        }

        xcb_window_t painted = XCB_NONE;
        const double deadline = start + 30000;
        while (painted == XCB_NONE) {
            if (nowMs() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                fail("no complete drawing of a window within 30 s");
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                fail("the program ended before its window was drawn");
            painted = handleEvents(100);
        }
        result.paintMs = nowMs() - start;

        // What a window manager sends when the administrator closes the window.
        xcb_client_message_event_t close{};
        close.response_type = XCB_CLIENT_MESSAGE;
        close.format = 32;
        close.window = painted;
        close.type = m_protocols;
        close.data.data32[0] = m_deleteWindow;
        close.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, painted, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<char *>(&close));
        xcb_flush(m_c);

        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid)
            fail("wait4 failed");
        result.totalMs = nowMs() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            fail("the program did not exit cleanly after the close request");
        result.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        result.peakRssKib = double(usage.ru_maxrss);
        // Leftover events of this run's windows must not count for the next one.
        handleEvents(0);
        return !m_raced;
    }

private:
    // Handles the events that arrive within `timeoutMs`; returns a window once it is fully drawn.
    xcb_window_t handleEvents(int timeoutMs)
    {
        pollfd pfd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) < 0 && errno != EINTR)
            fail("poll failed");
        xcb_window_t done = XCB_NONE;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                track(reinterpret_cast<xcb_create_notify_event_t *>(event));
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                auto *e = reinterpret_cast<xcb_configure_notify_event_t *>(event);
                auto it = m_windows.find(e->window);
                if (it != m_windows.end() &&
                    (it->second.width != e->width || it->second.height != e->height))
                    it->second.reset(e->width, e->height);
            } else if (type == XCB_DESTROY_NOTIFY) {
                m_windows.erase(reinterpret_cast<xcb_destroy_notify_event_t *>(event)->window);
            } else if (type == m_damageEvent) {
                auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(event);
                auto it = m_windows.find(e->drawable);
                if (it != m_windows.end() && it->second.remaining > 0) {
                    it->second.add(e->area.x, e->area.y, e->area.width, e->area.height);
                    if (it->second.remaining == 0 && done == XCB_NONE)
                        done = e->drawable;
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(m_c))
            fail("lost the connection to the X server");
        return done;
    }

    void track(const xcb_create_notify_event_t *e)
    {
        // Qt's own helper windows are tiny or override-redirect; the program's window is neither.
        if (e->parent != m_root || e->override_redirect || e->width < 64 || e->height < 64)
            return;
        const xcb_damage_damage_t damage = xcb_generate_id(m_c);
        xcb_damage_create(m_c, damage, e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        m_windows[e->window].reset(e->width, e->height);
        // Mapping comes before any drawing; a window already mapped may have been drawn unseen.
        auto *attributes = xcb_get_window_attributes_reply(
            m_c, xcb_get_window_attributes(m_c, e->window), nullptr);
        if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED)
            m_raced = true;
        std::free(attributes);
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, e->window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_c);
    }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    uint8_t m_damageEvent = 0;
    xcb_atom_t m_protocols = XCB_NONE;
    xcb_atom_t m_deleteWindow = XCB_NONE;
    std::map<xcb_window_t, Coverage> m_windows;
    bool m_raced = false;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    std::vector<double> paint, total, cpu, rss;
    void add(const RunResult &r)
    {
        paint.push_back(r.paintMs);
        total.push_back(r.totalMs);
        cpu.push_back(r.cpuMs);
        rss.push_back(r.peakRssKib);
    }
};

RunResult measure(Watcher &watcher, const Command &command)
{
    RunResult r;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (watcher.run(command, r))
            return r;
        std::fprintf(stderr, "startwatch: window mapped before it was watched; run again\n");
    }
    fail("could not watch a run from its start five times in a row");
}

// The command as a shell would take it back, for the reader: words with blanks in quotes.
std::string shown(const Command &command)
{
    std::string text;
    for (const char *word : command) {
        const bool quote = !*word || std::strpbrk(word, " \t\"'\\$`") != nullptr;
        text += text.empty() ? "" : " ";
        if (!quote) {
            text += word;
            continue;
        }
        text += '\'';
        for (const char *c = word; *c; ++c)
            text += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
        text += '\'';
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<Command> programs(1);
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            programs.emplace_back();
        else
            programs.back().push_back(argv[i]);
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (rounds < 1 || programs.size() < 2 ||
        std::any_of(programs.begin(), programs.end(), [](const Command &c) { return c.empty(); })) {
        std::fprintf(stderr, "usage: startwatch ROUNDS PROGRAM_A [ARG ...] -- PROGRAM_B [ARG ...] "
                             "[-- PROGRAM_C [ARG ...] ...]\n");
        return 2;
    }
    const size_t n = programs.size();
    Watcher watcher;

    // One untimed run each, so that all start with the same warm caches.
    for (const Command &program : programs)
        measure(watcher, program);

    std::vector<Series> series(n);
    // Round by round, A against each other program: wall to exit, to drawn, CPU, resident.
    std::vector<Series> versusA(n);
    std::printf("%-5s %-4s %10s %10s %10s %10s\n", "round", "prog", "paint ms", "exit ms", "cpu ms",
                "peak MiB");
    for (int round = 0; round < rounds; ++round) {
        std::vector<RunResult> r(n);
        // Each round starts with another program, so none always runs right after another.
        for (size_t k = 0; k < n; ++k) {
            const size_t which = (size_t(round) + k) % n;
            r[which] = measure(watcher, programs[which]);
        }
        for (size_t k = 0; k < n; ++k) {
            series[k].add(r[k]);
            std::printf("%-5d %-4c %10.1f %10.1f %10.1f %10.2f\n", round + 1, char('A' + k),
                        r[k].paintMs, r[k].totalMs, r[k].cpuMs, r[k].peakRssKib / 1024);
            versusA[k].add({r[0].paintMs / r[k].paintMs, r[0].totalMs / r[k].totalMs,
                            r[0].cpuMs / r[k].cpuMs, r[0].peakRssKib - r[k].peakRssKib});
        }
    }

    std::printf("\nMedians over %d runs each\n", rounds);
    for (size_t k = 0; k < n; ++k)
        std::printf("  %c = %s\n", char('A' + k), shown(programs[k]).c_str());
    std::printf("%-26s", "");
    for (size_t k = 0; k < n; ++k)
        std::printf(" %9c", char('A' + k));
    for (size_t k = 1; k < n; ++k)
        std::printf("  A/%c round", char('A' + k));
    const auto row = [&](const char *name, std::vector<double> Series::*field, double scale,
                         const char *format) {
        std::printf("\n%-26s", name);
        for (size_t k = 0; k < n; ++k)
            std::printf(" %9.*f", scale == 1 ? 1 : 2, median(series[k].*field) / scale);
        for (size_t k = 1; k < n; ++k)
            std::printf(format, median(versusA[k].*field) / scale);
    };
    row("wall, exec to exit (ms)", &Series::total, 1, " %10.3f");
    row("wall, exec to drawn (ms)", &Series::paint, 1, " %10.3f");
    row("cpu, user+sys (ms)", &Series::cpu, 1, " %10.3f");
    row("peak resident (MiB)", &Series::rss, 1024, " %+10.2f");
    std::printf("\n(A/X round: the median of A's figure over X's in the same round; for peak "
                "resident, A - X in MiB)\n");
    return 0;
}
