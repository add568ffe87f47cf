// Any contents or index file inside a help file: the list read from it is a
// tree the viewer can build step by step (it starts at the top level and goes
// at most one level deeper from one entry to the next), and it stays within
// the depth and the number of entries the viewer shows.
#include "pages/help/Contents.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const help::Sitemap map =
        help::parseContents(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    bool sound = static_cast<int>(map.topics.size()) <= help::MostTopics;
    int previous = -1;
    for (const help::Topic& topic : map.topics) {
        sound = sound && topic.level >= 0 && topic.level <= help::DeepestLevel && topic.level <= previous + 1;
        previous = topic.level;
    }
    if (!sound) {
        std::fprintf(stderr, "the contents are no tree the viewer can build\n");
        std::abort();
    }
    return 0;
}
