#pragma once
// Names and layout of the debug-monitor channel: two POSIX named semaphores and one shared
// memory object. The monitor (kinetra-dbmon) creates them; programs that trace open them.
//
// Protocol: the monitor creates "buffer ready" with the value 1 and "data ready" with 0.
// A writer waits for "buffer ready", writes its process id as a 32-bit number at offset 0
// of the buffer and its NUL-terminated text from offset 4, then posts "data ready". The
// monitor prints the line and posts "buffer ready" again. A live monitor holds an exclusive
// flock on its shared memory object, so writers can tell it from objects a dead monitor
// left behind.

#include <string>

// Size of the shared buffer, where the text starts in it, and the longest text that fits.
inline constexpr int kDbwinBufferSize = 4096;
inline constexpr int kDbwinTextOffset = 4;
inline constexpr int kDbwinTextLimit = kDbwinBufferSize - kDbwinTextOffset - 1;

// Environment variable whose value is put in front of the three names (after the leading
// "/"), so that independent sets of monitor and writers can run side by side, e.g. tests.
inline constexpr const char* kDbwinPrefixVariable = "KINETRA_DBWIN_PREFIX";

struct DbwinNames {
  std::string bufferReady;  // "/DBWIN_BUFFER_READY"
  std::string dataReady;    // "/DBWIN_DATA_READY"
  std::string buffer;       // "/DBWIN_BUFFER"
};

// The names under the current prefix. Slashes in the prefix are dropped and it is cut to 64
// characters, so the names always stay valid.
DbwinNames dbwinNames();
