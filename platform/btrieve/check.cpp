// Record file verification; see check.h.
#include "platform/btrieve/check.h"

#include "platform/btrieve/btrcall.h"

namespace btr {

int CheckRecordFile(const std::string& name, std::string* report) {
  if (report != nullptr) {
    *report = "check of " + name + " not available yet";
  }
  return kIoError;
}

}  // namespace btr
