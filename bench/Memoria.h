// The process's resident memory, for the benchmarks that report what a set
// of rows or a copy takes.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>

// Resident memory of the process, in bytes.
inline std::size_t residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}
