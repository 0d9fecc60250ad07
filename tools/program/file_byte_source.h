#pragma once
// The package readers' byte source over a part of an input file, read through a buffer and
// positioned by seeking, so a reader never needs more of the file in memory than it asks for.
#include <cstdint>
#include <string>
#include <vector>

#include "app/byte_source.h"
#include "platform/files.h"

namespace vistello::tools {

class FileByteSource final : public ByteSource {
public:
    // The bytes [begin, end) of file.
    FileByteSource(InputFile& file, uint64_t begin, uint64_t end);
    [[nodiscard]] size_t read(uint8_t* out, size_t count) override;
    [[nodiscard]] bool skip(uint64_t count) override;
    [[nodiscard]] uint64_t remaining() const override { return end_ - position_; }
    uint64_t position() const { return position_; }
    // A read the system refused ends the data early; this tells it apart from damaged data.
    bool failed() const { return !problem_.empty(); }
    const std::string& problem() const { return problem_; }

private:
    [[nodiscard]] bool fill();

    InputFile& file_;
    uint64_t position_;
    uint64_t end_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
    size_t bufferSize_ = 0;
    std::string problem_;
};

// A byte source that lets at most budget bytes be read through it from another one; moving
// past bytes (a picture, an enclosed file's contents) costs nothing. It is the tool's own bound
// on items whose size the format does not state: texts end only at their zero byte.
class ReadBudgetSource final : public ByteSource {
public:
    ReadBudgetSource(ByteSource& inner, uint64_t budget) : inner_(inner), left_(budget) {}
    [[nodiscard]] size_t read(uint8_t* out, size_t count) override;
    [[nodiscard]] bool skip(uint64_t count) override { return inner_.skip(count); }
    [[nodiscard]] uint64_t remaining() const override { return inner_.remaining(); }
    // True once a read stopped at the budget rather than at the end of the data.
    bool spent() const { return spent_; }

private:
    ByteSource& inner_;
    uint64_t left_;
    bool spent_ = false;
};

}  // namespace vistello::tools
