// The file system and the standard streams on Windows.
#include "text/os.h"

#define WIN32_LEAN_AND_MEAN
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

static HANDLE Handle(FILE *f)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
}

bool OsStart()
{
    _setmode(_fileno(stdout), _O_BINARY); // the console lines are the same bytes everywhere
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}

FILE *OsOpenRead(const char *name)
{
    FILE *f = std::fopen(name, "rb");
    if (f != nullptr && GetFileType(Handle(f)) != FILE_TYPE_DISK) { // a device: NUL, COM1
        std::fclose(f);
        f = nullptr;
    }
    return f;
}

FILE *OsCreate(const char *name)
{
    DeleteFileA(name); // fails while another run holds it open: then CREATE_NEW fails too
    HANDLE h = CreateFileA(name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    FILE *f = _fdopen(fd, "wb");
    if (f == nullptr)
        _close(fd);
    return f;
}

// Windows cannot lock a directory. A run holds it through its command file, which it creates
// first and keeps open without delete sharing until it has renamed it into place: another run
// can then neither remove nor create that name, and the hold ends with the process.
bool OsLock()
{
    return true;
}

void OsUnlock()
{
}

void OsInherit(FILE *, FILE *)
{
}

bool OsEmpty(FILE *f)
{
    return _chsize(_fileno(f), 0) == 0 && std::fseek(f, 0, SEEK_SET) == 0;
}

bool OsSync(FILE *f)
{
    return FlushFileBuffers(Handle(f)) != 0;
}

bool OsReplace(FILE *f, const char *, const char *target)
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
    return n > 0 && n < MAX_PATH &&
           SetFileInformationByHandle(Handle(f), FileRenameInfo, &to, sizeof to) != 0;
}

void OsDiscard(FILE *f, const char *)
{
    FILE_DISPOSITION_INFO gone{TRUE}; // removes this file, whoever took the name since
    SetFileInformationByHandle(Handle(f), FileDispositionInfo, &gone, sizeof gone);
    std::fclose(f);
}

bool OsHasName(const char *name)
{
    WIN32_FIND_DATAA found;
    HANDLE           h = FindFirstFileA(name, &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return std::strcmp(found.cFileName, name) == 0;
}

bool OsWritable(const char *name)
{
    DWORD a = GetFileAttributesA(name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) == 0;
}

bool OsRename(const char *source, const char *target)
{
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
