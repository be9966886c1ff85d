// Launcher settings saved off the GUI thread. A verified save copies, rewrites, reads back,
// flushes and renames the file: tens of milliseconds on a quiet disk, a second when a virus
// scanner or an indexer holds the new file. One writer thread takes the newest settings asked
// for; a burst of changes (arrow presses at home) is written once, the last one always.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "play/launcher_settings.h"

namespace fs = std::filesystem;

namespace {
struct SaveRequest {
    fs::path file;
    LauncherSettings settings;
};

struct SettingsWriter {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<SaveRequest> next;  // the newest settings asked for, not yet begun
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
        writer.changed.wait(lock, [&writer] { return writer.next.has_value(); });
        const SaveRequest request = std::move(*writer.next);
        writer.next.reset();
        writer.writing = true;
        lock.unlock();
        try {
            WriteLauncherSettings(request.file, request.settings);
        } catch (const std::exception&) {
            // Allocation only: this save is lost, the in-memory settings stay in force.
        }
        lock.lock();
        writer.writing = false;
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

void FinishLauncherSettingsSaves() {
    SettingsWriter& writer = Writer();
    std::unique_lock<std::mutex> lock(writer.mutex);
    writer.changed.wait(lock, [&writer] { return !writer.next && !writer.writing; });
}
