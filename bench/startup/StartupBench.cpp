// orvane-startup-bench [RUNS]: the main program's start-up on the X display in $DISPLAY, against
// orvane-startup-baseline (a frameless window painting the 1000 x 645 main picture, and a tray
// icon). Both are watched from the X server's side, so neither carries a timing hook: a window
// counts as shown when it is mapped, and belongs to the program whose pid its _NET_WM_PID names.
// After one warm-up run of each, RUNS runs (default 5) each; medians, five lines:
//   first_window <ms> <baseline ms> <ratio>      exec to the first window (the splash, for us)
//   main_after_splash <ms>                        the splash unmapped to the main window mapped
//   rss <MiB> <baseline MiB> <ratio>             resident memory 3 s after exec
//   rss_lumetra <MiB> <baseline MiB> <ratio>     Lumetra's resident memory 3 s after exec
//   rss_open <MiB> <baseline MiB> <ratio>        the main program's, 1 s after it opened and closed
//                                                 each panel once (key map, macro manager, profile)
// The programs run on the emulated keyboard with a data folder of their own. The panels are opened
// and closed with xdotool's mouse clicks, at the places a user clicks; without xdotool the
// rss_open line says so and the others still print.

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRssAt = std::chrono::seconds(3);
constexpr auto kGiveUpAt = std::chrono::seconds(15);
constexpr int kDefaultRuns = 5;

double msSince(Clock::time_point t0, Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

struct RunResult {
    std::optional<double> firstWindowMs, splashEndMs, mainShownMs, rssMiB;
};

// The window events of one client, from the root window's substructure and, where a window
// manager reparents, from each new top-level window's own structure events.
class DisplayWatch {
public:
    bool open(std::string& error)
    {
        int screenNumber = 0;
        c_ = xcb_connect(nullptr, &screenNumber);
        if (!c_ || xcb_connection_has_error(c_)) {
            error = "cannot open the X display in $DISPLAY";
            return false;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        root_ = it.data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        netWmPid_ = atom("_NET_WM_PID");
        xcb_flush(c_);
        return true;
    }
    ~DisplayWatch()
    {
        if (c_)
            xcb_disconnect(c_);
    }

    void follow(pid_t pid)
    {
        pid_ = pid;
        windows_.clear();
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_))   // what came before the spawn
            std::free(e);
    }

    // Waits until `deadline` for the client's next map or unmap; the window and whether mapped.
    struct Change {
        xcb_window_t window;
        bool mapped;
        Clock::time_point at;
    };
    std::optional<Change> next(Clock::time_point deadline)
    {
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                std::optional<Change> change = translate(e);
                std::free(e);
                if (change)
                    return change;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(c_))
                return std::nullopt;
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            ::poll(&fd, 1, int(left));
        }
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    uint32_t pidOf(xcb_window_t w)
    {
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, netWmPid_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        uint32_t pid = 0;
        if (r && xcb_get_property_value_length(r) >= 4)
            std::memcpy(&pid, xcb_get_property_value(r), 4);
        std::free(r);
        return pid;
    }

    std::optional<Change> translate(xcb_generic_event_t* e)
    {
        const auto now = Clock::now();
        switch (e->response_type & 0x7F) {
        case XCB_CREATE_NOTIFY: {
            const auto* ev = reinterpret_cast<xcb_create_notify_event_t*>(e);
            if (ev->parent == root_ && !ev->override_redirect) {
                const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(c_, ev->window, XCB_CW_EVENT_MASK, &mask);
                xcb_flush(c_);
            }
            return std::nullopt;
        }
        case XCB_MAP_NOTIFY: return change(reinterpret_cast<xcb_map_notify_event_t*>(e)->window, true, now);
        case XCB_UNMAP_NOTIFY: return change(reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window, false, now);
        case XCB_DESTROY_NOTIFY: return change(reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window, false, now);
        default: return std::nullopt;
        }
    }

    std::optional<Change> change(xcb_window_t w, bool mapped, Clock::time_point now)
    {
        auto it = windows_.find(w);
        if (it == windows_.end()) {
            if (!mapped || pidOf(w) != uint32_t(pid_))
                return std::nullopt;
            it = windows_.emplace(w, false).first;
        }
        if (it->second == mapped)   // the same change seen from the root and from the window
            return std::nullopt;
        it->second = mapped;
        return Change{w, mapped, now};
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
    pid_t pid_ = 0;
    std::map<xcb_window_t, bool> windows_;
};

// A click at (x, y) of a window through xdotool (the XTEST extension: a real pointer event).
bool click(xcb_window_t window, int x, int y, const std::vector<std::string>& env)
{
    std::vector<std::string> args{"xdotool",         "mousemove",       "--sync", "--window", std::to_string(window),
                                  std::to_string(x), std::to_string(y), "click",  "1"};
    std::vector<std::string> envCopy = env;
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : envCopy)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, "xdotool", &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (rc != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::optional<double> residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(4096, '\n');
    }
    return std::nullopt;
}

void endChild(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

struct Program {
    std::vector<std::string> argv;
    std::vector<std::string> env;
    bool hasSplash;
};

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> p;
    for (std::string& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

std::optional<RunResult> runOnce(DisplayWatch& watch, Program program, std::string& error)
{
    std::vector<char*> argv = pointers(program.argv), envp = pointers(program.env);
    RunResult r;
    pid_t pid = 0;
    const Clock::time_point t0 = Clock::now();
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        error = "cannot start " + program.argv[0];
        return std::nullopt;
    }
    watch.follow(pid);
    std::optional<xcb_window_t> first;
    const auto done = [&] {
        return r.rssMiB && (program.hasSplash ? r.mainShownMs.has_value() : r.firstWindowMs.has_value());
    };
    while (!done() && Clock::now() < t0 + kGiveUpAt) {
        const auto deadline = r.rssMiB ? t0 + kGiveUpAt : t0 + kRssAt;
        const std::optional<DisplayWatch::Change> c = watch.next(deadline);
        if (!r.rssMiB && Clock::now() >= t0 + kRssAt)
            r.rssMiB = residentMiB(pid);
        if (!c)
            continue;
        const double ms = msSince(t0, c->at);
        if (c->mapped && !first) {
            first = c->window;
            r.firstWindowMs = ms;
        } else if (!c->mapped && first && c->window == *first && !r.splashEndMs) {
            r.splashEndMs = ms;
        } else if (c->mapped && r.splashEndMs && c->window != *first && !r.mainShownMs) {
            r.mainShownMs = ms;
        }
    }
    endChild(pid);
    if (!done()) {
        error = program.argv[0] + ": no " +
            (!r.firstWindowMs ? "first window"
                 : !r.rssMiB  ? "memory figure"
                              : "main window after the splash") +
            " within " + std::to_string(kGiveUpAt.count()) + " s";
        return std::nullopt;
    }
    return r;
}

// The main program's panels as a user opens and closes them: where to click in the main window,
// and where the panel's own close (or Cancel) button is.
struct PanelClicks {
    const char* name;
    int openX, openY;
    int closeX, closeY;
};
constexpr PanelClicks kPanels[] = {
    {"key map", 399, 277, 310, 9},           // the Q key; the panel's close button
    {"macro manager", 100, 155, 368, 412},   // the macro management bar; Cancel
    {"profile", 50, 618, 255, 17},           // the Profile button; the panel's close button
};
constexpr auto kPanelWait = std::chrono::seconds(10);
constexpr auto kSettle = std::chrono::milliseconds(1000);

// Starts the main program, waits for its main window after the splash, opens and closes each
// panel once and measures resident memory kSettle after the last one closed.
std::optional<double> runOpenClose(DisplayWatch& watch, Program program, std::string& error)
{
    std::vector<char*> argv = pointers(program.argv), envp = pointers(program.env);
    pid_t pid = 0;
    const Clock::time_point t0 = Clock::now();
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        error = "cannot start " + program.argv[0];
        return std::nullopt;
    }
    watch.follow(pid);
    const auto fail = [&](const std::string& why) -> std::optional<double> {
        error = program.argv[0] + ": " + why;
        endChild(pid);
        return std::nullopt;
    };
    std::optional<xcb_window_t> splash, main;
    bool splashGone = false;
    while (!main) {
        const std::optional<DisplayWatch::Change> c = watch.next(t0 + kGiveUpAt);
        if (!c)
            return fail("no main window after the splash within " + std::to_string(kGiveUpAt.count()) + " s");
        if (c->mapped && !splash)
            splash = c->window;
        else if (!c->mapped && splash && c->window == *splash)
            splashGone = true;
        else if (c->mapped && splashGone && c->window != *splash)
            main = c->window;
    }
    const auto pause = [&](std::chrono::milliseconds d) {
        const auto until = Clock::now() + d;
        while (watch.next(until)) {}
    };
    pause(kSettle);
    for (const PanelClicks& panel : kPanels) {
        if (!click(*main, panel.openX, panel.openY, program.env))
            return fail("xdotool cannot click (is it installed?)");
        std::optional<xcb_window_t> shown;
        const auto deadline = Clock::now() + kPanelWait;
        while (!shown) {
            const std::optional<DisplayWatch::Change> c = watch.next(deadline);
            if (!c)
                return fail(std::string("the ") + panel.name + " panel did not open");
            if (c->mapped && c->window != *main)
                shown = c->window;
        }
        pause(std::chrono::milliseconds(500));   // painted, its images decoded
        if (!click(*shown, panel.closeX, panel.closeY, program.env))
            return fail("xdotool cannot click");
        for (bool closed = false; !closed;) {
            const std::optional<DisplayWatch::Change> c = watch.next(Clock::now() + kPanelWait);
            if (!c)
                return fail(std::string("the ") + panel.name + " panel did not close");
            closed = !c->mapped && c->window == *shown;
        }
        pause(std::chrono::milliseconds(300));
    }
    pause(kSettle);
    const std::optional<double> rss = residentMiB(pid);
    endChild(pid);
    if (!rss)
        error = program.argv[0] + ": no memory figure";
    return rss;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string makeTempFolder(const char* tag)
{
    std::string path = std::string("/tmp/orvane-startup-") + tag + "-XXXXXX";
    if (!::mkdtemp(path.data()))
        return {};
    ::chmod(path.c_str(), 0700);
    return path;
}

// The caller's environment for the display and the locale, and what each program needs.
std::vector<std::string> environment(const std::string& runtime, const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (const char* keep : {"DISPLAY", "XAUTHORITY", "HOME", "PATH", "LANG", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        if (const char* v = std::getenv(keep))
            env.push_back(std::string(keep) + "=" + v);
    env.push_back("XDG_RUNTIME_DIR=" + runtime);
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

}   // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    std::string error;
    DisplayWatch watch;
    if (!watch.open(error)) {
        std::fprintf(stderr, "orvane-startup-bench: %s\n", error.c_str());
        return 1;
    }
    const std::string bin = ORVANE_BENCH_BIN_DIR;
    const std::string runtime = makeTempFolder("run"), data = makeTempFolder("data");
    if (runtime.empty() || data.empty()) {
        std::fprintf(stderr, "orvane-startup-bench: cannot create a temporary folder\n");
        return 1;
    }
    const Program ours{
        {ORVANE_BENCH_PROGRAM}, environment(runtime, {"ORVANE_HID=emulator", "ORVANE_HOME=" + data}), true};
    const Program lumetra{
        {ORVANE_BENCH_LUMETRA}, environment(runtime, {"ORVANE_HID=emulator", "ORVANE_HOME=" + data}), false};
    const Program baseline{{ORVANE_BENCH_BASELINE, bin + "/png/english/main.png", bin + "/icons/QX410-Orvane-64.png"},
                           environment(runtime, {}),
                           false};
    std::vector<double> first, baseFirst, mainAfter, rss, baseRss, lumetraRss, openRss;
    std::string openError;
    const auto cleanUp = [&] {
        std::filesystem::remove_all(runtime);
        std::filesystem::remove_all(data);
    };
    for (int i = 0; i <= runs; ++i) {   // run 0 warms the caches and is not counted
        const std::optional<RunResult> b = runOnce(watch, baseline, error);
        const std::optional<RunResult> o = b ? runOnce(watch, ours, error) : std::nullopt;
        const std::optional<RunResult> l = o ? runOnce(watch, lumetra, error) : std::nullopt;
        if (!l) {
            std::fprintf(stderr, "orvane-startup-bench: %s\n", error.c_str());
            cleanUp();
            return 1;
        }
        const std::optional<double> opened = openError.empty() ? runOpenClose(watch, ours, openError) : std::nullopt;
        if (i == 0)
            continue;
        baseFirst.push_back(*b->firstWindowMs);
        baseRss.push_back(*b->rssMiB);
        first.push_back(*o->firstWindowMs);
        mainAfter.push_back(*o->mainShownMs - *o->splashEndMs);
        rss.push_back(*o->rssMiB);
        lumetraRss.push_back(*l->rssMiB);
        if (opened)
            openRss.push_back(*opened);
    }
    cleanUp();
    const double f = median(first), bf = median(baseFirst), r = median(rss), br = median(baseRss);
    const double lr = median(lumetraRss);
    std::printf("first_window %.1f %.1f %.3f\n", f, bf, f / bf);
    std::printf("main_after_splash %.1f\n", median(mainAfter));
    std::printf("rss %.1f %.1f %.3f\n", r, br, r / br);
    std::printf("rss_lumetra %.1f %.1f %.3f\n", lr, br, lr / br);
    if (!openError.empty() || openRss.empty()) {
        std::fprintf(stderr, "orvane-startup-bench: rss_open: %s\n", openError.c_str());
        std::printf("rss_open none\n");
        return 1;
    }
    const double orr = median(openRss);
    std::printf("rss_open %.1f %.1f %.3f\n", orr, br, orr / br);
    return 0;
}
