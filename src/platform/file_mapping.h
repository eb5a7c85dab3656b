#pragma once
// What the large buffers of both systems share about mapped files.

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace ql::platform {

// Unmaps a file a buffer held and frees its FileMapping; `data` and `length`
// are the buffer's bytes and its reserved length.
void ReleaseFileMapping(FileMapping* mapping, char* data, std::size_t length) noexcept;

// Runs the hook SetAfterMapHook installed, if any.
void RunAfterMapHook(const std::string& path);

// "Die Datei "%s" wurde beim Lesen verändert."
[[noreturn]] void ThrowFileChanged(const std::string& path);

}  // namespace ql::platform
