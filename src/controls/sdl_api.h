#pragma once
// SDL2 for the controls: only the game-controller and event subsystems are used. The Launcher
// has its own entry point, so SDL must not rename main.
#ifndef SDL_MAIN_HANDLED
#define SDL_MAIN_HANDLED
#endif
#include <SDL.h>
