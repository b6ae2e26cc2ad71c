// Shared helpers that every layer uses: the money type, environment lookup
// and version texts.
#pragma once

#include <cstdint>
#include <string>

// Money amounts: fixed point with four decimals (10000 stands for 1.0).
using Money = std::int64_t;

// The value of an environment variable; empty when it is unset, empty, or
// 4096 characters or longer.
std::string GetEnvVariable(const std::string& name);

// A file format version as people read it: 230 -> "2.30", 205 -> "2.05".
std::string FormatVersion(int version);
