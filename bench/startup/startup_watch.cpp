// Starts a program on the X display of $DISPLAY and prints, on one line, the
// time from exec to the map of its top-level window with a given title and
// its resident memory after a spell of idling:
//
//   startup_watch --title TITLE [--idle-ms 1000] [--timeout-ms 30000] -- PROGRAM [ARGS...]
//   startup_ms=123.45 rss_kib=45678
//
// The program is always ended (SIGTERM, then SIGKILL) and reaped before this
// returns. Exit status 0 on success, 1 when the program failed to show the
// window, 2 on bad usage.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string title;
    int idleMs = 1000;
    int timeoutMs = 30000;
    std::vector<char*> command; // null-terminated
};

int PositiveNumber(const char* text, const char* option)
{
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 3600000)
        throw std::invalid_argument(std::string(option) + " wants a number of milliseconds, not \"" + text + "\"");
    return static_cast<int>(value);
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc)
            throw std::invalid_argument("unknown option or missing value: " + std::string(arg));
        if (arg == "--title")
            options.title = argv[++i];
        else if (arg == "--idle-ms")
            options.idleMs = PositiveNumber(argv[++i], "--idle-ms");
        else if (arg == "--timeout-ms")
            options.timeoutMs = PositiveNumber(argv[++i], "--timeout-ms");
        else
            throw std::invalid_argument("unknown option: " + std::string(arg));
    }
    if (options.title.empty())
        throw std::invalid_argument("--title is required");
    if (i >= argc)
        throw std::invalid_argument("no program given after --");
    options.command.assign(argv + i, argv + argc);
    options.command.push_back(nullptr);
    return options;
}

std::string Describe(int status)
{
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("was killed by ") + strsignal(WTERMSIG(status));
    return "stopped";
}

// The program under test. Whatever happens to the watcher, the program is
// ended: by the destructor, or by the kernel when the watcher dies.
class Child {
public:
    Child(const Options& options)
    {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            throw Failure(std::string("cannot make a pipe: ") + std::strerror(errno));
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ < 0)
            throw Failure(std::string("cannot fork: ") + std::strerror(errno));
        if (pid_ == 0) {
            close(pipeFds[0]);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(127);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            execvp(options.command[0], options.command.data());
            int error = errno;
            ssize_t ignored = write(pipeFds[1], &error, sizeof error);
            (void)ignored;
            _exit(127);
        }
        close(pipeFds[1]);
        // The write end closes on a successful exec; a failed one sends errno.
        int error = 0;
        ssize_t got;
        do
            got = read(pipeFds[0], &error, sizeof error);
        while (got < 0 && errno == EINTR);
        close(pipeFds[0]);
        if (got == sizeof error) {
            Reap();
            throw Failure(std::string("cannot run ") + options.command[0] + ": " + std::strerror(error));
        }
    }

    ~Child() { End(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }

    // The way the program ended, or nothing while it runs.
    std::optional<std::string> Ended()
    {
        if (pid_ <= 0)
            return "ended";
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return Describe(status);
        }
        return std::nullopt;
    }

    void End()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            if (Ended())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid_, SIGKILL);
        Reap();
    }

private:
    void Reap()
    {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }

    pid_t pid_ = -1;
};

class Display {
public:
    Display()
    {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) {
            const char* name = std::getenv("DISPLAY");
            throw Failure(std::string("cannot open the X display \"") + (name ? name : "") + "\"");
        }
        // The program under test must not inherit our connection.
        fcntl(xcb_get_file_descriptor(connection_), F_SETFD, FD_CLOEXEC);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        if (std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error { xcb_request_check(connection_, cookie), &std::free })
            throw Failure("cannot watch the root window (X error " + std::to_string(error->error_code) + ")");
        netWmName_ = Atom("_NET_WM_NAME");
    }

    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    int Fd() const { return xcb_get_file_descriptor(connection_); }
    bool Broken() const { return xcb_connection_has_error(connection_) != 0; }
    xcb_generic_event_t* NextEvent() { return xcb_poll_for_event(connection_); }

    // Whether the window, or a window below it (a window manager's frame
    // holds the program's own), carries the title.
    bool HasTitle(xcb_window_t window, const std::string& title, int depth = 0)
    {
        if (Title(window, netWmName_) == title || Title(window, XCB_ATOM_WM_NAME) == title)
            return true;
        if (depth >= 3)
            return false;
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree {
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr), &std::free
        };
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int i = 0; i < count; ++i) {
            if (HasTitle(children[i], title, depth + 1))
                return true;
        }
        return false;
    }

private:
    xcb_atom_t Atom(const char* name)
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply {
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr), &std::free
        };
        return reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    }

    // The property's bytes whatever their type; a window that has gone by
    // now reads as untitled.
    std::string Title(xcb_window_t window, xcb_atom_t property)
    {
        if (property == XCB_ATOM_NONE)
            return {};
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply {
            xcb_get_property_reply(connection_,
                xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
            &std::free
        };
        if (!reply || reply->format != 8)
            return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get()));
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

// Waits for the map of the titled window; returns the time it arrived.
Clock::time_point WaitForWindow(Display& display, Child& child, const Options& options, Clock::time_point start)
{
    const auto deadline = start + std::chrono::milliseconds(options.timeoutMs);
    for (;;) {
        while (xcb_generic_event_t* raw = display.NextEvent()) {
            const auto arrived = Clock::now();
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event { raw, &std::free };
            if ((event->response_type & ~0x80) != XCB_MAP_NOTIFY)
                continue;
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (display.HasTitle(map->window, options.title))
                return arrived;
        }
        if (display.Broken())
            throw Failure("the X connection broke");
        if (auto how = child.Ended())
            throw Failure(std::string(options.command[0]) + " " + *how + " before showing a window titled \"" + options.title + "\"");
        if (interrupted)
            throw Failure("interrupted");
        const auto now = Clock::now();
        if (now >= deadline)
            throw Failure("no window titled \"" + options.title + "\" within " + std::to_string(options.timeoutMs) + " ms");
        pollfd fd { display.Fd(), POLLIN, 0 };
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        poll(&fd, 1, static_cast<int>(std::min<long long>(wait, 50)));
    }
}

void Idle(Child& child, const Options& options)
{
    const auto until = Clock::now() + std::chrono::milliseconds(options.idleMs);
    while (Clock::now() < until) {
        if (auto how = child.Ended())
            throw Failure(std::string(options.command[0]) + " " + *how + " while idling");
        if (interrupted)
            throw Failure("interrupted");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

long ResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    throw Failure("cannot read VmRSS of process " + std::to_string(pid));
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "startup_watch: %s\n"
                             "usage: startup_watch --title TITLE [--idle-ms N] [--timeout-ms N] -- PROGRAM [ARGS...]\n",
            error.what());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    try {
        double startupMs = 0;
        long rssKiB = 0;
        {
            auto display = std::make_unique<Display>();
            const auto start = Clock::now();
            Child child(options);
            const auto shown = WaitForWindow(*display, child, options, start);
            startupMs = Milliseconds(shown - start).count();
            // Our connection plays no part in the idle figure.
            display.reset();
            Idle(child, options);
            rssKiB = ResidentKiB(child.Pid());
        }
        std::printf("startup_ms=%.2f rss_kib=%ld\n", startupMs, rssKiB);
        return 0;
    } catch (const Failure& error) {
        std::fprintf(stderr, "startup_watch: %s\n", error.what());
        return 1;
    }
}
