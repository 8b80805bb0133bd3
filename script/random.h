// The process-wide pseudo-random generator (MT19937) behind the Random built-in.
#pragma once

#include <cstdint>

// Seeds the generator; the next draw starts a fresh block.
void RandomSeed(uint32_t seed);
// Refills the block of 624 words; seeds from the clock first when never seeded.
void RandomRegenerate();
// The next tempered output divided by 2^32: a value in [0, 1).
double RandomDouble();
// Seeds from the clock: whole seconds times the milliseconds part (done for every script run).
void SeedRandom();
