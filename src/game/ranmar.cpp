// RANMAR, the universal uniform generator of Marsaglia and Zaman as published
// by James: a lagged Fibonacci table of 97 values combined with an arithmetic
// sequence, all exact multiples of 2^-24.
#include "game/ranmar.h"

UniformRng::UniformRng() { seed(17985, 21338); }

void UniformRng::seed(int seed1, int seed2)
{
    if (seed1 < 0 || seed1 > 31328 || seed2 < 0 || seed2 > 30081) {
        seed1 = 1231;
        seed2 = 7354;
    }
    int i = (seed1 / 177) % 177 + 2;
    int j = seed1 % 177 + 2;
    int k = (seed2 / 169) % 178 + 1;
    int l = seed2 % 169;
    for (int n = 1; n <= 97; n++) {
        float s = 0.0f, t = 0.5f;
        for (int b = 0; b < 24; b++) {
            const int m = (((i * j) % 179) * k) % 179;
            i = j;
            j = k;
            k = m;
            l = (53 * l + 1) % 169;
            if ((l * m) % 64 >= 32)
                s += t;
            t *= 0.5f;
        }
        u[n] = s;
    }
    u[0] = 0.0f;
    c = 362436.0f / 16777216.0f;
    cd = 7654321.0f / 16777216.0f;
    cm = 16777213.0f / 16777216.0f;
    i97 = 97;
    j97 = 33;
}

float UniformRng::next()
{
    float uni = u[i97] - u[j97];
    if (uni < 0.0f)
        uni += 1.0f;
    u[i97] = uni;
    if (--i97 == 0)
        i97 = 97;
    if (--j97 == 0)
        j97 = 97;
    c -= cd;
    if (c < 0.0f)
        c += cm;
    uni -= c;
    if (uni < 0.0f)
        uni += 1.0f;
    return uni;
}

UniformRng *get_uniform_rng(void)
{
    static UniformRng rng;
    return &rng;
}
