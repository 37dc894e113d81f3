// recutil's unformatted file reader over any bytes. The records read are written out and read
// again: `save` followed by `load` must move every record unchanged.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tools/recutil/unformatted.h"

namespace {

// Every record up to the end or the first error.
std::vector<std::string> ReadAll(const std::string& bytes, bool* clean_end) {
  std::istringstream in(bytes);
  recutil::UnformattedReader reader(in);
  std::vector<std::string> records;
  std::string record;
  recutil::UnformattedReader::Result result;
  while ((result = reader.Next(&record)) == recutil::UnformattedReader::kRecord) {
    fuzz::Require(record.size() <= recutil::kMaxRecordLength, "a record fits the record manager");
    records.push_back(record);
  }
  if (result == recutil::UnformattedReader::kError) {
    fuzz::Require(!reader.error().empty(), "an error has a reason");
  }
  *clean_end = result == recutil::UnformattedReader::kEnd;
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bool clean_end = false;
  const std::vector<std::string> records =
      ReadAll(std::string(reinterpret_cast<const char*>(data), size), &clean_end);
  std::ostringstream out;
  for (const std::string& record : records) {
    recutil::WriteUnformattedRecord(out, record.data(), record.size());
  }
  recutil::WriteUnformattedEnd(out);
  bool again_clean = false;
  fuzz::Require(ReadAll(out.str(), &again_clean) == records && again_clean,
                "written records read back unchanged");
  return 0;
}
