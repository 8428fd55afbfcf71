// The text layer over binary standard streams, with one buffer per stream.
#include "text/textio.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Starts a stream on f; false (and nothing open) when f is nullptr.
static bool Start(TextFile *t, FILE *f, bool writing)
{
    t->f = f;
    t->writing = writing;
    t->eof = false;
    t->err = false;
    t->pos = 0;
    t->len = 0;
    t->pieces = 0;
    if (f == nullptr)
        return false;
    std::setvbuf(f, nullptr, _IONBF, 0); // our buffer is the only one
    return true;
}

#ifdef _WIN32
static HANDLE Handle(const TextFile *t)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(t->f)));
}

bool TextOpen(TextFile *t, const char *name, bool writing)
{
    if (!writing) {
        if (!Start(t, std::fopen(name, "rb"), false))
            return false;
        if (GetFileType(Handle(t)) == FILE_TYPE_DISK)
            return true;
        TextClose(t); // a device such as NUL or COM1
        return false;
    }
    DeleteFileA(name); // fails while another run holds it open: then CREATE_NEW fails too
    HANDLE h = CreateFileA(name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Start(t, nullptr, true);
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return Start(t, nullptr, true);
    }
    return Start(t, _fdopen(fd, "wb"), true);
}
#else
bool TextOpen(TextFile *t, const char *name, bool writing)
{
    int fd = -1;
    if (writing) {
        unlink(name); // a link, FIFO or device in the way goes, not what it points at
        fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } else {
        // Non-blocking so that a FIFO cannot hold the open; only a regular file is kept.
        fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st;
        if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
                        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
            close(fd);
            fd = -1;
        }
    }
    FILE *f = fd >= 0 ? fdopen(fd, writing ? "wb" : "rb") : nullptr;
    if (fd >= 0 && f == nullptr)
        close(fd);
    return Start(t, f, writing);
}
#endif

// Refills the read buffer; false at end of file or on error.
static bool Fill(TextFile *t)
{
    if (t->eof || t->err)
        return false;
    t->pos = 0;
    t->len = std::fread(t->buf, 1, sizeof t->buf, t->f);
#ifdef TEXT_READ_FAILS_AFTER // a build for the tests: reads fail part way through a file
    static size_t total = 0;
    total += t->len;
    if (total > TEXT_READ_FAILS_AFTER) {
        t->len = 0;
        t->err = true;
        return false;
    }
#endif
    if (t->len == 0) {
        if (std::ferror(t->f))
            t->err = true;
        else
            t->eof = true;
        return false;
    }
    return true;
}

// The first CR or LF among the n bytes at p, or nullptr.
static const char *LineEnd(const char *p, size_t n)
{
    const char *lf = static_cast<const char *>(std::memchr(p, '\n', n));
    const char *cr = static_cast<const char *>(std::memchr(p, '\r', lf ? lf - p : n));
    return cr ? cr : lf;
}

int TextGets(char *s, int cap, TextFile *t)
{
    size_t n = 0, room = cap - 1;
    while (n < room) {
        if (t->pos == t->len && !Fill(t))
            break;
        const char *p = t->buf + t->pos;
        size_t      k = std::min(room - n, t->len - t->pos);
        const char *e = LineEnd(p, k);
        size_t      m = e ? e - p : k;
        std::memcpy(s + n, p, m);
        n += m;
        t->pos += m;
        if (e == nullptr)
            continue;
        char c = t->buf[t->pos++];
        if (c == '\r' && (t->pos < t->len || Fill(t)) && t->buf[t->pos] == '\n') {
            c = '\n'; // CR LF is one line end
            t->pos++;
        }
        s[n++] = c;
        if (c == '\n')
            break;
    }
    s[n] = '\0';
    t->pieces += n > 0 ? 1 : 0;
    return static_cast<int>(n);
}

int TextPiece(TextFile *t, const char **s, char *spare)
{
    char       *p = t->buf + t->pos;
    const char *e = LineEnd(p, std::min<size_t>(t->len - t->pos, PIECE - 1));
    if (e == nullptr || (*e == '\r' && (e + 1 == t->buf + t->len || e[1] != '\n'))) {
        // not whole here, or a lone CR, which stays in the piece
        *s = spare;
        return TextGets(spare, PIECE, t);
    }
    size_t n = e - p + 1;
    t->pos += n;
    if (*e == '\r') { // CR LF is one line end
        p[n - 1] = '\n';
        t->pos++;
    }
    t->pieces++;
    *s = p;
    return static_cast<int>(n);
}

bool TextRewind(TextFile *t)
{
    t->pos = t->len = 0;
    t->pieces = 0;
    t->eof = false;
    if (std::fseek(t->f, 0, SEEK_SET) != 0)
        t->err = true;
    return !t->err;
}

static void Flush(TextFile *t)
{
    if (t->len > 0 && std::fwrite(t->buf, 1, t->len, t->f) != t->len)
        t->err = true;
    t->len = 0;
}

void TextWrite(TextFile *t, const char *s, size_t n)
{
    while (n > 0) {
        if (t->len + 2 >= sizeof t->buf) // room for at least one byte and a CR LF
            Flush(t);
        size_t      k = std::min(n, sizeof t->buf - t->len - 2);
        const char *lf = static_cast<const char *>(std::memchr(s, '\n', k));
        size_t      m = lf ? lf - s : k;
        std::memcpy(t->buf + t->len, s, m);
        t->len += m;
        if (lf != nullptr) {
            t->buf[t->len++] = '\r';
            t->buf[t->len++] = '\n';
            m++;
        }
        s += m;
        n -= m;
    }
}

void TextWriteLine(TextFile *t, const char *s, size_t n)
{
    if (t->len + n + 2 > sizeof t->buf)
        Flush(t);
    std::memcpy(t->buf + t->len, s, n);
    t->len += n;
    t->buf[t->len++] = '\r';
    t->buf[t->len++] = '\n';
}

bool TextEmpty(TextFile *t)
{
    t->len = 0;
#ifdef _WIN32
    bool emptied = _chsize(_fileno(t->f), 0) == 0;
#else
    bool emptied = ftruncate(fileno(t->f), 0) == 0;
#endif
    return emptied && std::fseek(t->f, 0, SEEK_SET) == 0;
}

bool TextClose(TextFile *t)
{
    if (t->f == nullptr)
        return true;
    if (t->writing)
        Flush(t);
    if (std::fclose(t->f) != 0)
        t->err = true;
    t->f = nullptr;
    return !t->err;
}

bool TextSync(TextFile *t)
{
    Flush(t);
#ifdef _WIN32
    if (!FlushFileBuffers(Handle(t)))
#else
    if (fsync(fileno(t->f)) != 0)
#endif
        t->err = true;
    return !t->err;
}

bool FileHasName(const char *name)
{
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE           h = FindFirstFileA(name, &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return std::strcmp(found.cFileName, name) == 0;
#else
    return access(name, F_OK) == 0;
#endif
}

bool FileReplace(const char *source, const char *target)
{
#ifdef _WIN32
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source, target) == 0;
#endif
}

#ifdef _WIN32
// Windows cannot lock a directory. A run holds it through its command file, which it creates
// first and keeps open without delete sharing until it has renamed it into place: another run
// can then neither remove nor create that name, and the hold ends with the process.
bool TextLock()
{
    return true;
}

void TextUnlock()
{
}

void TextInherit(TextFile *, const TextFile *)
{
}

bool FileWritable(const char *name)
{
    DWORD a = GetFileAttributesA(name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) == 0;
}

bool TextReplace(TextFile *t, const char *, const char *target)
{
    // Renamed through its own handle: the file cannot be swapped between the check and the move.
    struct {
        FILE_RENAME_INFO info;
        WCHAR            room[MAX_PATH];
    } to{};
    WCHAR wide[MAX_PATH];
    DWORD n = MultiByteToWideChar(CP_ACP, 0, target, -1, wide, MAX_PATH) > 0
                  ? GetFullPathNameW(wide, MAX_PATH, to.info.FileName, nullptr)
                  : 0;
    to.info.ReplaceIfExists = TRUE;
    to.info.FileNameLength = n * sizeof(WCHAR);
    bool moved = n > 0 && n < MAX_PATH &&
                 SetFileInformationByHandle(Handle(t), FileRenameInfo, &to, sizeof to) != 0;
    TextClose(t);
    return moved;
}

void TextDiscard(TextFile *t, const char *)
{
    FILE_DISPOSITION_INFO gone{TRUE}; // removes this file, whoever took the name since
    SetFileInformationByHandle(Handle(t), FileDispositionInfo, &gone, sizeof gone);
    t->len = 0;
    TextClose(t);
}
#else
// A run holds its working directory by an advisory lock on the directory itself: no file is
// created for it, a second run sees it at once (LOCK_NB), and the kernel drops it when the
// process ends, however it ends.
static int held = -1; // the working directory, open and locked

bool TextLock()
{
    held = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (held >= 0 && flock(held, LOCK_EX | LOCK_NB) == 0)
        return true;
    TextUnlock();
    return false;
}

void TextUnlock()
{
    if (held >= 0)
        close(held);
    held = -1;
}

void TextInherit(TextFile *t, const TextFile *from)
{
    struct stat st;
    if (fstat(fileno(from->f), &st) != 0)
        return;
    if (fchown(fileno(t->f), st.st_uid, st.st_gid) != 0) // allowed to root, or to a group member
        (void)!fchown(fileno(t->f), static_cast<uid_t>(-1), st.st_gid);
    fchmod(fileno(t->f), st.st_mode & 07777);
}

bool FileWritable(const char *name)
{
    return access(name, W_OK) == 0;
}

bool TextReplace(TextFile *t, const char *name, const char *target)
{
    bool moved = std::rename(name, target) == 0;
    if (moved && held >= 0)
        fsync(held); // the new name reaches the disk too
    TextClose(t);
    return moved;
}

void TextDiscard(TextFile *t, const char *name)
{
    t->len = 0;
    TextClose(t);
    unlink(name); // the directory is held: the name is still ours
}
#endif
