// The file system and the console on Windows; what others hold for moments is tried again a while.
#include "os/os.h"

#define WIN32_LEAN_AND_MEAN
#include <aclapi.h>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

constexpr DWORD RETRY_MS = 2000; // how long a failure that may clear in moments is tried again
constexpr DWORD LONGEST = 32768; // the longest path Windows takes, in characters
constexpr DWORD ENTRY = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS; // itself
constexpr DWORD ENTRY_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD MOVE = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES; // remove, rename
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
static FILE_DISPOSITION_INFO gone{TRUE}; // a file removed once its last handle is closed

static HANDLE Handle(FILE *f)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
}

// True, after a pause a little longer each time, while RETRY_MS have not passed and the last
// error at name may clear in moments (a hold, a deletion; any error while deleting).
static bool Again(const char *name, DWORD &waited, bool deleting = false)
{
    DWORD err = GetLastError(), a = deleting ? 0 : GetFileAttributesA(name);
    bool  lasting = a != INVALID_FILE_ATTRIBUTES &&
                   (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
    DWORD ms = waited < 8 ? 1 : waited / 4 < 100 ? waited / 4 : 100;
    if (!deleting && err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION &&
        (err != ERROR_ACCESS_DENIED || lasting))
        return false;
    if (waited >= RETRY_MS)
        return false;
    Sleep(ms);
    return waited += ms, true;
}

// True when the seam fails this call of kind op, as a lost device would.
static bool Fault(const char *op)
{
    return OsFault(op) && (SetLastError(ERROR_DEV_NOT_EXIST), true);
}

// Closes h where it is open, its file removed first where remove; INVALID_HANDLE_VALUE.
static HANDLE Shut(HANDLE h, bool remove = false)
{
    if (remove)
        SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return INVALID_HANDLE_VALUE;
}

// A stream on the handle h, opened with the C runtime's flags and mode; closes h on failure.
static FILE *Stream(HANDLE h, int flags, const char *mode)
{
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    int   fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    FILE *f = fd >= 0 ? _fdopen(fd, mode) : nullptr;
    if (fd < 0)
        CloseHandle(h);
    else if (f == nullptr)
        _close(fd);
    return f;
}

// Per slot, a guarded file's handle and its state: 1 guarded, 2 an event removing it (OnEvent).
static HANDLE        guarded[2] = {};
static volatile LONG guard[2] = {};
static const char   *pending = nullptr; // the name whose next creation is guarded

static BOOL WINAPI OnEvent(DWORD event)
{
    for (int i = 0; i < 2; i++)
        if (event <= CTRL_CLOSE_EVENT && InterlockedCompareExchange(&guard[i], 2, 1) == 1)
            SetFileInformationByHandle(guarded[i], FileDispositionInfo, &gone, sizeof gone);
    return FALSE; // the next handler, the system's, ends the process as the event would
}

bool OsStart()
{
    _setmode(_fileno(stdout), _O_BINARY); // the console lines are the same bytes everywhere
    _setmode(_fileno(stderr), _O_BINARY);
    return SetConsoleCtrlHandler(OnEvent, TRUE) != 0;
}

void OsGuard(const char *name)
{
    pending = name;
}

void OsUnguard(FILE *f, const char *)
{
    pending = nullptr;
    for (int i = 0; f != nullptr && i < 2; i++)
        if (guarded[i] == Handle(f) && InterlockedCompareExchange(&guard[i], 0, 1) == 2)
            Sleep(INFINITE); // an event is removing the file and ending the process
}

// Opens what is at name (by default the entry itself: OnTheName), tried again where wait while
// held.
static HANDLE Open(const char *name, DWORD access, DWORD flags = ENTRY, bool wait = true,
                   DWORD share = ENTRY_SHARING)
{
    HANDLE h;
    DWORD  waited = 0;
    do
        h = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, flags, nullptr);
    while (h == INVALID_HANDLE_VALUE && wait && Again(name, waited));
    return h;
}

// Read with every sharing: a second link of the file elsewhere may go meanwhile.
FILE *OsOpenRead(const char *name)
{
    HANDLE h = Fault("open") ? INVALID_HANDLE_VALUE : Open(name, GENERIC_READ, 0);
    bool   disk = h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_DISK; // not NUL, COM1
    return Stream(disk ? h : Shut(h), _O_RDONLY, "rb");
}

// True when h is open on name in the working directory itself (by its final path; exact: case too).
static bool OnTheName(HANDLE h, const char *name, bool exact = false)
{
    WCHAR  here[LONGEST], file[LONGEST], wide[MAX_PATH];
    HANDLE dir = Open(".", FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS, true,
                      FILE_SHARE_READ | FILE_SHARE_WRITE);
    DWORD  n = 0, k = 0;
    if (dir != INVALID_HANDLE_VALUE)
        n = GetFinalPathNameByHandleW(dir, here, LONGEST, FILE_NAME_NORMALIZED);
    Shut(dir);
    n = n < LONGEST ? n - (n > 0 && here[n - 1] == L'\\') : 0; // a drive's root ends in one
    k = GetFinalPathNameByHandleW(h, file, LONGEST, FILE_NAME_NORMALIZED);
    return n > 0 && k > n + 1 && k < LONGEST && _wcsnicmp(here, file, n) == 0 && file[n] == L'\\' &&
           MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) > 0 &&
           (exact ? std::wcscmp(file + n + 1, wide) : _wcsicmp(file + n + 1, wide)) == 0;
}

bool OsRemove(const char *name)
{
    HANDLE h = Fault("remove") ? INVALID_HANDLE_VALUE : Open(name, MOVE, ENTRY, false);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    FILE_BASIC_INFO basic{};
    bool            removed = false;
    DWORD           err = ERROR_FILE_EXISTS; // a directory, or not the entry itself: it stays
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && OnTheName(h, name)) {
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL; // a read-only leftover goes as on POSIX
        SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
        removed = SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
        err = GetLastError();
    }
    CloseHandle(h);
    SetLastError(err);
    return removed;
}

bool OsLock()
{
    return !Fault("lock"); // a run's command file, open without delete sharing, holds the folder
}

void OsUnlock()
{
}

void OsInherit(FILE *to, FILE *from)
{
    HANDLE          t = Handle(to), h = Handle(from);
    FILE_BASIC_INFO basic{}, mine{}; // times of 0 stay as they are
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        DWORD kept = basic.FileAttributes & KEPT_ATTRIBUTES;
        mine.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(t, FileBasicInfo, &mine, sizeof mine);
    }
    // The access list goes over where it differs; not under Wine, which makes it up from the mode.
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr)
        return;
    PACL                        acl = nullptr, own = nullptr; // copied where they differ
    PSECURITY_DESCRIPTOR        sd = nullptr, ownSd = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD                       revision = 0, how = DACL_SECURITY_INFORMATION;
    if (GetSecurityInfo(h, SE_FILE_OBJECT, how, nullptr, nullptr, &acl, nullptr, &sd) == 0 &&
        GetSecurityInfo(t, SE_FILE_OBJECT, how, nullptr, nullptr, &own, nullptr, &ownSd) == 0 &&
        acl != nullptr && GetSecurityDescriptorControl(sd, &control, &revision) &&
        (own == nullptr || own->AclSize != acl->AclSize ||
         std::memcmp(own, acl, acl->AclSize) != 0))
        SetSecurityInfo(t, SE_FILE_OBJECT,
                        how | (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                                           : UNPROTECTED_DACL_SECURITY_INFORMATION),
                        nullptr, nullptr, acl, nullptr);
    LocalFree(sd);
    LocalFree(ownSd);
}

bool OsEmpty(FILE *f)
{
    return !Fault("write") && _chsize(_fileno(f), 0) == 0 && std::fseek(f, 0, SEEK_SET) == 0;
}

bool OsSync(FILE *f)
{
    return !Fault("sync") && FlushFileBuffers(Handle(f)) != 0;
}

// A new name for what a handle is open on, as the calls that rename and link take it.
struct NameInfo {
    FILE_RENAME_INFO info; // the native call that links takes the same layout
    WCHAR            room[LONGEST + 8];
};

// Puts the full path of target into to, as the native calls take it ("\??\" first) if native.
static bool TargetName(const char *target, NameInfo &to, bool native)
{
    WCHAR wide[MAX_PATH], full[LONGEST];
    bool  ok = MultiByteToWideChar(CP_ACP, 0, target, -1, wide, MAX_PATH) > 0;
    DWORD n = ok ? GetFullPathNameW(wide, LONGEST, full, nullptr) : 0;
    if (n == 0 || n >= LONGEST)
        return false;
    bool unc = native && full[0] == L'\\' && full[1] == L'\\'; // \\server as \??\UNC\server
    std::wcscpy(to.info.FileName, !native ? L"" : unc ? L"\\??\\UNC" : L"\\??\\");
    std::wcscat(to.info.FileName, unc ? full + 1 : full);
    to.info.FileNameLength = static_cast<DWORD>(std::wcslen(to.info.FileName) * sizeof(WCHAR));
    return true;
}

// Renames what h is open on to target, replacing what stands there only when replace is true.
static bool RenameHandle(HANDLE h, const char *target, bool replace)
{
    NameInfo to{};
    bool     named = TargetName(target, to, false);
    to.info.ReplaceIfExists = replace;
    for (DWORD waited = 0; named && !SetFileInformationByHandle(h, FileRenameInfo, &to, sizeof to);)
        named = Again(target, waited);
    return named;
}

// A new file at name, made exclusively, gone when closed where flags say so.
static HANDLE CreateNew(const char *name, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileA(name, GENERIC_WRITE | DELETE | WRITE_DAC, FILE_SHARE_READ, nullptr,
                       CREATE_NEW, flags, nullptr);
}

// A run's command file held, or a removal kept pending by another handle, takes the name; where
// name is not the entry itself (a link Wine follows), a new file beside it is renamed over it.
FILE *OsCreate(const char *name)
{
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD  err = 0, waited = 0;
    bool   removed;
    char   side[MAX_PATH];
    while (!(removed = OsRemove(name)) || Fault("create") ||
           (h = CreateNew(name)) == INVALID_HANDLE_VALUE) {
        err = GetLastError();
        if (!Again(name, waited,
                   removed && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)))
            break;
    }
    if (h == INVALID_HANDLE_VALUE && err == ERROR_FILE_EXISTS &&
        std::snprintf(side, sizeof side, "%s~", name) < MAX_PATH && OsRemove(side) &&
        (h = CreateNew(side)) != INVALID_HANDLE_VALUE && !RenameHandle(h, name, true))
        h = Shut(h, true);
    if (h != INVALID_HANDLE_VALUE && pending == name) { // the first free slot
        guarded[guard[0] != 0] = h;
        InterlockedExchange(&guard[guard[0] != 0], 1);
    }
    return Stream(h, _O_WRONLY, "wb");
}

bool OsReplace(FILE *f, const char *name, const char *target)
{
    OsUnguard(f, name); // once moved, the handle's file is the target's
    return !Fault("rename") && RenameHandle(Handle(f), target, true); // by its handle: no swap
}

void OsDiscard(FILE *f, const char *name)
{
    if (!Fault("remove")) // this file, whoever took the name since
        SetFileInformationByHandle(Handle(f), FileDispositionInfo, &gone, sizeof gone);
    OsUnguard(f, name); // before the handle goes
    std::fclose(f);
}

bool OsHasName(const char *name)
{
    WIN32_FIND_DATAA found; // where names differ in case only, each of them is found
    HANDLE           h = FindFirstFileA(name, &found);
    bool             exact = h != INVALID_HANDLE_VALUE && std::strcmp(found.cFileName, name) == 0;
    while (h != INVALID_HANDLE_VALUE && !exact && FindNextFileA(h, &found))
        exact = std::strcmp(found.cFileName, name) == 0;
    return (h == INVALID_HANDLE_VALUE || FindClose(h)) && exact;
}

// Opens the regular file name itself (case too unless anyCase) as Open, its identity into id.
static HANDLE OpenFile(const char *name, DWORD access, bool wait, BY_HANDLE_FILE_INFORMATION &id,
                       bool anyCase = false)
{
    HANDLE h = Open(name, access, ENTRY, wait);
    bool   file =
        h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &id) &&
        (id.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        GetFileType(h) == FILE_TYPE_DISK && OnTheName(h, name, !anyCase);
    return file ? h : Shut(h);
}

// The identity of the regular file at name (OpenFile) into id; false where there is none.
static bool Identity(const char *name, BY_HANDLE_FILE_INFORMATION &id, bool anyCase = false)
{
    HANDLE h = OpenFile(name, FILE_READ_ATTRIBUTES, false, id, anyCase);
    return h != INVALID_HANDLE_VALUE && CloseHandle(h);
}

bool OsIsFile(const char *name, bool anyCase)
{
    BY_HANDLE_FILE_INFORMATION id;
    return Identity(name, id, anyCase);
}

// Where the system finds nothing, an exclusive create finds a link that Wine follows to nothing.
int OsTaken(const char *name)
{
    DWORD  err = Fault("stat")                                         ? ERROR_DEV_NOT_EXIST
                 : GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES ? 0
                                                                       : GetLastError();
    HANDLE h = err == ERROR_FILE_NOT_FOUND ? CreateNew(name, FILE_FLAG_DELETE_ON_CLOSE)
                                           : INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE)
        return CloseHandle(h), 0;
    err = err == ERROR_FILE_NOT_FOUND ? GetLastError() : err;
    return err == 0 || err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ? 1 : -1;
}

bool OsSameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION x, y;
    return Identity(a, x) && Identity(b, y) && x.nNumberOfLinks > 1 &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool OsWritable(const char *name)
{
    DWORD a = GetFileAttributesA(name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) == 0;
}

bool OsRename(const char *source, const char *target)
{
    using SetInformation = ULONG(WINAPI *)(HANDLE, void *, void *, ULONG, int);
    constexpr ULONG NO_LINKS[] = {0xC0000002, 0xC0000010, 0xC00000BB}; // no links (FAT, ...)
    bool            linkless = Fault("rename"); // the seam's failure: a file system without links
    BY_HANDLE_FILE_INFORMATION id;
    HANDLE h = OpenFile(source, MOVE, true, id); // the entry itself: a link's target never moves
    if (h == INVALID_HANDLE_VALUE)
        return false;
    NameInfo  to{};       // a second name first: never over a dangling link, as Wine's rename goes
    ULONG_PTR io[2] = {}; // the status block: the status, and what was done
    FARPROC   proc =
        linkless ? nullptr : GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile");
    auto  set = reinterpret_cast<SetInformation>(reinterpret_cast<void (*)()>(proc));
    ULONG status = set != nullptr && TargetName(target, to, true)
                       ? set(h, &io, &to, sizeof to, 11)
                       : NO_LINKS[0]; // 11: FileLinkInformation
    bool  moved = false;
    if (status == 0)
        moved = SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone) ||
                (OsRemove(target), false); // the file stays under its first name only
    else if (status == NO_LINKS[0] || status == NO_LINKS[1] || status == NO_LINKS[2])
        moved = RenameHandle(h, target, false);
    CloseHandle(h);
    return moved;
}

// The n bytes at s recoded from code page from into to at out (room bytes); 0 where not possible.
static size_t Recode(UINT from, UINT to, const char *s, size_t n, char *out, size_t room)
{
    WCHAR wide[256];
    BOOL  lost = FALSE, *tell = to == CP_UTF8 ? nullptr : &lost; // UTF-8 has every character
    DWORD best = tell != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
    int   k = n < 256 ? MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, s, int(n), wide, 256) : 0;
    int   m = k > 0 ? WideCharToMultiByte(to, best, wide, k, out, int(room), nullptr, tell) : 0;
    return m > 0 && !lost ? static_cast<size_t>(m) : 0;
}

size_t OsUtf8Sjis(const char *s, size_t n, char *out, size_t room)
{
    return Recode(CP_UTF8, 932, s, n, out, room);
}

size_t OsSjisUtf8(const char *s, size_t n, char *out)
{
    return Recode(932, CP_UTF8, s, n, out, 4);
}
