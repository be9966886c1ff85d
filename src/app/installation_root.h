#pragma once
// Finding the installation root: the executable's folder or one of its first four ancestors,
// the first that holds "assets".
#include <filesystem>

// Full path of the running executable, read with a buffer large enough for long paths.
std::filesystem::path RunningExecutablePath();

// The folder of the running executable.
std::filesystem::path LauncherFolder();

// Walks up from the executable's folder at most four times while candidate / "assets" is
// missing. The result is used as it is: not made canonical, no separator added.
std::filesystem::path FindInstallationRoot(const std::filesystem::path& executableFolder);
