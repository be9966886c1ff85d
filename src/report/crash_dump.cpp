#include "report/crash_dump.h"

#include <dbghelp.h>
#include <stdlib.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <system_error>

#include "app/launcher_state.h"
#include "report/dump_privacy.h"
#include "report/partial_files.h"
#include "report/problem_report.h"
#include "texts/texts.h"
#include "ui/task_dialog.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kAnnouncedFile[] = L"announced.txt";
constexpr wchar_t kDumpPrefix[] = L"launcher-";
constexpr wchar_t kDumpSuffix[] = L".dmp";

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);

// Everything the filter touches, filled in before any crash can use it. Paths are kept in fixed
// buffers: long-path aware, so as long as Windows allows.
constexpr size_t kPathCapacity = 32768 + 64;
struct CrashRecord {
    MiniDumpWriteDumpFunction writeDump = nullptr;
    wchar_t localFolder[kPathCapacity] = {};    // root\.local
    wchar_t crashFolder[kPathCapacity] = {};    // root\.local\crashes
    size_t crashFolderLength = 0;
    wchar_t dumpPath[kPathCapacity] = {};       // filled in by the filter
    wchar_t partialPath[kPathCapacity] = {};    // dumpPath + kPartialSuffix, while it is written
    wchar_t searchPattern[kPathCapacity] = {};  // root\.local\crashes\launcher-*.dmp
    wchar_t victimPath[kPathCapacity] = {};     // the oldest dump while pruning
    DumpMaskForms mask;                         // the profile path's forms, masked in the dump

    // The writer thread, waiting from start-up: a crashing thread may have no stack left, or
    // hold a lock the writing needs, so it only hands over and waits.
    HANDLE writeRequested = nullptr;
    HANDLE writeDone = nullptr;
    DWORD writerThreadId = 0;
    EXCEPTION_POINTERS* volatile pointers = nullptr;
    volatile DWORD crashingThreadId = 0;
    volatile LONG written = 0;                  // the writer's verdict on the last request
    volatile LONG claimed = 0;                  // the first crash is written; later ones wait for it
};
CrashRecord g_crash;

// How long a crashing thread waits for its dump. Bounded: a writer stuck on a lock the crash
// holds must not keep the process from ending.
constexpr DWORD kDumpWriteWaitMs = 30000;
// What the filter may still use after a stack overflow on the GUI thread.
constexpr ULONG kGuaranteedStackBytes = 64 * 1024;

bool CopyInto(wchar_t* out, size_t capacity, const wchar_t* text) {
    const size_t length = wcslen(text);
    if (length + 1 > capacity) return false;
    wmemcpy(out, text, length + 1);
    return true;
}

// Appends `text` after the first `length` characters of `out`; false when it does not fit.
bool AppendAt(wchar_t* out, size_t length, const wchar_t* text) {
    return CopyInto(out + length, kPathCapacity - length, text);
}

// Deletes the oldest dumps until kKeptCrashDumps are left. Names hold the time, so the
// smallest name is the oldest. Fixed buffers only: it runs inside the crash.
void PruneOldDumps() {
    for (;;) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(g_crash.searchPattern, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        int count = 0;
        wchar_t oldest[MAX_PATH] = {};
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            ++count;
            if (oldest[0] == 0 || wcscmp(found.cFileName, oldest) < 0) wcscpy_s(oldest, found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        if (count <= kKeptCrashDumps) return;
        wmemcpy(g_crash.victimPath, g_crash.crashFolder, g_crash.crashFolderLength);
        g_crash.victimPath[g_crash.crashFolderLength] = L'\\';
        if (!AppendAt(g_crash.victimPath, g_crash.crashFolderLength + 1, oldest) ||
            !DeleteFileW(g_crash.victimPath)) {
            return;  // never loop on a dump that cannot go
        }
    }
}

// The writer thread leaves itself out of the dump: only its waiting would show.
BOOL CALLBACK DumpCallback(void*, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT) {
    if (input && input->CallbackType == IncludeThreadCallback) {
        return input->IncludeThread.ThreadId != g_crash.writerThreadId;
    }
    return TRUE;
}

bool WriteDumpFile(EXCEPTION_POINTERS* pointers, DWORD threadId) {
    if (!g_crash.writeDump || g_crash.crashFolderLength == 0) return false;
    CreateDirectoryW(g_crash.localFolder, nullptr);
    CreateDirectoryW(g_crash.crashFolder, nullptr);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[40];
    FormatCrashDumpName(now, name);
    wmemcpy(g_crash.dumpPath, g_crash.crashFolder, g_crash.crashFolderLength);
    g_crash.dumpPath[g_crash.crashFolderLength] = L'\\';
    if (!AppendAt(g_crash.dumpPath, g_crash.crashFolderLength + 1, name)) return false;
    const size_t dumpLength = wcslen(g_crash.dumpPath);
    wmemcpy(g_crash.partialPath, g_crash.dumpPath, dumpLength);
    if (!AppendAt(g_crash.partialPath, dumpLength, kPartialSuffix)) return false;
    HANDLE file = CreateFileW(g_crash.partialPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = threadId;
    exception.ExceptionPointers = pointers;
    exception.ClientPointers = FALSE;
    // Threads, stacks and the modules' data: enough to see where and why, small enough to attach.
    // Module paths are cut to their names; what is left of the profile path is masked below.
    const auto type = static_cast<MINIDUMP_TYPE>(MiniDumpWithDataSegs | MiniDumpWithThreadInfo |
                                                 MiniDumpWithUnloadedModules | MiniDumpFilterModulePaths);
    MINIDUMP_CALLBACK_INFORMATION callback = {DumpCallback, nullptr};
    const BOOL written = g_crash.writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, type,
                                           pointers ? &exception : nullptr, nullptr, &callback);
    CloseHandle(file);
    // Unmasked, the dump is not kept: a report would carry the profile path.
    if (!written || !MaskDumpFile(g_crash.mask, g_crash.partialPath) ||
        !CompletePartialFile(g_crash.partialPath, g_crash.dumpPath)) {
        DeleteFileW(g_crash.partialPath);  // a half-written dump only misleads
        return false;
    }
    PruneOldDumps();
    return true;
}

DWORD WINAPI DumpWriterThread(void*) {
    for (;;) {
        if (WaitForSingleObject(g_crash.writeRequested, INFINITE) != WAIT_OBJECT_0) return 0;
        g_crash.written = WriteDumpFile(g_crash.pointers, g_crash.crashingThreadId) ? 1 : 0;
        SetEvent(g_crash.writeDone);
    }
}

// Hands a crash to the writer thread and waits for its dump. Little stack, no allocation.
bool WriteDump(EXCEPTION_POINTERS* pointers) {
    const DWORD self = GetCurrentThreadId();
    if (self == g_crash.writerThreadId) return false;  // the writer itself crashed: its partial file goes at the next start
    if (InterlockedCompareExchange(&g_crash.claimed, 1, 0) != 0) {
        // Another thread's crash is being written: ending the process now would cut it short.
        if (g_crash.writeDone) WaitForSingleObject(g_crash.writeDone, kDumpWriteWaitMs);
        return false;
    }
    if (!g_crash.writeRequested) return WriteDumpFile(pointers, self);  // no writer thread: the old way
    g_crash.pointers = pointers;
    g_crash.crashingThreadId = self;
    SetEvent(g_crash.writeRequested);
    const bool done = WaitForSingleObject(g_crash.writeDone, kDumpWriteWaitMs) == WAIT_OBJECT_0 && g_crash.written;
    // Left set (manual reset) so later crashes pass by at once.
    return done;
}

LONG WINAPI UnhandledExceptionFilterOfLauncher(EXCEPTION_POINTERS* pointers) {
    WriteDump(pointers);
    // After a stack overflow no stack is left for Windows Error Reporting's (or Wine's debugger's)
    // own work, which then hangs: the process ends here with the overflow's code. Every other
    // crash goes on to Windows Error Reporting.
    if (pointers && pointers->ExceptionRecord &&
        pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        TerminateProcess(GetCurrentProcess(), EXCEPTION_STACK_OVERFLOW);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void LoadDumpWriter() {
    if (g_crash.writeDump) return;
    HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (dbghelp) {
        g_crash.writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
            reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    }
}

// A failure that raises no exception: the dump gets a record of our own code and the context of
// the caller, then the process ends through Windows Error Reporting as a crash does.
[[noreturn]] void DumpAndFailFast(DWORD code) {
    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#if defined(_M_AMD64) || defined(__x86_64__)
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#endif
    EXCEPTION_POINTERS pointers = {&record, &context};
    WriteDump(&pointers);
    RaiseFailFastException(&record, &context, 0);
    TerminateProcess(GetCurrentProcess(), code);  // where fail-fast is not available
    for (;;) Sleep(INFINITE);
}

void OnTerminate() { DumpAndFailFast(kTerminateCrashCode); }
void OnPureCall() { DumpAndFailFast(kPureCallCrashCode); }
void OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t) {
    DumpAndFailFast(kInvalidParameterCrashCode);
}

void PutDigits(wchar_t*& out, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    }
    out += digits;
}

std::vector<std::wstring> DumpNamesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().wstring());
    }
    return names;
}

std::wstring ReadAnnounced(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return std::wstring(line.begin(), line.end());  // our names are ASCII
}
}  // namespace

void InstallCrashHandlers() {
    LoadDumpWriter();
    ULONG guarantee = kGuaranteedStackBytes;
    SetThreadStackGuarantee(&guarantee);  // the calling thread is the GUI thread
    SetUnhandledExceptionFilter(UnhandledExceptionFilterOfLauncher);
    std::set_terminate(OnTerminate);
    _set_purecall_handler(OnPureCall);
    _set_invalid_parameter_handler(OnInvalidParameter);
}

void PrepareCrashDumps(const fs::path& root) {
    const fs::path local = (root / L".local").make_preferred();
    const fs::path crashes = local / L"crashes";
    const fs::path pattern = crashes / (std::wstring(kDumpPrefix) + L"*" + kDumpSuffix);
    // The longest name the filter appends must fit behind the folder.
    if (pattern.native().size() + 40 + wcslen(kPartialSuffix) >= kPathCapacity) return;
    CopyInto(g_crash.localFolder, kPathCapacity, local.c_str());
    CopyInto(g_crash.crashFolder, kPathCapacity, crashes.c_str());
    CopyInto(g_crash.searchPattern, kPathCapacity, pattern.c_str());
    g_crash.crashFolderLength = crashes.native().size();
    const RedactionTerms terms = CurrentRedactionTerms();
    PrepareDumpMaskForms(terms.profilePath, terms.profileShortPath, g_crash.mask);
    LoadDumpWriter();
    if (g_crash.writeRequested) return;
    g_crash.writeRequested = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_crash.writeDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = g_crash.writeRequested && g_crash.writeDone
                        ? CreateThread(nullptr, 0, DumpWriterThread, nullptr, 0, &g_crash.writerThreadId)
                        : nullptr;
    if (thread) {
        CloseHandle(thread);  // it waits for the process's life
    } else {
        if (g_crash.writeRequested) CloseHandle(g_crash.writeRequested);
        if (g_crash.writeDone) CloseHandle(g_crash.writeDone);
        g_crash.writeRequested = g_crash.writeDone = nullptr;
        g_crash.writerThreadId = 0;
    }
}

bool WriteDumpForCheck() {
    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kDumpCheckCode;
    EXCEPTION_POINTERS pointers = {&record, &context};
    const bool written = WriteDump(&pointers);
    // Ready for the next check or a real crash.
    if (g_crash.writeDone) ResetEvent(g_crash.writeDone);
    InterlockedExchange(&g_crash.claimed, 0);
    return written;
}

size_t FormatCrashDumpName(const SYSTEMTIME& time, wchar_t* out) {
    wchar_t* cursor = out;
    for (const wchar_t* p = kDumpPrefix; *p; ++p) *cursor++ = *p;
    PutDigits(cursor, time.wYear, 4);
    PutDigits(cursor, time.wMonth, 2);
    PutDigits(cursor, time.wDay, 2);
    *cursor++ = L'-';
    PutDigits(cursor, time.wHour, 2);
    PutDigits(cursor, time.wMinute, 2);
    PutDigits(cursor, time.wSecond, 2);
    for (const wchar_t* p = kDumpSuffix; *p; ++p) *cursor++ = *p;
    *cursor = L'\0';
    return static_cast<size_t>(cursor - out);
}

bool IsCrashDumpName(const std::wstring& name) {
    const size_t prefix = wcslen(kDumpPrefix);
    const size_t suffix = wcslen(kDumpSuffix);
    return name.size() > prefix + suffix && name.compare(0, prefix, kDumpPrefix) == 0 &&
           _wcsicmp(name.c_str() + name.size() - suffix, kDumpSuffix) == 0;
}

std::wstring CrashDumpToAnnounce(const std::vector<std::wstring>& names, const std::wstring& announced) {
    std::wstring newest;
    for (const std::wstring& name : names) {
        if (IsCrashDumpName(name) && name > newest) newest = name;
    }
    return newest == announced ? std::wstring() : newest;
}

void AnnounceLastCrash(HWND owner, const fs::path& root) {
    const fs::path crashes = root / L".local" / L"crashes";
    const fs::path marker = crashes / kAnnouncedFile;
    const std::wstring due = CrashDumpToAnnounce(DumpNamesIn(crashes), ReadAnnounced(marker));
    if (due.empty()) return;
    {
        // Remembered before the box shows: a start that ends under the box does not say it again.
        std::ofstream out(marker, std::ios::binary | std::ios::trunc);
        out << std::string(due.begin(), due.end()) << "\n";
    }
    ShowMessageBox(owner, Text("crash.notice"), kProductName, MB_ICONWARNING);
}

namespace {
[[noreturn]] void RaiseAccessViolation() {
    // Through a pointer the compiler cannot see is null: a real fault, not a trap it put there.
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    for (;;) Sleep(INFINITE);
}

// Each call takes a page of stack and uses it after the next call returns, so the compiler can
// neither drop the frame nor turn the recursion into a loop.
volatile unsigned g_stackDepthLimit = ~0u;
unsigned __attribute__((noinline)) UseUpStack(unsigned depth) {
    volatile char page[4096];
    page[0] = static_cast<char>(depth);
    page[sizeof(page) - 1] = static_cast<char>(depth);
    if (depth >= g_stackDepthLimit) return depth;
    return UseUpStack(depth + 1) + static_cast<unsigned char>(page[0]) + static_cast<unsigned char>(page[4095]);
}

HANDLE g_crashTogether = nullptr;
DWORD WINAPI CrashWhenTold(void*) {
    WaitForSingleObject(g_crashTogether, INFINITE);
    RaiseAccessViolation();
}
}  // namespace

void CrashForCheck(CrashCheck kind) {
    if (kind == CrashCheck::StackOverflow) {
        UseUpStack(0);
    } else if (kind == CrashCheck::TwoThreads) {
        g_crashTogether = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE first = CreateThread(nullptr, 0, CrashWhenTold, nullptr, 0, nullptr);
        HANDLE second = CreateThread(nullptr, 0, CrashWhenTold, nullptr, 0, nullptr);
        if (g_crashTogether && first && second) {
            Sleep(100);  // both are waiting on the event
            SetEvent(g_crashTogether);
            for (;;) Sleep(INFINITE);  // the process ends with their crash
        }
    }
    RaiseAccessViolation();
}
