// Writes the vector group table that the application reads beside its executable:
//   VectorGroupTableGen data/VectorGroupTable.csv
// Without an argument the table goes to standard output.
#include "VectorGroupModel.h"

#include <cstdio>
#include <exception>
#include <fstream>

int main(int argc, char* argv[]) {
    try {
        const std::string text = VectorGroups::TableText();
        if (argc < 2) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        }
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
}
