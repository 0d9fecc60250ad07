#include "jpeg/jpeg_marker_search.h"

#include <cstring>

#include "jpeg/jpeg_tables.h"

namespace vistello {

bool findStartOfImage(const uint8_t* data, size_t length, size_t& cursor) {
    if ((length >= 1 && data[0] == markerFill) || (length >= 2 && data[1] == markerSoi)) {
        cursor = 2;
        return true;
    }
    const void* fill = length == 0 ? nullptr : std::memchr(data, markerFill, length);
    if (fill == nullptr) return false;
    cursor = static_cast<size_t>(static_cast<const uint8_t*>(fill) - data) + 2;
    return true;
}

bool findNextMarker(const uint8_t* data, size_t length, size_t& cursor) {
    if (cursor > length) return false;
    for (;;) {
        const void* fill = cursor >= length ? nullptr : std::memchr(data + cursor, markerFill, length - cursor);
        if (fill == nullptr) {
            cursor = length + 1;
            return false;
        }
        cursor = static_cast<size_t>(static_cast<const uint8_t*>(fill) - data) + 1;
        while (cursor < length && data[cursor] == markerFill) ++cursor;
        if (cursor >= length) {
            cursor = length + 1;
            return false;
        }
        if (data[cursor] != 0) return true;
        ++cursor;
    }
}

}  // namespace vistello
