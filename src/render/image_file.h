// Whole-file reads for the image decoders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Files larger than this are refused: no image the decoders accept needs
// more, and an untrusted file must not take all memory.
constexpr size_t IMAGE_FILE_MAX_BYTES = (size_t)1 << 30;

// Reads the whole file at path in binary into buffer. Returns 0 on success;
// 1, with buffer left empty, when the path cannot be opened, is not a
// regular file (a folder, a device), is empty or larger than
// IMAGE_FILE_MAX_BYTES, or delivers fewer bytes than its size. Prints
// nothing: a missing file is an ordinary outcome for the texture loader.
int load_file_to_buffer(std::vector<uint8_t> &buffer, const char *path);

// The image formats a file name may name, by its extension (ASCII case
// ignored): ".png" is read by the PNG decoder, ".tga" by the TGA reader.
enum ImageKind {
    IMAGE_KIND_NONE = 0,
    IMAGE_KIND_PNG,
    IMAGE_KIND_TGA,
};
// The kind the name's extension says; IMAGE_KIND_NONE for any other name.
int image_kind_of_name(const char *name);
// The formats taken, for messages: "PNG (.png) and TGA (.tga)".
const char *image_kinds_taken(void);
