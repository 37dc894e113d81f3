// The string table and numbered inserts. A format's "%1" to "%9" are replaced by the inserts in
// one pass, so an insert that itself contains "%2" stays as it is; a "%n" without an insert and
// any other "%" stay as they are.
#pragma once

#include <vector>

#include "platform/framework/wintypes.h"

// The text of string `id` of the installed resource table; empty when there is none.
CString LoadString(UINT id);

CString AfxFormatStrings(const CString& format, const std::vector<CString>& inserts);
// rString = string `idFormat` with %1 (and %2) replaced.
void AfxFormatString1(CString& rString, UINT idFormat, const CString& insert1);
void AfxFormatString2(CString& rString, UINT idFormat, const CString& insert1,
                      const CString& insert2);
