// Launcher settings saved off the GUI thread. A verified save copies, rewrites, reads back,
// flushes and renames the file: tens of milliseconds on a quiet disk, a second when a virus
// scanner or an indexer holds the new file. One writer thread takes the newest settings asked
// for; a burst of changes (arrow presses at home) is written once, the last one always. A save
// refused because someone held the file is tried again later on the same thread, so the choice
// reaches the disk while the Launcher stays open and the GUI never waits for it.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "play/launcher_settings.h"

namespace fs = std::filesystem;

namespace {
using Clock = std::chrono::steady_clock;

struct SaveRequest {
    fs::path file;
    LauncherSettings settings;
};

struct SettingsWriter {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<SaveRequest> next;   // the newest settings asked for, not yet begun
    std::optional<SaveRequest> retry;  // refused, waiting for its next try
    int retryAttempt = 0;
    Clock::time_point retryAt;
    bool writing = false;
    bool threadStarted = false;
};

// Never destroyed: the writer thread may still wait on it while the process ends.
SettingsWriter& Writer() {
    static SettingsWriter* writer = new SettingsWriter;
    return *writer;
}

void WriteRequests() noexcept {
    SettingsWriter& writer = Writer();
    std::unique_lock<std::mutex> lock(writer.mutex);
    for (;;) {
        bool retrying = false;
        if (writer.retry) {
            writer.changed.wait_until(lock, writer.retryAt, [&writer] {
                return writer.next.has_value() || writer.retryAt <= Clock::now();
            });
            if (!writer.next) {
                if (Clock::now() < writer.retryAt) continue;
                writer.next = std::move(*writer.retry);
                retrying = true;
            }
        } else {
            writer.changed.wait(lock, [&writer] { return writer.next.has_value(); });
        }
        const SaveRequest request = std::move(*writer.next);
        writer.next.reset();
        writer.retry.reset();  // a newer save takes a refused one's place
        writer.writing = true;
        lock.unlock();
        SettingsWrite result = SettingsWrite::Failed;
        try {
            result = WriteLauncherSettings(request.file, request.settings);
        } catch (const std::exception&) {
            // Allocation only: this save is lost, the in-memory settings stay in force.
        }
        lock.lock();
        writer.writing = false;
        if (result == SettingsWrite::Refused && !writer.next) {
            writer.retryAttempt = retrying ? writer.retryAttempt + 1 : 1;
            writer.retryAt = Clock::now() + std::chrono::milliseconds(SettingsRetryDelayMs(writer.retryAttempt));
            writer.retry = request;
        } else {
            writer.retryAttempt = 0;
        }
        writer.changed.notify_all();
    }
}
}  // namespace

void SaveLauncherSettings() {
    if (!g_launcher.MayWriteSettings()) return;
    SettingsWriter& writer = Writer();
    {
        std::lock_guard<std::mutex> lock(writer.mutex);
        if (!writer.threadStarted) {
            try {
                std::thread(WriteRequests).detach();
                writer.threadStarted = true;
            } catch (const std::system_error&) {
                // No thread to be had: this save is made here and now.
            }
        }
        if (writer.threadStarted) {
            writer.next = SaveRequest{g_launcher.settingsFile, g_launcher.settings};
            writer.changed.notify_all();
            return;
        }
    }
    WriteLauncherSettings(g_launcher.settingsFile, g_launcher.settings);
}

bool FinishLauncherSettingsSaves() {
    SettingsWriter& writer = Writer();
    std::unique_lock<std::mutex> lock(writer.mutex);
    if (writer.retry && !writer.next) {  // its next try is now
        writer.retryAt = Clock::now();
        writer.changed.notify_all();
    }
    writer.changed.wait(lock, [&writer] {
        return !writer.next && !writer.writing && (!writer.retry || writer.retryAt > Clock::now());
    });
    return !writer.retry;
}

bool FinishLauncherSettingsSavesWithin(DWORD ms) {
    // A scanner lets go of a new file within a second or so; tried again this often until then.
    constexpr auto kPause = std::chrono::milliseconds(200);
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (FinishLauncherSettingsSaves()) return true;
        if (Clock::now() + kPause > end) return false;
        std::this_thread::sleep_for(kPause);
    }
}
