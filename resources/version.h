// The program's version, fed into the version block.
#pragma once

#define TARNEX_VERSION_NUMBERS 1, 0, 0, 0
#define TARNEX_VERSION_TEXT "1, 0, 0, 0"
