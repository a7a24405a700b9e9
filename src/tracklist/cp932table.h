#pragma once

#include <cstdint>

// Code page 932 as Windows reads it (generated: cp932table.cpp). A single
// byte's character, or 0xFFFF for a lead byte, which needs a trail byte.
extern const std::uint16_t kCp932Single[256];
// The character of a lead byte (81-9F, E0-FC, in that order) and a trail byte
// (40-7E, 80-FC, in that order); 0 where Windows has none.
extern const std::uint16_t kCp932Pairs[60][188];
