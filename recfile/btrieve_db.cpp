// CBtrieveDB: one record-manager call per operation. See btrieve_db.h.
#include "recfile/btrieve_db.h"

#include <cstring>
#include <memory>

#include "platform/btrieve/btrcall.h"

int BtrieveCall(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen, void* keyBuf,
                int8_t keyNum) {
  uint32_t length = dataLen != nullptr ? *dataLen : 0;
  const int16_t status = BTRCALL(op, posBlock, dataBuf, &length, keyBuf, 255, keyNum);
  if (dataLen != nullptr) {
    *dataLen = static_cast<uint16_t>(length);
  }
  return status;
}

CFile::~CFile() {
  Close();
}

void CFile::Close() {
  if (handle != nullptr) {
    std::fclose(handle);
    handle = nullptr;
  }
}

CBtrieveDB::CBtrieveDB()
    : m_bOpen(false),
      m_bImportActive(false),
      m_TotalCount(0),
      m_ProcessedCount(0),
      m_ErrorCount(0),
      m_ImportVersion(0),
      m_Recreate(0),
      m_DataLength(0) {
  std::memset(m_PosBlock, 0, sizeof m_PosBlock);
  std::memset(m_KeyBuffer, 0, sizeof m_KeyBuffer);
}

CBtrieveDB::~CBtrieveDB() {
  if (m_bOpen) {
    Call(btr::kClose, m_PosBlock, m_KeyBuffer, &m_DataLength, m_KeyBuffer, 0);
    m_bOpen = false;
  }
  m_ErrorMessages.clear();
}

int CBtrieveDB::Call(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen, void* keyBuf,
                     int8_t keyNum) {
  ++m_CallCount;
  return BtrieveCall(op, posBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::CallNeedingOpen(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen,
                                void* keyBuf, int8_t keyNum) {
  if (!m_bOpen) {
    return btr::kFileNotOpen;
  }
  return Call(op, posBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::OpenFile(void* dataBuf, uint16_t* dataLen, const char* fileName, int8_t mode) {
  int status = 0;
  if (m_bOpen && m_FileName != fileName) {
    status = Close();
  }
  if (m_bOpen || status != 0) {
    return status;
  }
  // The record manager reads the name from the key buffer; give it a terminated copy.
  std::string name(fileName);
  status = Call(btr::kOpen, m_PosBlock, dataBuf, dataLen, name.data(), mode);
  if (status == 0) {
    m_bOpen = true;
    m_FileName = fileName;
  }
  return status;
}

int CBtrieveDB::Open(const char* fileName) {
  if (fileName == nullptr) {
    const CString own = GetFileName();
    return OpenFile(m_KeyBuffer, &m_DataLength, own.c_str(), btr::kNormal);
  }
  return OpenFile(m_KeyBuffer, &m_DataLength, fileName, btr::kNormal);
}

int CBtrieveDB::Close() {
  int status = btr::kFileNotOpen;
  if (m_bOpen) {
    status = Call(btr::kClose, m_PosBlock, m_KeyBuffer, &m_DataLength, m_KeyBuffer, 0);
  }
  m_bOpen = false;
  m_FileName.clear();
  return status;
}

int CBtrieveDB::AbortTransaction() {
  return CallNeedingOpen(btr::kAbortTransaction, m_KeyBuffer, m_KeyBuffer, &m_DataLength,
                         m_KeyBuffer, 0);
}

int CBtrieveDB::BeginTransaction() {
  return CallNeedingOpen(btr::kBeginTransaction, m_KeyBuffer, m_KeyBuffer, &m_DataLength,
                         m_KeyBuffer, 0);
}

int CBtrieveDB::EndTransaction() {
  return CallNeedingOpen(btr::kEndTransaction, m_KeyBuffer, m_KeyBuffer, &m_DataLength, m_KeyBuffer,
                         0);
}

CString CBtrieveDB::GetFileName() {
  return "BTRIEVE.DB";
}

CString CBtrieveDB::GetDisplayName() {
  return "EMPTY";
}

// The text import is part of the class's shape only: nothing in the system imports, so the
// base answers as a table without an import format does.
bool CBtrieveDB::BeginImport(const CString&, int32_t, int32_t importVersion, int32_t recreate) {
  m_ImportVersion = importVersion;
  m_Recreate = recreate;
  return false;
}

bool CBtrieveDB::CanProcessRecords() {
  return GetRecordLength() != 0;
}

int CBtrieveDB::StepIntoRecord(bool first, int32_t context) {
  if (!CanProcessRecords()) {
    return btr::kFileNotFound;
  }
  const uint16_t recordLength = GetRecordLength();
  if (first) {
    m_TotalCount = GetRecordCount();
    m_ProcessedCount = 0;
  }
  auto buffer = std::make_unique<uint8_t[]>(2 * static_cast<size_t>(recordLength));
  uint16_t length = static_cast<uint16_t>(2 * recordLength);
  int status = first ? StepFirst(buffer.get(), &length) : StepNext(buffer.get(), &length);
  if (status == 0) {
    if (length != recordLength) {
      return btr::kDataBufferLength;
    }
    status = ProcessRecord(buffer.get(), context);
    ++m_ProcessedCount;
  }
  return status;
}

int CBtrieveDB::ProcessFirstRecord(int32_t context) {
  return StepIntoRecord(true, context);
}

int CBtrieveDB::ProcessNextRecord(int32_t context) {
  return StepIntoRecord(false, context);
}

int CBtrieveDB::ProcessRecord(const void*, int32_t) {
  return btr::kFileNotFound;
}

uint16_t CBtrieveDB::GetRecordLength() {
  return 0;
}

int CBtrieveDB::GetImportLineLength() {
  return 0;
}

uint32_t CBtrieveDB::GetRecordCount() {
  uint8_t spec[336] = {};
  uint8_t key[1024] = {};
  uint16_t length = sizeof spec;
  if (Stat(spec, &length, key) != 0) {
    return 1;
  }
  uint32_t count;
  std::memcpy(&count, spec + 6, 4);  // little-endian on every platform we build for
  return count;
}

int CBtrieveDB::ClearOwner() {
  return CallNeedingOpen(btr::kClearOwner, m_PosBlock, m_KeyBuffer, &m_DataLength, m_KeyBuffer, 0);
}

int CBtrieveDB::Create(void* spec, uint16_t* specLen, const char* fileName, int8_t mode) {
  if (m_bOpen) {
    Close();
  }
  std::string name(fileName);
  return Call(btr::kCreate, m_PosBlock, spec, specLen, name.data(), mode);
}

int CBtrieveDB::CreateSupplementalIndex(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kCreateSupplementalIndex, m_PosBlock, dataBuf, dataLen, m_KeyBuffer,
                         0);
}

int CBtrieveDB::Delete() {
  return CallNeedingOpen(btr::kDelete, m_PosBlock, m_KeyBuffer, &m_DataLength, m_KeyBuffer, 0);
}

int CBtrieveDB::DropSupplementalIndex(int8_t keyNum) {
  return CallNeedingOpen(btr::kDropSupplementalIndex, m_PosBlock, m_KeyBuffer, &m_DataLength,
                         m_KeyBuffer, keyNum);
}

int CBtrieveDB::Extend(void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kExtend, m_PosBlock, m_KeyBuffer, &m_DataLength, keyBuf, keyNum);
}

int CBtrieveDB::GetDirectory(void* keyBuf, int8_t drive) {
  return CallNeedingOpen(btr::kGetDirectory, m_PosBlock, m_KeyBuffer, &m_DataLength, keyBuf, drive);
}

int CBtrieveDB::GetDirect(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetDirect, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetEqual, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetFirst(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetFirst, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetGreater(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetGreater, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetGreaterOrEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetGreaterOrEqual, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetLast(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetLast, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetLess(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetLess, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetLessOrEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetLessOrEqual, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetNext(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetNext, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::GetPosition(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kGetPosition, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, 0);
}

int CBtrieveDB::GetPrevious(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kGetPrevious, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::Insert(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kInsert, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::Reset(void* keyBuf, int8_t keyNum) {
  return Call(btr::kReset, m_KeyBuffer, m_KeyBuffer, &m_DataLength, keyBuf, keyNum);
}

int CBtrieveDB::SetDirectory(const char* path) {
  std::string dir(path);
  return CallNeedingOpen(btr::kSetDirectory, m_KeyBuffer, m_KeyBuffer, &m_DataLength, dir.data(),
                         0);
}

int CBtrieveDB::SetOwner(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kSetOwner, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::Stat(void* dataBuf, uint16_t* dataLen, void* keyBuf) {
  return CallNeedingOpen(btr::kStat, m_PosBlock, dataBuf, dataLen, keyBuf, 0);
}

int CBtrieveDB::StepFirst(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kStepFirst, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, 0);
}

int CBtrieveDB::StepLast(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kStepLast, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, 0);
}

int CBtrieveDB::StepNext(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kStepNext, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, 0);
}

int CBtrieveDB::StepPrevious(void* dataBuf, uint16_t* dataLen) {
  return CallNeedingOpen(btr::kStepPrevious, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, 0);
}

int CBtrieveDB::Stop() {
  return CallNeedingOpen(btr::kStop, m_KeyBuffer, m_KeyBuffer, &m_DataLength, m_KeyBuffer, 0);
}

int CBtrieveDB::Unlock(void* dataBuf, uint16_t* dataLen, int8_t keyNum) {
  return CallNeedingOpen(btr::kUnlock, m_PosBlock, dataBuf, dataLen, m_KeyBuffer, keyNum);
}

int CBtrieveDB::Update(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum) {
  return CallNeedingOpen(btr::kUpdate, m_PosBlock, dataBuf, dataLen, keyBuf, keyNum);
}

int CBtrieveDB::Version(void* dataBuf, uint16_t* dataLen) {
  return Call(btr::kVersion, m_KeyBuffer, dataBuf, dataLen, m_KeyBuffer, 0);
}

void CBtrieveDB::AddError(const CString& message) {
  m_ErrorMessages.push_back(message);
  ++m_ErrorCount;
}

int32_t CountRecords(CBtrieveDB& table) {
  if (table.IsOpen()) {
    return static_cast<int32_t>(table.GetRecordCount());
  }
  const int status = table.Open(nullptr);
  if (status == 0) {
    const int32_t count = static_cast<int32_t>(table.GetRecordCount());
    table.Close();
    return count;
  }
  table.Close();
  return status == btr::kFileNotFound ? 0 : -1;
}
