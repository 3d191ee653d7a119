#include "render/image_file.h"

#include "app/base/utils.h"

#include <cerrno>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

int load_file_to_buffer(std::vector<uint8_t> &buffer, const char *path)
{
    buffer.clear();
    if (!path)
        return 1;
    // Never waits in open and takes only a regular file: a FIFO with a
    // picture's name would hold the start-up.
    int fd = open_regular(path);
    if (fd < 0)
        return 1;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0 ||
        (uint64_t)st.st_size > IMAGE_FILE_MAX_BYTES) {
        close(fd);
        return 1;
    }
    const size_t size = (size_t)st.st_size;
    buffer.resize(size);
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, buffer.data() + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += (size_t)n;
    }
    close(fd);
    if (got != size) {
        buffer.clear();
        buffer.shrink_to_fit();
        return 1;
    }
    return 0;
}

namespace {

struct ImageExtension {
    const char *extension;
    int kind;
};

const ImageExtension k_extensions[] = {
    {".png", IMAGE_KIND_PNG},
    {".tga", IMAGE_KIND_TGA},
};

} // namespace

int image_kind_of_name(const char *name)
{
    const char *slash = name ? strrchr(name, '/') : nullptr;
    const char *dot = name ? strrchr(slash ? slash + 1 : name, '.') : nullptr;
    if (!dot)
        return IMAGE_KIND_NONE;
    for (const ImageExtension &e : k_extensions)
        if (strcasecmp(dot, e.extension) == 0)
            return e.kind;
    return IMAGE_KIND_NONE;
}

const char *image_kinds_taken(void) { return "PNG (.png) and TGA (.tga)"; }
