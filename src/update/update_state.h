#pragma once
// The updater's one process-wide record, shared by the job runner, the updates window, the
// start-up checks and the update-apply run. Everything in it is touched on the GUI thread only.
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/win_owners.h"
#include "update/update_entry.h"

struct UpdateState {
    std::filesystem::path root;
    std::filesystem::path interpreter;  // root / ".tools/python/python.exe"
    std::filesystem::path script;       // "tools/update_release.py" (the host's in an apply run)
    std::filesystem::path resultFile;   // of the job that runs or ran last
    std::filesystem::path logFile;      // of the job that runs or ran last
    std::wstring asset;                 // from the last successful check; empty = nothing to get
    std::filesystem::path jobFolder;    // staging folder of a prepared update
    std::filesystem::path host;         // program that performs the update-apply run
    std::wstring currentJob;
    bool busy = false;
    bool applyStarted = false;     // the running job printed "[APPLY]"
    bool cancelRequested = false;
    bool applyMode = false;        // this process is an update-apply run
    bool recoverMode = false;
    bool finished = false;         // the apply run reached its end state
    bool waitingForLock = false;
    bool automation = false;       // no activation, no automatic check
    IdleQuery idle = nullptr;
    UniqueHandle job;              // job object of the running job
    HWND owner = nullptr;          // the home window, when there is one
    unsigned ticks = 0;            // 100 ms ticks the apply run has waited
    UniqueHandle oldProcess;       // the Launcher that handed over (apply run)
    HANDLE lock = nullptr;         // the installation lock (apply run)
};

extern UpdateState g_update;

inline std::filesystem::path UpdatesFolder() { return g_update.root / L".local" / L"updates"; }
inline std::filesystem::path PendingFile() { return UpdatesFolder() / L"pending.json"; }
inline std::filesystem::path InstalledCopyMarker() { return g_update.root / L".local" / L"installation.json"; }

// Fills root, interpreter and the installation's own script.
void SetUpdateRoot(const std::filesystem::path& root);

// Starts the update helper with `job` (not recovery-info); does nothing while a job runs.
// Failures are shown in the status line.
void RunUpdateJob(const std::wstring& job);

// Stops the running job as a cancelled one (exit code 1).
void CancelUpdateJob();
