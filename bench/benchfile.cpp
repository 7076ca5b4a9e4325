// Writes the benchmarks' generated 64,000-event file, for figures taken outside this tree
// (the page's): tunedeck_bench_file OUT.mid
#include "benchfiles.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tunedeck_bench_file OUT.mid\n");
        return 2;
    }
    tunedeck::bench::modulatingFile().save(argv[1]);
    return 0;
}
