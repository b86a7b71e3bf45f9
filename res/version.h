#pragma once
// The one place of the program's version, used by the VERSIONINFO resource.
#define TREMORLINK_VERSION_MAJOR 1
#define TREMORLINK_VERSION_MINOR 0
#define TREMORLINK_VERSION_PATCH 0
#define TREMORLINK_VERSION_BUILD 0
#define TREMORLINK_VERSION_TEXT "1.0.0.0"
