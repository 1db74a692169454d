#pragma once
// Writes a key file the safe way: a temporary file beside the target,
// flushed, then renamed over it, so readers see the old file or the new
// one and never a part of either.
#include <glib.h>
#include <sys/types.h>

#include <string>

bool SaveKeyFileAtomically(const std::string& path, GKeyFile* file, mode_t mode);
