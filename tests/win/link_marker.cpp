// link_marker.exe: the target of the links in the tests. It writes the file named by its first
// argument, holding the rest of its arguments, so a test can see that the shell started it and
// with which parameters.
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    for (int i = 2; i < argc; ++i) std::fprintf(out, "%s%s", i > 2 ? " " : "", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
