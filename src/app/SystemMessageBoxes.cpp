#include "app/SystemMessageBoxes.h"

#include <windows.h>

void SystemMessageBoxes::Show(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), L"", MB_OK); }
