// The chosen profile's settings as the upgrade reads and writes them: sections are named relative
// to the profile key ("Upgrade" means "Profiles\ID0\Upgrade" for the first profile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

using CString = std::string;

namespace upgrade {

class Profile {
 public:
  virtual ~Profile() = default;
  virtual int32_t GetInt(const CString& section, const CString& name, int32_t def) = 0;
  virtual CString GetString(const CString& section, const CString& name, const CString& def) = 0;
  // False when the value could not be stored durably.
  virtual bool WriteInt(const CString& section, const CString& name, int32_t value) = 0;
  virtual bool WriteString(const CString& section, const CString& name, const CString& value) = 0;
  // Several values in one durable write: all of them or none are stored.
  virtual bool WriteValues(const std::vector<registry::Setting>& settings) = 0;
};

}  // namespace upgrade
