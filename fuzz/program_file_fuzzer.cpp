// vistello-pack's reading of a program file over arbitrary bytes: the PE headers, the search
// for the package-offset constant inside the image, and the package read by offset as info and
// extract read it. Whatever the bytes, reading stays inside them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/memory_input.h"
#include "program/package_view.h"
#include "program/program_file.h"

using namespace vistello::tools;

namespace {

constexpr size_t maxInputSize = 1 << 20;
volatile uint64_t sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInputSize) return 0;
    MemoryInputFile file({data, size});
    std::string problem;
    ProgramFile program;
    if (readProgramFile(file, program, problem)) (void)checkStub(program, problem);
    PackageView view;
    if (!readPackageView(file, view, problem)) return 0;
    uint64_t sum = view.picture.at + view.picture.size + view.trailingBytes;
    for (const auto& entry : view.enclosedFiles) sum += entry.name.size() + entry.contents.at + entry.contents.size;
    sink = sum;
    return 0;
}
