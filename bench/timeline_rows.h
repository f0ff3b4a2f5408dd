// The timeline's rows as the benchmarks walk them: a name and a pattern range.
#pragma once

struct Row {
    const char* name;
    double from, to;
};

static const Row rows[] = {
    {"silhouette + smear (intro)", 0, 6},
    {"cube swarm + smear + flicker", 6, 10},
    {"breaking boxes + mosaic + grid", 10, 12},
    {"column hall + mirror", 12, 14},
    {"slab tunnel + flicker", 14, 16},
    {"cube swarm + mosaic + grid", 16, 17},
    {"column hall + added mirror", 17, 18},
    {"metal model + mosaic", 18, 20},
    {"column hall + smear", 20, 21},
    {"cube swarm + mirror", 21, 22},
    {"cycling section", 22, 32},
    {"silhouette + smear + flicker", 32, 36},
    {"outro", 36, 37.9},
};
