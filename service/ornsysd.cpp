// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// ornsysd - the board service: holds the board's firmware and carries out
// the firmware calls and port accesses of programs that may not reach it
// themselves, as far as the groups of each client allow. One thread serves
// every connection from one poll loop (greetings, requests read, replies
// sent); the calls run on a second thread, one batch of requests at a time,
// so that a call waiting for the board (another program holds it) stops no
// other connection. The library's lock keeps them apart from direct users
// of the board.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdarg>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "ornsyslx.h"
#include "serve.h"

namespace {

using Clock = std::chrono::steady_clock;

// A request begun must be finished within this time; an idle connection
// between requests may stay as long as its program runs.
constexpr auto kRequestTimeout = std::chrono::seconds(10);
constexpr size_t kMaxClients = 256, kKeptForRoot = 16;
// A client that does not read its replies is not read from either: a
// connection holds at most this much unsent, plus the replies to one read
// of requests, plus one unfinished request.
constexpr size_t kMaxPendingReply = 256 * 1024;

struct RoleGroup {
    const char* option;
    const char* name;
    zoka::Role role;
    gid_t gid;
    bool exists;
};

RoleGroup gGroups[] = {
    {"--read-group", "ornsys", zoka::Role::Read, 0, false},
    {"--watchdog-group", "ornsys-watchdog", zoka::Role::Watchdog, 0, false},
    {"--admin-group", "ornsys-admin", zoka::Role::Admin, 0, false},
};

struct Client {
    int fd;
    pid_t pid;
    uid_t uid;
    zoka::Role role;
    std::vector<uint8_t> in, out;
    size_t sent = 0;
    Clock::time_point partialSince{};
    bool refusedLogged = false;
    uint64_t id = 0;
    // Its requests are with the caller thread: nothing more is read from it
    // until they come back, so a connection holds one batch at a time.
    bool busy = false;
    bool hungUp = false;  // left while busy: ends when its batch is back
};

// The thread that makes the calls. A batch is what one read of a client
// brought: every complete request in it is carried out and the reply
// queued; what is left of a request goes back with the replies.
class Caller {
public:
    struct Batch {
        uint64_t client;
        zoka::Role role;
        std::vector<uint8_t> in, out;
        bool ok = true;
        std::string why, refused;
    };

    bool Start() {
        if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            stopping_ = true;
        }
        ready_.notify_one();
        if (thread_.joinable()) thread_.join();
        close(wake_[0]);
        close(wake_[1]);
    }
    // Readable when batches are done.
    int WakeFd() const { return wake_[0]; }
    void Submit(Batch batch) {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            waiting_.push_back(std::move(batch));
        }
        ready_.notify_one();
    }
    std::vector<Batch> Done() {
        char drained[64];
        while (read(wake_[0], drained, sizeof drained) > 0) {
        }
        std::lock_guard<std::mutex> hold(mutex_);
        std::vector<Batch> done;
        done.swap(done_);
        return done;
    }

private:
    void Run() {
        for (;;) {
            Batch batch;
            {
                std::unique_lock<std::mutex> hold(mutex_);
                ready_.wait(hold, [this] { return stopping_ || !waiting_.empty(); });
                if (stopping_) return;
                batch = std::move(waiting_.front());
                waiting_.pop_front();
            }
            batch.ok = ornsysd::ServeInput(batch.in, batch.out, batch.role, batch.why, batch.refused);
            {
                std::lock_guard<std::mutex> hold(mutex_);
                done_.push_back(std::move(batch));
            }
            const char one = 1;
            if (write(wake_[1], &one, 1) < 0) {
                // Full: the loop has wakes enough to come.
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Batch> waiting_;
    std::vector<Batch> done_;
    bool stopping_ = false;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    fputs("ornsysd: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}

zoka::Role RoleOf(gid_t gid) {
    zoka::Role role = zoka::Role::None;
    for (const RoleGroup& group : gGroups)
        if (group.exists && group.gid == gid && group.role > role) role = group.role;
    return role;
}

// The role of a connected peer: root is admin, anyone else has the highest
// role of their primary and supplementary groups.
zoka::Role PeerRole(int fd, Client& client) {
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return zoka::Role::None;
    client.pid = credentials.pid;
    client.uid = credentials.uid;
    if (credentials.uid == 0) return zoka::Role::Admin;
    zoka::Role role = RoleOf(credentials.gid);
    gid_t groups[256];
    length = sizeof(groups);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups, &length) == 0)
        for (size_t i = 0; i < length / sizeof(gid_t); ++i)
            if (RoleOf(groups[i]) > role) role = RoleOf(groups[i]);
    return role;
}

// The socket's mode lets its owner (root) and group (the read role's) in;
// the other roles' groups get the same through the socket's access control
// list, so that a member of the watchdog or admin group alone can connect
// and a user in no role group cannot. False, after a log line, when the
// file system keeps no such lists.
bool OpenToRoleGroups(const char* path) {
    struct Entry {
        uint16_t tag, permissions;
        uint32_t id;
    } __attribute__((packed));
    constexpr uint16_t kUserObject = 0x01, kGroupObject = 0x04, kGroup = 0x08, kMask = 0x10, kOther = 0x20;
    constexpr uint16_t kReadWrite = 6;
    constexpr uint32_t kNoId = 0xFFFFFFFFu;
    // Entries by tag, then by ID, as the kernel wants them.
    std::vector<gid_t> others;
    for (size_t i = 1; i < sizeof gGroups / sizeof gGroups[0]; ++i)
        if (gGroups[i].exists && !(gGroups[0].exists && gGroups[i].gid == gGroups[0].gid))
            others.push_back(gGroups[i].gid);
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end()), others.end());
    if (others.empty()) return true;
    struct stat socketStat {};
    if (lstat(path, &socketStat) != 0 || !S_ISSOCK(socketStat.st_mode)) {
        Log("cannot let groups %s and %s connect to %s: not a socket", gGroups[1].name, gGroups[2].name, path);
        return false;
    }
    // The owner, the group and everyone else keep what the mode gives them.
    const uint16_t groupBits = uint16_t(socketStat.st_mode >> 3 & 7);
    uint8_t list[4 + 8 * sizeof(Entry)];
    const uint32_t version = 2;
    memcpy(list, &version, sizeof version);
    size_t length = sizeof version;
    auto add = [&](uint16_t tag, uint16_t permissions, uint32_t id) {
        const Entry entry{tag, permissions, id};
        memcpy(list + length, &entry, sizeof entry);
        length += sizeof entry;
    };
    add(kUserObject, uint16_t(socketStat.st_mode >> 6 & 7), kNoId);
    add(kGroupObject, groupBits, kNoId);
    for (gid_t gid : others) add(kGroup, kReadWrite, gid);
    add(kMask, uint16_t(groupBits | kReadWrite), kNoId);
    add(kOther, uint16_t(socketStat.st_mode & 7), kNoId);
    if (lsetxattr(path, "system.posix_acl_access", list, length, 0) == 0) return true;
    Log("cannot let groups %s and %s connect to %s (%s): only members of %s can", gGroups[1].name, gGroups[2].name,
        path, strerror(errno), gGroups[0].name);
    return false;
}

// systemd's socket activation: the listening socket is descriptor 3.
int ActivatedSocket() {
    const char* pid = getenv("LISTEN_PID");
    const char* fds = getenv("LISTEN_FDS");
    if (pid == nullptr || fds == nullptr || atol(pid) != long(getpid())) return -1;
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    if (atoi(fds) != 1) {
        Log("expected one socket from the service manager, got %s", fds);
        return -1;
    }
    fcntl(3, F_SETFD, FD_CLOEXEC);
    sockaddr_un bound{};
    socklen_t length = sizeof bound;
    if (getsockname(3, reinterpret_cast<sockaddr*>(&bound), &length) == 0 && bound.sun_family == AF_UNIX &&
        bound.sun_path[0] == '/')
        OpenToRoleGroups(bound.sun_path);
    return 3;
}

// Listens at `path`. The socket is made, given its group and opened to it
// inside a folder of its own that no one else may enter, and only then
// moved to `path` (never over anything but an old socket): another user who
// may write the folder of `path` cannot swap in a file of root's for the
// owner and mode to land on. `*madeFile` is the file the socket became.
int ListenOn(const char* path, struct stat* madeFile) {
    const std::string target = path;
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    std::string privateFolder = folder + "/.ornsysd-XXXXXX";
    const std::string made = privateFolder + "/socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (made.size() >= sizeof(address.sun_path)) {
        Log("socket path too long: %s", path);
        return -1;
    }
    if (mkdtemp(privateFolder.data()) == nullptr) {
        Log("cannot listen on %s: %s", path, strerror(errno));
        return -1;
    }
    const std::string inside = privateFolder + "/socket";
    strcpy(address.sun_path, inside.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const mode_t mask = umask(0177);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    umask(mask);
    bool ok = bound && listen(fd, 64) == 0;
    if (!ok) Log("cannot listen on %s: %s", path, strerror(errno));
    if (ok && gGroups[0].exists && chown(inside.c_str(), uid_t(-1), gGroups[0].gid) != 0)
        Log("cannot give %s to group %s: %s", path, gGroups[0].name, strerror(errno));
    if (ok && chmod(inside.c_str(), 0660) != 0) Log("cannot open %s to its group: %s", path, strerror(errno));
    if (ok) OpenToRoleGroups(inside.c_str());
    if (ok) {
        struct stat old;
        if (lstat(path, &old) == 0 && S_ISSOCK(old.st_mode)) unlink(path);
        if (renameat2(AT_FDCWD, inside.c_str(), AT_FDCWD, path, RENAME_NOREPLACE) != 0) {
            Log("cannot listen on %s: %s", path, strerror(errno));
            ok = false;
        }
        if (ok) lstat(path, madeFile);
    }
    unlink(inside.c_str());  // when it was not moved
    rmdir(privateFolder.c_str());
    if (!ok && fd >= 0) close(fd);
    return ok ? fd : -1;
}

void Accept(int listener, std::list<Client>& clients) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    static uint64_t lastId = 0;
    Client client{fd, 0, uid_t(-1), zoka::Role::None, {}, {}};
    client.id = ++lastId;
    client.role = PeerRole(fd, client);
    size_t ofUser = 0;
    for (const Client& other : clients) ofUser += other.uid == client.uid;
    const bool root = client.uid == 0;
    if (clients.size() >= kMaxClients || (!root && clients.size() >= kMaxClients - kKeptForRoot)) {
        Log("client %d (uid %u): more than %zu clients at once; connection closed", int(client.pid),
            unsigned(client.uid), root ? kMaxClients : kMaxClients - kKeptForRoot);
        close(fd);
        return;
    }
    if (!root && ofUser >= wire::kMaxConnectionsPerUser) {
        // Said in the greeting, so that the client can name the cause.
        wire::Greeting refusal = ornsysd::GreetingFor(zoka::Role::None);
        refusal.role = wire::kRefusedTooMany;
        if (send(fd, &refusal, sizeof refusal, MSG_NOSIGNAL | MSG_DONTWAIT) != ssize_t(sizeof refusal))
            Log("client %d (uid %u): the refusal could not be sent", int(client.pid), unsigned(client.uid));
        Log("client %d (uid %u): the user has %zu connections open, the most one user may; connection closed",
            int(client.pid), unsigned(client.uid), ofUser);
        close(fd);
        return;
    }
    const wire::Greeting greeting = ornsysd::GreetingFor(client.role);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&greeting);
    client.out.assign(bytes, bytes + sizeof(greeting));
    clients.push_back(std::move(client));
}

// False when the connection is over.
bool Flush(Client& client) {
    while (client.sent < client.out.size()) {
        ssize_t n = send(client.fd, client.out.data() + client.sent, client.out.size() - client.sent,
                         MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) return false;
        client.sent += size_t(n);
    }
    // What was sent is let go as it goes, not when the queue drains: a reader
    // that always leaves some unread does not grow the queue.
    if (client.sent == client.out.size()) {
        client.out.clear();
        client.sent = 0;
    } else if (client.sent >= 64 * 1024) {
        client.out.erase(client.out.begin(), client.out.begin() + long(client.sent));
        client.sent = 0;
    }
    return true;
}

bool Drop(Client& client, const std::string& why) {
    Log("client %d (uid %u): %s; connection closed", int(client.pid), unsigned(client.uid), why.c_str());
    return false;
}

// Reads what the client sent and hands it to the caller thread. False when
// the connection is over.
bool Receive(Client& client, Caller& caller) {
    uint8_t chunk[16384];
    ssize_t n = recv(client.fd, chunk, sizeof(chunk), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    if (n <= 0) {
        if (!client.in.empty()) return Drop(client, "request cut short (" + std::to_string(client.in.size()) +
                                                        " bytes received)");
        return false;
    }
    client.in.insert(client.in.end(), chunk, chunk + n);
    client.busy = true;
    caller.Submit({client.id, client.role, std::move(client.in), {}, true, {}, {}});
    client.in.clear();
    return true;
}

// A batch back from the caller thread: its replies queued, what is left of
// a request kept. False when the connection is over (also when the client
// left while the batch was out).
bool Returned(Client& client, Caller::Batch& batch) {
    client.busy = false;
    client.in = std::move(batch.in);
    client.out.insert(client.out.end(), batch.out.begin(), batch.out.end());
    if (!batch.refused.empty() && !client.refusedLogged) {
        Log("client %d (uid %u, role %s): %s refused (further refusals on this connection are not logged)",
            int(client.pid), unsigned(client.uid), ornsysd::RoleName(client.role), batch.refused.c_str());
        client.refusedLogged = true;
    }
    if (!batch.ok) return Drop(client, "malformed request: " + batch.why);
    if (client.hungUp) {
        if (!client.in.empty())
            Drop(client, "request cut short (" + std::to_string(client.in.size()) + " bytes received)");
        return false;
    }
    if (client.in.empty()) client.partialSince = {};
    else if (client.partialSince == Clock::time_point{}) client.partialSince = Clock::now();
    return Flush(client);
}

void Usage(FILE* to) {
    fputs("usage: ornsysd [--socket PATH] [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]\n"
          "       ornsysd --grant-socket PATH [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]\n"
          "Serves the board's firmware to programs in the role groups. Without --socket the socket\n"
          "comes from the service manager (ornsysd.socket). --grant-socket lets the watchdog and admin\n"
          "groups connect to the socket at PATH, and serves nothing.\n",
          to);
}

}  // namespace

int main(int argc, char** argv) {
    // Standard streams a parent closed are opened on /dev/null first, so
    // that no client's connection takes one of their numbers (and the log).
    for (int fd = 0; fd < 3; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd) return 1;
    const char* socketPath = nullptr;
    const char* grantPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            Usage(stdout);
            return 0;
        }
        if (option == "--version") {
            printf("ornsysd %d.%d.%d\n", ORNSYS_VERSION_MAJOR, ORNSYS_VERSION_MINOR, ORNSYS_VERSION_PATCH);
            return 0;
        }
        bool known = false;
        if (i + 1 < argc && option == "--socket") {
            socketPath = argv[++i];
            known = true;
        } else if (i + 1 < argc && option == "--grant-socket") {
            grantPath = argv[++i];
            known = true;
        }
        for (RoleGroup& group : gGroups) {
            if (!known && i + 1 < argc && option == group.option) {
                group.name = argv[++i];
                known = true;
            }
        }
        if (!known) {
            fprintf(stderr, "ornsysd: unknown or incomplete option: %s\n", argv[i]);
            Usage(stderr);
            return 2;
        }
    }
    for (RoleGroup& roleGroup : gGroups) {
        char* end = nullptr;
        const unsigned long number = strtoul(roleGroup.name, &end, 10);
        if (const group* entry = getgrnam(roleGroup.name)) {
            roleGroup.gid = entry->gr_gid;
            roleGroup.exists = true;
        } else if (*roleGroup.name != '\0' && *end == '\0' && number < 0xFFFFFFFFul) {
            roleGroup.gid = gid_t(number);  // a group ID without a name
            roleGroup.exists = true;
        } else {
            Log("group %s does not exist: only root has the %s role", roleGroup.name,
                ornsysd::RoleName(roleGroup.role));
        }
    }

    // For the socket unit, before the service first starts: the socket is
    // made by the service manager at boot.
    if (grantPath != nullptr) return OpenToRoleGroups(grantPath) ? 0 : 1;

    // The service is the board's one user on behalf of others: it never
    // reaches the board through a service itself.
    const char* backend = getenv("ORNSYS_BACKEND");
    if (backend != nullptr && strcmp(backend, "service") == 0) {
        Log("ORNSYS_BACKEND=service: the board service cannot serve itself");
        return 1;
    }
    if (backend == nullptr || *backend == '\0') setenv("ORNSYS_BACKEND", "board", 1);

    // A stop asked for while starting is taken once serving (through the
    // signal descriptor), not by dying with the socket left behind.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    struct stat madeSocket{};
    int listener = socketPath ? ListenOn(socketPath, &madeSocket) : ActivatedSocket();
    if (listener < 0) {
        if (socketPath == nullptr) Log("no socket: start it through ornsysd.socket, or give --socket PATH");
        return 1;
    }
    fcntl(listener, F_SETFL, fcntl(listener, F_GETFL) | O_NONBLOCK);
    // However the service ends from here, a socket it made goes with it:
    // no client is left connecting to a path nobody serves. Only that
    // socket: a later service that took the path over keeps its own.
    struct SocketRemover {
        const char* path;
        const struct stat& made;
        ~SocketRemover() {
            struct stat now;
            if (path != nullptr && lstat(path, &now) == 0 && now.st_dev == made.st_dev && now.st_ino == made.st_ino)
                unlink(path);
        }
    } removeSocket{socketPath, madeSocket};

    if (!OrnOpen()) {
        DWORD code = 0;
        char message[64] = "";
        OrnGetLastError(&code, message, sizeof(message));
        Log("opening the board failed: 0x%04X %s (ORNSYS_DEBUG=1 tells why)", unsigned(code), message);
        return 1;
    }

    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) {
        Log("signalfd: %s", strerror(errno));
        OrnClose();
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);
    Log("serving the %s backend to roles %s, %s, %s", getenv("ORNSYS_BACKEND"), gGroups[0].name, gGroups[1].name,
        gGroups[2].name);

    Caller caller;
    if (!caller.Start()) {
        Log("cannot start the caller thread: %s", strerror(errno));
        OrnClose();
        return 1;
    }
    std::list<Client> clients;
    std::vector<pollfd> polled;
    for (;;) {
        polled.assign({{listener, POLLIN, 0}, {signals, POLLIN, 0}, {caller.WakeFd(), POLLIN, 0}});
        int timeout = -1;
        const Clock::time_point now = Clock::now();
        for (const Client& client : clients) {
            short events = client.busy || client.out.size() - client.sent > kMaxPendingReply ? 0 : POLLIN;
            if (client.sent < client.out.size()) events |= POLLOUT;
            polled.push_back({client.hungUp ? -1 : client.fd, events, 0});
            if (!client.busy && client.partialSince != Clock::time_point{}) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                client.partialSince + kRequestTimeout - now).count();
                left = left < 0 ? 0 : left + 1;
                if (timeout < 0 || left < timeout) timeout = int(left);
            }
        }
        if (poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR) {
            Log("poll: %s", strerror(errno));
            break;
        }
        if (polled[1].revents & POLLIN) break;
        size_t index = 3;
        const Clock::time_point after = Clock::now();
        for (auto it = clients.begin(); it != clients.end(); ++index) {
            Client& client = *it;
            const short events = polled[index].revents;
            bool open = true;
            // A client that left while its batch is out is not looked at
            // again; it ends when the batch is back.
            if (client.busy) client.hungUp = client.hungUp || (events & (POLLHUP | POLLERR));
            else if (events & (POLLIN | POLLHUP | POLLERR)) open = Receive(client, caller);
            if (open && (events & POLLOUT)) open = Flush(client);
            if (open && !client.busy && client.partialSince != Clock::time_point{} &&
                after - client.partialSince >= kRequestTimeout)
                open = Drop(client, "request not finished within 10 s");
            if (open) {
                ++it;
            } else {
                close(client.fd);
                it = clients.erase(it);
            }
        }
        if (polled[2].revents & POLLIN) {
            for (Caller::Batch& batch : caller.Done()) {
                for (auto it = clients.begin(); it != clients.end(); ++it) {
                    if (it->id != batch.client) continue;
                    if (!Returned(*it, batch)) {
                        close(it->fd);
                        clients.erase(it);
                    }
                    break;
                }
            }
        }
        if (polled[0].revents & POLLIN) Accept(listener, clients);
    }
    caller.Stop();
    for (Client& client : clients) close(client.fd);
    OrnClose();
    Log("stopped");
    return 0;
}
