#include "play/launch_run_record.h"

#include "app/game_table.h"
#include "app/verified_file_replace.h"

std::string LaunchRunRecordText(int gameNumber, DWORD exitCode) {
    return "{\"game\":" + std::to_string(gameNumber) + ",\"exit_code\":" +
           std::to_string(static_cast<unsigned long>(exitCode)) + ",\"launched_by_native_ui\":true}";
}

std::filesystem::path LaunchRunRecordFile(const std::filesystem::path& root, int index) {
    return root / L".local" / (L"qa-launch-" + std::wstring(kGames[index].stem) + L".json");
}

void WriteLaunchRunRecord(const std::filesystem::path& root, int index, DWORD exitCode) {
    ReplaceFileVerified(LaunchRunRecordFile(root, index), LaunchRunRecordText(index + 1, exitCode));
}
