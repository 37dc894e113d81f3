// Demo databases: each table family registers one writer per conversion step of the upgrade
// run ("10" for the terms step, "14b" for items in layout 0308, ...). mkdemo runs, for the chosen
// release, the writer of every step whose condition holds, so the demo holds each file in the
// legacy layout that the upgrade run expects of that release.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>

namespace demo {

struct Context {
  int records;          // how many records a file should hold (about; a writer may vary it)
  std::mt19937* rng;    // seeded by --seed, so a demo is reproducible
  std::string error;    // set by a writer that fails: one line
};

// Writes the legacy file(s) of one step into the current directory (the data directory) and
// returns 0, or a record-manager status with ctx.error set.
using Writer = std::function<int(Context& ctx)>;
using Registry = std::map<std::string, Writer>;  // step id -> writer

// Each family adds its writers; defined in demo_<family>.cpp.
void RegisterCatalogDemos(Registry& registry);
void RegisterOrderDemos(Registry& registry);
void RegisterCustomerDemos(Registry& registry);

// Text helpers for writers: a random upper- or lower-case word of up to `width` characters.
std::string RandomWord(std::mt19937& rng, size_t width, bool lowerCase = false);

}  // namespace demo
