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
#include <vector>

namespace demo {

struct Context {
  int records;        // how many records a file should hold (about; a writer may vary it)
  std::mt19937* rng;  // seeded by --seed, so a demo is reproducible
  std::string error;  // set by a writer that fails: one line
};

// Writes the legacy file(s) of one step into the current directory (the data directory) and
// returns 0, or a record-manager status with ctx.error set.
using Writer = std::function<int(Context& ctx)>;
using Registry = std::map<std::string, Writer>;  // step id -> writer

// Each family adds its writers; defined in demo_<family>.cpp.
void RegisterCatalogDemos(Registry& registry);
void RegisterOrderDemos(Registry& registry);
void RegisterCustomerDemos(Registry& registry);

// How a total of records is spread over the files of a database, as a customer's database holds
// them: historical order headers and lines most, order lines at least 30 % of all, velocity about
// 15 %, price contracts about 10 %; terms, modem profiles and categories stay small (tens to
// thousands). `files` are the files the release's steps write (the step table's names, any
// letter case; a step that writes two files names the first). Returns the records per file, in
// the order given; their sum is the total (less where a small table's cap keeps it lower).
std::vector<int> SpreadRecords(const std::vector<std::string>& files, long total);

// Helpers shared by the writers.

// A random upper- or lower-case word of up to `width` letters.
std::string RandomWord(std::mt19937& rng, size_t width, bool lowerCase = false);
// A number from 0 to below - 1.
int Pick(std::mt19937& rng, int below);
// `width` characters: `lead` followed by `n` in base 36, zero-filled; distinct for distinct n
// below 36^(width-1).
std::string Serial(char lead, int n, size_t width);
// Letters and digits, one word in four as wide as the field.
std::string Word(std::mt19937& rng, size_t width);
std::string Lower(std::string s);
// Lower-cases the letters of a stored field in place.
void LowerField(uint8_t* raw, size_t offset, size_t width);
// An amount with two decimals, one in five negative.
float Amount(std::mt19937& rng);
// A flag byte as old files hold them: mostly "Y" and "N", sometimes "y", a space or NUL.
uint8_t FlagByte(std::mt19937& rng);

}  // namespace demo
