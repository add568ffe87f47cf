// mkphonebook SAMPLES.sql TARGET.mdb: places a new phone book, holding the
// sample contacts, where none is.
#include "MakePhoneBook.h"

#include <iostream>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: mkphonebook SAMPLES.sql TARGET\n";
        return 2;
    }
    bool created = false;
    const std::string failure = makePhoneBook(argv[1], argv[2], &created);
    if (!failure.empty()) {
        std::cerr << "mkphonebook: " << argv[2] << ": " << failure << '\n';
        return 1;
    }
    std::cout << argv[2] << (created ? ": created\n" : ": exists, left as it is\n");
    return 0;
}
