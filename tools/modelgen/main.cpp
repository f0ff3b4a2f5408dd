// modelgen OUT.cpp: builds the sculpture, fits it into the model's bounds,
// checks every property the program relies on and writes the tables.
#include <cstdio>
#include <cstring>

#include "modelgen.h"

static int writeFile(const char* path, const std::string& text)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "modelgen: cannot write %s\n", path);
        return 1;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "modelgen: write to %s failed\n", path);
    return ok ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: modelgen OUT.cpp\n");
        return 2;
    }
    std::vector<Body> bodies = buildSculpture(6691);
    Tables tables = fitToBounds(bodies);
    std::string err = checkTables(tables);
    if (!err.empty()) {
        std::fprintf(stderr, "modelgen: model check failed: %s\n", err.c_str());
        return 1;
    }
    std::fprintf(stderr, "modelgen: %zu bodies, %zu vertices, %zu triangles\n", bodies.size(), tables.verts.size(),
                 tables.faces.size());
    return writeFile(argv[1], formatSource(tables));
}
