#pragma once
// Our PowerShell stand-in (tests/standin/tlvr_standin_powershell.cpp) at the path the Launcher
// runs: <system folder>\WindowsPowerShell\v1.0\powershell.exe.
#include <filesystem>
#include <string>

// Puts the stand-in in place under Wine, whose prefix has no real PowerShell. Never touches a
// real Windows: there it returns false and the caller skips.
bool PlaceStandInPowerShell();

// Writes root\scripts\install.ps1 holding the stand-in's commands, one "#standin " line each.
void WriteStandInScript(const std::filesystem::path& root, const std::string& commands);
