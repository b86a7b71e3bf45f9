#pragma once
// The password's digest, as the settings store keeps it: SHA-1, computed through
// CryptoAPI, of the text in the ANSI code page of this thread's locale, written as 40
// upper-case hexadecimal digits.
#include <windows.h>

#include <string>

// The text in the code page, without a terminator; a character the code page lacks
// becomes its default character. Empty when the conversion fails.
std::string CodePageBytes(const std::wstring& text, UINT codePage);

// True when every character of the text survives the way through the thread's code page
// unchanged: neither replaced by the default character nor by a look-alike.
bool FitsThreadCodePage(const std::wstring& text);

// The digest of the text with the CryptoAPI context opened on the named key container of
// the user's key store (created if missing; no key in it is ever used). A container that
// can be neither opened nor created gives the same digest through a context without
// one. Empty when the digest cannot be made, which matches no stored password.
std::wstring PasswordDigest(const std::wstring& text, const char* keyContainer);
