#pragma once
// The modal message-box service. Every message box of the kernel goes through one replaceable
// handler: the desktop program installs one that shows a window, tests install one that
// records, and a program without a window system keeps the default, which writes
// "<title>: <text>" to standard error.

// Shows text under title and returns the handler's answer (kMessageBoxOk from the default).
// Null texts are shown as empty ones.
int showMessageBox(const char* text, const char* title);

constexpr int kMessageBoxOk = 1;

using MessageBoxHandler = int (*)(const char* text, const char* title);
// Installs handler (null restores the default) and returns the previous one.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);
