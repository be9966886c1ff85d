#pragma once
// The stand-in programs print UTF-8 with the tests' own helper.
#include "../support/test_text.h"
