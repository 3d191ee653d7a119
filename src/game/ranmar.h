// The Marsaglia-Zaman universal uniform random generator (RANMAR).
#pragma once

class UniformRng {
public:
    UniformRng();
    // seed1 0..31328 and seed2 0..30081, else the pair (1231, 7354).
    void seed(int seed1, int seed2);
    // A float in [0, 1).
    float next();
private:
    float u[98];
    int i97, j97;
    float c, cd, cm;
};

UniformRng *get_uniform_rng(void);
