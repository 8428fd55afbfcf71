// The file system and the standard streams on POSIX systems.
#include "os/os.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <initializer_list>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static const char *volatile guarded[2] = {}; // the names that a signal removes first

// Removes the guarded files, then ends the process by the signal, as it would have ended.
static void OnSignal(int sig)
{
    for (const char *name : guarded)
        if (name != nullptr)
            unlink(name); // the directory is held: the name is still the run's own
    signal(sig, SIG_DFL);
    raise(sig); // delivered when the handler returns
}

bool OsStart()
{
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            return false;
    struct sigaction on {
    }, was{};
    on.sa_handler = OnSignal;
    sigfillset(&on.sa_mask); // one handler at a time
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        if (sigaction(sig, nullptr, &was) != 0 ||
            (was.sa_handler != SIG_IGN && sigaction(sig, &on, nullptr) != 0))
            return false; // a signal ignored by whoever started the tool stays ignored
    return signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
}

void OsGuard(const char *name)
{
    for (const char *volatile &slot : guarded)
        if (slot == nullptr) {
            slot = name;
            return;
        }
}

void OsUnguard(FILE *, const char *name)
{
    for (const char *volatile &slot : guarded)
        if (slot != nullptr && std::strcmp(slot, name) == 0)
            slot = nullptr;
}

// A stream on the descriptor fd, which is closed when no stream can be made.
static FILE *Stream(int fd, const char *mode)
{
    FILE *f = fd >= 0 ? fdopen(fd, mode) : nullptr;
    if (fd >= 0 && f == nullptr)
        close(fd);
    return f;
}

FILE *OsOpenRead(const char *name)
{
    // Non-blocking so that a FIFO cannot hold the open; only a regular file is kept.
    if (OsFault("open"))
        return nullptr;
    int         fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
                    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
        close(fd);
        fd = -1;
    }
    return Stream(fd, "rb");
}

FILE *OsCreate(const char *name)
{
    OsRemove(name); // a link, FIFO or device in the way goes, not what it points at
    if (OsFault("create"))
        return nullptr;
    return Stream(open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666), "wb");
}

// A run holds its working directory by an advisory lock on the directory itself: no file is
// created for it, a second run waits for it a while, and the kernel drops it when the process
// ends, however it ends.
static int     held = -1;           // the working directory, open and locked
constexpr long LOCK_WAIT_MS = 2000; // how long a run waits for another to let the directory go

bool OsLock()
{
    if (OsFault("lock"))
        return false;
    held = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (long waited = 0; held >= 0 && waited <= LOCK_WAIT_MS;) { // a run holds it for moments
        if (flock(held, LOCK_EX | LOCK_NB) == 0)
            return true;
        long ms = errno != EWOULDBLOCK ? LOCK_WAIT_MS + 1
                  : waited < 8         ? 1
                  : waited / 4 < 100   ? waited / 4
                                       : 100;
        waited += ms;
        if (waited <= LOCK_WAIT_MS)
            usleep(static_cast<useconds_t>(ms * 1000));
    }
    OsUnlock();
    return false;
}

void OsUnlock()
{
    if (held >= 0)
        close(held);
    held = -1;
}

void OsInherit(FILE *to, FILE *from)
{
    struct stat st;
    if (fstat(fileno(from), &st) != 0)
        return;
    if (fchown(fileno(to), st.st_uid, st.st_gid) != 0) // allowed to root, or to a group member
        (void)!fchown(fileno(to), static_cast<uid_t>(-1), st.st_gid);
    fchmod(fileno(to), st.st_mode & 07777);
}

bool OsEmpty(FILE *f)
{
    return !OsFault("write") && ftruncate(fileno(f), 0) == 0 && std::fseek(f, 0, SEEK_SET) == 0;
}

bool OsSync(FILE *f)
{
    return !OsFault("sync") && fsync(fileno(f)) == 0;
}

bool OsReplace(FILE *, const char *name, const char *target)
{
    bool moved = !OsFault("rename") && std::rename(name, target) == 0;
    if (moved && held >= 0)
        fsync(held); // the new name reaches the disk too
    return moved;
}

void OsDiscard(FILE *f, const char *name)
{
    std::fclose(f);
    if (!OsFault("remove"))
        unlink(name); // the directory is held: the name is still ours
}

bool OsHasName(const char *name)
{
    struct stat st;
    return lstat(name, &st) == 0;
}

bool OsIsFile(const char *name, bool)
{
    struct stat st;
    return lstat(name, &st) == 0 && S_ISREG(st.st_mode);
}

int OsTaken(const char *name)
{
    struct stat st;
    if (OsFault("stat"))
        return -1;
    return lstat(name, &st) == 0 ? 1 : errno == ENOENT ? 0 : -1;
}

bool OsSameFile(const char *a, const char *b)
{
    struct stat x, y;
    return lstat(a, &x) == 0 && lstat(b, &y) == 0 && S_ISREG(x.st_mode) && S_ISREG(y.st_mode) &&
           x.st_nlink > 1 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

bool OsRemove(const char *name)
{
    return !OsFault("remove") && (unlink(name) == 0 || errno == ENOENT);
}

bool OsWritable(const char *name)
{
    return access(name, W_OK) == 0;
}

bool OsRename(const char *source, const char *target)
{
    if (OsFault("rename") || !OsIsFile(source))
        return false; // the run holds the directory: nothing of another run comes in between
    if (renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0)
        return true;
    // A file system without the flag: the same check under the hold.
    struct stat st;
    if ((errno != EINVAL && errno != ENOSYS) || lstat(target, &st) == 0)
        return false;
    return std::rename(source, target) == 0;
}

// Converts the n bytes at s by cd into out, at most room bytes; the bytes written, 0 on failure.
static size_t Convert(iconv_t cd, const char *s, size_t n, char *out, size_t room)
{
    char  *in = const_cast<char *>(s), *to = out;
    size_t left = n;
    if (cd == reinterpret_cast<iconv_t>(-1))
        return 0;
    if (iconv(cd, &in, &left, &to, &room) == static_cast<size_t>(-1) || left != 0) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return 0;
    }
    return static_cast<size_t>(to - out);
}

size_t OsUtf8Sjis(const char *s, size_t n, char *out, size_t room)
{
    static iconv_t cd = iconv_open("CP932", "UTF-8"); // once; (iconv_t)-1 where none is installed
    return Convert(cd, s, n, out, room);
}

size_t OsSjisUtf8(const char *s, size_t n, char *out)
{
    static iconv_t cd = iconv_open("UTF-8", "CP932");
    return Convert(cd, s, n, out, 4);
}
