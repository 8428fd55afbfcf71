// The file system and the console on Windows. What fails only because another program (a virus
// scanner, an indexer, the host closing late) holds a file for moments is tried again a while.
#include "os/os.h"

#define WIN32_LEAN_AND_MEAN
#include <aclapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <iterator>
#include <windows.h>

constexpr DWORD RETRY_MS = 2000; // how long a failure that may clear in moments is tried again
constexpr DWORD LONGEST = 32768; // the longest path Windows takes, in characters
constexpr DWORD ENTRY = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS; // itself
constexpr DWORD ENTRY_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
static FILE_DISPOSITION_INFO gone{TRUE}; // a file removed once its last handle is closed

static HANDLE Handle(FILE *f)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
}

// Waits a little longer each time; false, without waiting, once RETRY_MS have passed.
static bool Pause(DWORD &waited)
{
    if (waited >= RETRY_MS)
        return false;
    DWORD ms = waited < 8 ? 1 : waited / 4 < 100 ? waited / 4 : 100;
    Sleep(ms);
    return waited += ms, true;
}

// True, after a pause, when the last error at name may clear in moments (a hold or a deletion).
static bool Again(const char *name, DWORD &waited)
{
    DWORD err = GetLastError(), a = GetFileAttributesA(name);
    bool  lasting = a != INVALID_FILE_ATTRIBUTES &&
                   (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
    return (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION ||
            (err == ERROR_ACCESS_DENIED && !lasting)) &&
           Pause(waited);
}

// True when the seam fails this call of kind op, as a lost device would.
static bool Fault(const char *op)
{
    return OsFault(op) && (SetLastError(ERROR_DEV_NOT_EXIST), true);
}

// A stream on the handle h, opened with the C runtime's flags and mode; closes h on failure.
static FILE *Stream(HANDLE h, int flags, const char *mode)
{
    int fd = h == INVALID_HANDLE_VALUE
                 ? -1
                 : _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    if (fd < 0 && h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    FILE *f = fd >= 0 ? _fdopen(fd, mode) : nullptr;
    if (fd >= 0 && f == nullptr)
        _close(fd);
    return f;
}

// Ctrl+C, Ctrl+Break and closing the console remove the guarded files first: in each slot a
// file's handle, and state 1 while it is guarded, 2 once an event has begun to remove it.
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

// Opens what exists at name, tried again while another program holds it for moments.
static HANDLE Open(const char *name, DWORD access, DWORD share, DWORD flags)
{
    HANDLE h;
    for (DWORD waited = 0; (h = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, flags,
                                            nullptr)) == INVALID_HANDLE_VALUE &&
                           Again(name, waited);)
        continue;
    return h;
}

// Read with every sharing: a second link of the file elsewhere may go meanwhile.
FILE *OsOpenRead(const char *name)
{
    HANDLE h = Fault("open") ? INVALID_HANDLE_VALUE : Open(name, GENERIC_READ, ENTRY_SHARING, 0);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) { // a device: NUL, COM1
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
    return Stream(h, _O_RDONLY, "rb");
}

// The full path of what h is open on into path (LONGEST characters); its length, 0 on failure.
static DWORD FinalPath(HANDLE h, WCHAR *path)
{
    DWORD n = GetFinalPathNameByHandleW(h, path, LONGEST, FILE_NAME_NORMALIZED);
    return n < LONGEST ? n : 0;
}

// The entry name itself, a link not followed (Wine follows every link all the same: OnTheName).
static HANDLE OpenEntry(const char *name, DWORD access)
{
    return CreateFileA(name, access, ENTRY_SHARING, nullptr, OPEN_EXISTING, ENTRY, nullptr);
}

// True when h is open on the entry name of the working directory itself, not on what a link
// there points at (by its final path); with exact, only under that name letter for letter.
static bool OnTheName(HANDLE h, const char *name, bool exact = false)
{
    WCHAR  here[LONGEST], file[LONGEST];
    HANDLE dir = Open(".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      FILE_FLAG_BACKUP_SEMANTICS);
    DWORD  n = dir != INVALID_HANDLE_VALUE ? FinalPath(dir, here) : 0;
    if (dir != INVALID_HANDLE_VALUE)
        CloseHandle(dir);
    n -= n > 0 && here[n - 1] == L'\\'; // a drive's root ends in a backslash already
    DWORD k = FinalPath(h, file);
    if (n == 0 || k <= n + 1 || _wcsnicmp(here, file, n) != 0 || file[n] != L'\\')
        return false;
    WCHAR wide[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) > 0 &&
           (exact ? std::wcscmp(file + n + 1, wide) : _wcsicmp(file + n + 1, wide)) == 0;
}

// A file (read-only or not) or a link goes; true also when its removal is pending.
bool OsRemove(const char *name)
{
    HANDLE h = Fault("remove")
                   ? INVALID_HANDLE_VALUE
                   : OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
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

// A run holds the directory through its command file, open without delete sharing until renamed.
bool OsLock()
{
    return !Fault("lock");
}

void OsUnlock()
{
}

void OsInherit(FILE *to, FILE *from)
{
    HANDLE          t = Handle(to), h = Handle(from);
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        FILE_BASIC_INFO mine{}; // times of 0 stay as they are
        DWORD           kept = basic.FileAttributes & KEPT_ATTRIBUTES;
        mine.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(t, FileBasicInfo, &mine, sizeof mine);
    }
    // The access list goes over where it differs from the inherited one; not under Wine, which
    // makes both up from the POSIX mode and would turn a copy into a wider mode.
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr)
        return;
    PACL                        dacl = nullptr, mine = nullptr;
    PSECURITY_DESCRIPTOR        sd = nullptr, own = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD                       revision = 0;
    if (GetSecurityInfo(h, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                        nullptr, &sd) == ERROR_SUCCESS &&
        GetSecurityInfo(t, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &mine,
                        nullptr, &own) == ERROR_SUCCESS &&
        dacl != nullptr && GetSecurityDescriptorControl(sd, &control, &revision) &&
        (mine == nullptr || mine->AclSize != dacl->AclSize ||
         std::memcmp(mine, dacl, dacl->AclSize) != 0))
        SetSecurityInfo(t, SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION |
                            (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION),
                        nullptr, nullptr, dacl, nullptr);
    LocalFree(sd);
    LocalFree(own);
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
    DWORD n = MultiByteToWideChar(CP_ACP, 0, target, -1, wide, MAX_PATH) > 0
                  ? GetFullPathNameW(wide, LONGEST, full, nullptr)
                  : 0;
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

// A new file made beside name, then renamed over it: the rename replaces what stands there itself
// (a link that Wine would follow out of its name, so that it cannot be removed), never what it
// points at. INVALID_HANDLE_VALUE where that failed.
static HANDLE CreateOver(const char *name)
{
    char   side[MAX_PATH];
    bool   named = std::snprintf(side, sizeof side, "%s~", name) < MAX_PATH && OsRemove(side);
    HANDLE h = named ? CreateNew(side) : INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !RenameHandle(h, name, true)) {
        SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
    return h;
}

FILE *OsCreate(const char *name)
{
    // A run's command file held, or a removal kept pending by another handle, takes the name.
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD  err = 0;
    for (DWORD waited = 0;;) {
        bool removed = OsRemove(name);
        if (removed && !Fault("create") && (h = CreateNew(name)) != INVALID_HANDLE_VALUE)
            break;
        err = GetLastError();
        bool pendingDelete = removed && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS);
        if (!(pendingDelete ? Pause(waited) : Again(name, waited)))
            break;
    }
    if (h == INVALID_HANDLE_VALUE && err == ERROR_FILE_EXISTS) // not the entry itself
        h = CreateOver(name);
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

// True when h is open on a regular file itself at name (exactly that name unless anyCase); its
// identity into id.
static bool IsFile(HANDLE h, const char *name, BY_HANDLE_FILE_INFORMATION &id, bool anyCase = false)
{
    return GetFileInformationByHandle(h, &id) &&
           (id.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           GetFileType(h) == FILE_TYPE_DISK && OnTheName(h, name, !anyCase);
}

// The identity of the regular file at name (IsFile) into id; false where there is none.
static bool Identity(const char *name, BY_HANDLE_FILE_INFORMATION &id, bool anyCase = false)
{
    HANDLE h = OpenEntry(name, FILE_READ_ATTRIBUTES);
    bool   file = h != INVALID_HANDLE_VALUE && IsFile(h, name, id, anyCase);
    return (h == INVALID_HANDLE_VALUE || CloseHandle(h)) && file;
}

bool OsIsFile(const char *name, bool anyCase)
{
    BY_HANDLE_FILE_INFORMATION id;
    return Identity(name, id, anyCase);
}

// Where the system finds no entry, a new file made there exclusively (and gone when closed) tells
// a link that Wine follows to nothing, which stands there all the same.
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

// Where a file system has no links: not implemented, invalid device request (FAT), not supported.
constexpr LONG NO_LINKS[] = {static_cast<LONG>(0xC0000002), static_cast<LONG>(0xC0000010),
                             static_cast<LONG>(0xC00000BB)};

// Gives the file h is open on the second name target without replacing anything there, a
// dangling link included (Wine's rename without replacing replaces one); the native status.
static LONG Link(HANDLE h, const char *target)
{
    using SetInformation = LONG(WINAPI *)(HANDLE, void *, void *, ULONG, int);
    NameInfo  to{};
    ULONG_PTR io[2] = {}; // the status block: the status, and what was done
    auto      set = reinterpret_cast<SetInformation>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile")));
    bool      named = set != nullptr && TargetName(target, to, true);
    return named ? set(h, &io, &to, sizeof to, 11) : NO_LINKS[0]; // 11: FileLinkInformation
}

bool OsRename(const char *source, const char *target)
{
    bool   linkless = Fault("rename"); // the seam's failure: a file system without links
    HANDLE h = Open(source, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, ENTRY_SHARING,
                    ENTRY); // the entry itself: a link's target is never moved
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool                       moved = false;
    BY_HANDLE_FILE_INFORMATION id;
    if (IsFile(h, source, id)) {
        LONG status = linkless ? NO_LINKS[2] : Link(h, target);
        if (status == 0) // linked
            moved = SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone) ||
                    (OsRemove(target), false); // the file stays under its first name only
        else if (std::find(std::begin(NO_LINKS), std::end(NO_LINKS), status) != std::end(NO_LINKS))
            moved = RenameHandle(h, target, false);
    }
    CloseHandle(h);
    return moved;
}

// Converts the n bytes at s from code page from to code page to at out, at most room bytes; the
// bytes written, 0 where a character has no form in either or they do not fit.
static size_t Recode(UINT from, UINT to, const char *s, size_t n, char *out, size_t room)
{
    WCHAR wide[256];
    BOOL  lost = FALSE, *tell = to == CP_UTF8 ? nullptr : &lost; // UTF-8 has every character
    int   k = n < 256
                  ? MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, s, static_cast<int>(n), wide, 256)
                  : 0;
    int   m = k > 0 ? WideCharToMultiByte(to, tell ? WC_NO_BEST_FIT_CHARS : 0, wide, k, out,
                                          static_cast<int>(room), nullptr, tell)
                    : 0;
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
