#pragma once
// Starting the selected game under the game contract.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/launcher_state.h"

// Launches the selected game, or opens the installer when it is not installed. Does nothing
// while a game runs.
void LaunchSelectedGame();
