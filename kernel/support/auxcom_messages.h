#pragma once
// Error messages for the user. Every text goes through one library-wide error hook, by
// default the platform message box titled "kError".

// Formats into the library's 512-character message buffer (longer texts are cut to 511
// characters) and hands the text to the error hook. Returns the hook's result (0 for the
// default message box).
int reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives every formatted error text. Tests and the desktop program install their own.
using ErrorHook = int (*)(const char* text);
// Installs a hook (null restores the default) and returns the previous one.
ErrorHook setErrorHook(ErrorHook hook);

// Title of the default hook's message box.
inline constexpr const char* kErrorTitle = "kError";
// Size of the message buffer, terminator included.
inline constexpr int kMessageBufferSize = 512;
