// The string table and numbered inserts.
#include "platform/framework/strings.h"

#include "platform/framework/resource_table.h"

CString LoadString(UINT id) {
  const framework::StringEntry* entry = framework::Resources().FindString(static_cast<int>(id));
  return entry != nullptr ? entry->text : CString();
}

CString AfxFormatStrings(const CString& format, const std::vector<CString>& inserts) {
  CString out;
  out.reserve(format.size());
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(format[i + 1] - '1');
      if (n < inserts.size()) {
        out += inserts[n];
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

void AfxFormatString1(CString& rString, UINT idFormat, const CString& insert1) {
  rString = AfxFormatStrings(LoadString(idFormat), {insert1});
}

void AfxFormatString2(CString& rString, UINT idFormat, const CString& insert1,
                      const CString& insert2) {
  rString = AfxFormatStrings(LoadString(idFormat), {insert1, insert2});
}
