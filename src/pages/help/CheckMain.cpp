// quorvel-chmcheck FILE: reads a compiled help file whole, as the help viewer
// will, in a process of its own, since a damaged file can crash or hang the
// reader. It writes a line per object read, so that whoever waits on it can
// tell slow progress from a hang. Exit 0: sound; 1: cannot be opened; 2: an
// object cannot be read whole; 3: the file's directory goes round in a loop.
#include <chm_lib.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {
// An object is read in pieces, so a sound file of any size passes; a
// length beyond what the data can hold ends in a short read.
constexpr LONGINT64 Piece = 1 << 20;

struct Reading {
    std::vector<unsigned char> piece = std::vector<unsigned char>(Piece);
    std::set<std::string> seen;
    int result = 0;
};

int readObject(chmFile* file, chmUnitInfo* unit, void* context) {
    auto* reading = static_cast<Reading*>(context);
    if (!reading->seen.insert(unit->path).second) {
        reading->result = 3;
        return CHM_ENUMERATOR_FAILURE;
    }
    // Each object must also be found by its name, as the viewer finds it.
    chmUnitInfo found{};
    if (unit->path[0] == '/' && chm_resolve_object(file, unit->path, &found) != CHM_RESOLVE_SUCCESS) {
        reading->result = 2;
        return CHM_ENUMERATOR_FAILURE;
    }
    for (LONGUINT64 at = 0; at < unit->length;) {
        const LONGINT64 want = static_cast<LONGINT64>(std::min<LONGUINT64>(Piece, unit->length - at));
        if (chm_retrieve_object(file, unit, reading->piece.data(), at, want) != want) {
            reading->result = 2;
            return CHM_ENUMERATOR_FAILURE;
        }
        at += static_cast<LONGUINT64>(want);
        std::puts(".");
        std::fflush(stdout);
    }
    std::printf("%s\n", unit->path);
    std::fflush(stdout);
    return CHM_ENUMERATOR_CONTINUE;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 1;
    chmFile* file = chm_open(argv[1]);
    if (!file)
        return 1;
    Reading reading;
    chm_enumerate(file, CHM_ENUMERATE_ALL, readObject, &reading);
    chm_close(file);
    return reading.result;
}
