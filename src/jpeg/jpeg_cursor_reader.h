#pragma once
// The decoder reads its marker segments through the one bounded reader, ByteReader, started at
// the decoder's cursor. When the reader goes out of scope the cursor takes its position back,
// or the decoder's mark for "passed the end" (length + 1) when a read wanted more bytes than
// were left, so the marker search and the entropy decoder go on from where the segment's
// reading stopped.
#include <cstddef>
#include <cstdint>

#include "common/byte_reader.h"

namespace vistello {

class CursorReader : public ByteReader {
public:
    CursorReader(const uint8_t* data, size_t length, size_t& cursor) : ByteReader(data, length, cursor), cursor_(cursor) {}
    CursorReader(const CursorReader&) = delete;
    CursorReader& operator=(const CursorReader&) = delete;
    ~CursorReader() { cursor_ = passedEnd() ? size() + 1 : static_cast<size_t>(position()); }

    // The decoder's sense of having passed the end: a read ran out, or a segment length moved
    // the position beyond the last byte.
    [[nodiscard]] bool beyondEnd() const { return passedEnd() || position() > size(); }

private:
    size_t& cursor_;
};

}  // namespace vistello
