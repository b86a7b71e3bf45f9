#pragma once
// The one place of the program's version and legal notice: the VERSIONINFO resource, the
// about window and the build (CMakeLists.txt reads the version text) take them from here.
#define TREMORLINK_VERSION_MAJOR 1
#define TREMORLINK_VERSION_MINOR 0
#define TREMORLINK_VERSION_PATCH 0
#define TREMORLINK_VERSION_BUILD 11
#define TREMORLINK_VERSION_TEXT "1.0.0.11"
#define TREMORLINK_COPYRIGHT "Copyright (C) 2026 Quen"
