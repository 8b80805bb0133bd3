// MT19937 with its published constants; one state for the process, used on one thread.
#include "script/random.h"

#include <sys/timeb.h>

#include <ctime>

namespace {

constexpr int kWords = 624;
constexpr int kShift = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

uint32_t g_state[kWords];
int g_position = kWords + 1;
bool g_seeded = false;

}  // namespace

void RandomSeed(uint32_t seed) {
  g_state[0] = seed;
  for (int i = 1; i < kWords; ++i)
    g_state[i] = 1812433253u * (g_state[i - 1] ^ (g_state[i - 1] >> 30)) + static_cast<uint32_t>(i);
  g_seeded = true;
  g_position = kWords;
}

void RandomRegenerate() {
  if (!g_seeded) RandomSeed(static_cast<uint32_t>(_time64(nullptr)));
  for (int i = 0; i < kWords; ++i) {
    uint32_t y = (g_state[i] & kUpperMask) | (g_state[(i + 1) % kWords] & kLowerMask);
    g_state[i] = g_state[(i + kShift) % kWords] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
  }
  g_position = 0;
}

double RandomDouble() {
  if (g_position >= kWords) RandomRegenerate();
  uint32_t y = g_state[g_position++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y / 4294967296.0;
}

void SeedRandom() {
  __timeb64 now;
  _ftime64(&now);
  RandomSeed(static_cast<uint32_t>(now.time) * now.millitm);
}
