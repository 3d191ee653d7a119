// Fixed-width words read from bytes that came from a file or the network.
#pragma once
#include <cstddef>
#include <cstdint>

// The little-endian 32-bit word at byte offset at of data; 0 when data is
// null or the four bytes do not all lie within the size bytes that arrived.
uint32_t le32_at(const void *data, size_t size, size_t at);
