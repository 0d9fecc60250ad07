#include "program/pe_image.h"

#include <algorithm>
#include <cstring>

namespace vistello::tools {
namespace {

constexpr size_t dosHeaderSize = 64;
constexpr size_t dosNewHeaderOffsetAt = 0x3C;  // e_lfanew
constexpr size_t signatureSize = 4;            // "PE\0\0"
constexpr size_t coffHeaderSize = 20;
constexpr size_t sectionCountAt = 2;           // in the COFF header
constexpr size_t optionalHeaderSizeAt = 16;    // in the COFF header
constexpr size_t sizeOfHeadersAt = 60;         // in the optional header, PE32 and PE32+ alike
constexpr size_t optionalHeaderMinimum = sizeOfHeadersAt + 4;
constexpr size_t sectionHeaderSize = 40;
constexpr size_t rawDataSizeAt = 16;           // SizeOfRawData, in a section header
constexpr size_t rawDataPointerAt = 20;        // PointerToRawData
constexpr uint16_t maxSections = 96;           // the Windows loader's limit
constexpr uint16_t optionalMagicPe32 = 0x10B;
constexpr uint16_t optionalMagicPe32Plus = 0x20B;

uint16_t u16At(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32At(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool readExactly(ByteSource& file, std::vector<uint8_t>& bytes, size_t count) {
    bytes.resize(count);
    return file.read(bytes.data(), count) == count;
}

bool fail(std::string& problem, const char* reason) {
    problem = reason;
    return false;
}

bool readSection(const uint8_t* header, uint64_t fileSize, PeImage& image, std::string& problem) {
    const uint64_t size = u32At(header + rawDataSizeAt);
    const uint64_t begin = u32At(header + rawDataPointerAt);
    if (size == 0) return true;  // uninitialised data only (.bss): nothing of it is in the file
    if (begin > fileSize || size > fileSize - begin) {
        char name[9] = {};
        std::memcpy(name, header, 8);
        for (char& c : name) {
            if (c != 0 && (c < 0x20 || c > 0x7E)) c = '?';
        }
        problem = std::string("a damaged program file: its section '") + name + "' reaches beyond the end of the file";
        return false;
    }
    image.sections.push_back({begin, begin + size});
    image.imageEnd = std::max(image.imageEnd, begin + size);
    return true;
}

}  // namespace

bool readPeImage(ByteSource& file, uint64_t fileSize, PeImage& image, std::string& problem) {
    image = {};
    std::vector<uint8_t> bytes;
    if (!readExactly(file, bytes, dosHeaderSize) || bytes[0] != 'M' || bytes[1] != 'Z')
        return fail(problem, "not a Windows program file (it does not start with \"MZ\")");
    const uint32_t newHeaderAt = u32At(bytes.data() + dosNewHeaderOffsetAt);
    if (newHeaderAt < dosHeaderSize || !file.skip(newHeaderAt - dosHeaderSize))
        return fail(problem, "not a Windows program file (its PE header lies outside the file)");
    if (!readExactly(file, bytes, signatureSize + coffHeaderSize) || std::memcmp(bytes.data(), "PE\0\0", 4) != 0)
        return fail(problem, "not a Windows program file (no PE signature where its MS-DOS header points)");
    const uint16_t sectionCount = u16At(bytes.data() + signatureSize + sectionCountAt);
    const uint16_t optionalSize = u16At(bytes.data() + signatureSize + optionalHeaderSizeAt);
    if (sectionCount == 0 || sectionCount > maxSections)
        return fail(problem, "a damaged program file: its section count is 0 or above the 96 Windows loads");
    if (optionalSize < optionalHeaderMinimum || !readExactly(file, bytes, optionalSize))
        return fail(problem, "a damaged program file: its optional header is missing or cut short");
    const uint16_t magic = u16At(bytes.data());
    if (magic != optionalMagicPe32 && magic != optionalMagicPe32Plus)
        return fail(problem, "a damaged program file: its optional header is neither PE32 nor PE32+");
    const uint64_t headersEnd = u32At(bytes.data() + sizeOfHeadersAt);
    if (headersEnd > fileSize) return fail(problem, "a damaged program file: its headers reach beyond the end of the file");
    image.headers = {0, headersEnd};
    image.imageEnd = headersEnd;
    if (!readExactly(file, bytes, size_t(sectionCount) * sectionHeaderSize))
        return fail(problem, "a damaged program file: its section table is cut short");
    for (uint16_t i = 0; i < sectionCount; ++i) {
        if (!readSection(bytes.data() + size_t(i) * sectionHeaderSize, fileSize, image, problem)) return false;
    }
    return true;
}

}  // namespace vistello::tools
