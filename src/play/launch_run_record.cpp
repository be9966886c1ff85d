#include "play/launch_run_record.h"

#include "app/game_table.h"
#include "app/win_owners.h"

std::string LaunchRunRecordText(int gameNumber, DWORD exitCode) {
    return "{\"game\":" + std::to_string(gameNumber) + ",\"exit_code\":" +
           std::to_string(static_cast<unsigned long>(exitCode)) + ",\"launched_by_native_ui\":true}";
}

std::filesystem::path LaunchRunRecordFile(const std::filesystem::path& root, int index) {
    return root / L".local" / (L"qa-launch-" + std::wstring(kGames[index].stem) + L".json");
}

void WriteLaunchRunRecord(const std::filesystem::path& root, int index, DWORD exitCode) {
    const std::string text = LaunchRunRecordText(index + 1, exitCode);
    const UniqueHandle file(CreateFileW(LaunchRunRecordFile(root, index).c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
