// Holds a file open the way a virus scanner or an indexer does (shared for reading and writing,
// not for deletion), so the Launcher's tests can replace it while another process holds it.
//   tlvr_file_holder FILE MILLISECONDS
// Creates FILE + ".held" once the file is open, keeps it open that long, then ends with 0;
// ends with 1 when the file cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::wstring marker = std::wstring(argv[1]) + L".held";
    HANDLE held = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    CloseHandle(file);
    return 0;
}
