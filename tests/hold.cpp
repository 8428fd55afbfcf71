// balloon-hold NAME SHARE MS [OPTION]: holds NAME open for MS ms, sharing it as SHARE says (0
// none, 1 read, 7 read, write and delete), and meanwhile runs balloon.exe of its folder with
// OPTION. Its status is the tool's; 99 when the tool was still running after the hold and then
// failed all the same.
#include <cstdlib>
#include <string>
#include <windows.h>

int main(int argc, char **argv)
{
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, std::atoi(argv[2]), nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string self = argv[0]; // the whole path, as the tests start it
    std::string line = '"' + self.substr(0, self.find_last_of("\\/") + 1) + "balloon.exe\" " +
                       (argc > 4 ? argv[4] : "");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (held == INVALID_HANDLE_VALUE || !CreateProcessA(nullptr, line.data(), nullptr, nullptr,
                                                        TRUE, 0, nullptr, nullptr, &si, &pi))
        return 98;
    DWORD during = WaitForSingleObject(pi.hProcess, std::atoi(argv[3])), code = 0;
    CloseHandle(held);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    return during == WAIT_TIMEOUT && code != 0 ? 99 : static_cast<int>(code);
}
