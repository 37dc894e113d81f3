// CBtrieveDB: the base class of every table class. It owns the position block of one open record
// file, a scratch key buffer and a data-length word, remembers which file is open, and offers one
// virtual operation per record-manager operation, each of which is exactly one BtrieveCall.
//
// Calling order: construct; Open (or CreateFile, which leaves the new file open); record
// operations; Close; destroy. Open with the name already open does nothing; with another name
// it closes the first file. An operation that needs an open file answers 3 on a closed object
// without calling the record manager. Close always leaves the object closed and nameless.
//
// The virtual operations keep the order of the original class (OpenFile first, ImportLine last,
// 49 in all); the order tables append their own after ImportLine. Statuses are record-manager
// statuses, 0 for success; nothing here throws or shows a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <string>

using CString = std::string;

// The only place that calls the record manager: widens the 16-bit data length to the 32 bits the
// record manager takes, passes key length 255, and writes the low 16 bits of the returned length
// back. A null `dataLen` passes a length of 0.
int BtrieveCall(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen, void* keyBuf,
                int8_t keyNum);

// A text file read by the record import (kept for the shape of the class; nothing imports).
struct CFile {
  std::FILE* handle = nullptr;
  ~CFile();
  void Close();
};

class CBtrieveDB {
 public:
  CBtrieveDB();
  ~CBtrieveDB();  // not virtual: table classes are always destroyed as themselves
  CBtrieveDB(const CBtrieveDB&) = delete;
  CBtrieveDB& operator=(const CBtrieveDB&) = delete;

  virtual int OpenFile(void* dataBuf, uint16_t* dataLen, const char* fileName, int8_t mode);
  virtual int Open(const char* fileName = nullptr);
  virtual int Close();
  virtual int AbortTransaction();
  virtual int BeginTransaction();
  virtual int EndTransaction();
  virtual CString GetFileName();
  virtual CString GetDisplayName();
  virtual bool BeginImport(const CString& path, int32_t startOffset, int32_t importVersion,
                           int32_t recreate);
  virtual bool CanProcessRecords();
  virtual int ProcessFirstRecord(int32_t context);
  virtual int ProcessNextRecord(int32_t context);
  virtual int ProcessRecord(const void* raw, int32_t context);
  virtual uint16_t GetRecordLength();
  virtual int GetImportLineLength();
  virtual uint32_t GetRecordCount();
  virtual int ClearOwner();
  virtual int CreateFile(const char* fileName) = 0;
  virtual int Create(void* spec, uint16_t* specLen, const char* fileName, int8_t mode);
  virtual int CreateSupplementalIndex(void* dataBuf, uint16_t* dataLen);
  virtual int Delete();
  virtual int DropSupplementalIndex(int8_t keyNum);
  virtual int Extend(void* keyBuf, int8_t keyNum);
  virtual int GetDirectory(void* keyBuf, int8_t drive);
  virtual int GetDirect(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetFirst(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetGreater(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetGreaterOrEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetLast(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetLess(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetLessOrEqual(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetNext(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int GetPosition(void* dataBuf, uint16_t* dataLen);
  virtual int GetPrevious(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int Insert(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int Reset(void* keyBuf, int8_t keyNum);
  virtual int SetDirectory(const char* path);
  virtual int SetOwner(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int Stat(void* dataBuf, uint16_t* dataLen, void* keyBuf);
  virtual int StepFirst(void* dataBuf, uint16_t* dataLen);
  virtual int StepLast(void* dataBuf, uint16_t* dataLen);
  virtual int StepNext(void* dataBuf, uint16_t* dataLen);
  virtual int StepPrevious(void* dataBuf, uint16_t* dataLen);
  virtual int Stop();
  virtual int Unlock(void* dataBuf, uint16_t* dataLen, int8_t keyNum);
  virtual int Update(void* dataBuf, uint16_t* dataLen, void* keyBuf, int8_t keyNum);
  virtual int Version(void* dataBuf, uint16_t* dataLen);
  // One line of import text: the table's own format. Nothing in the system imports.
  virtual int ImportLine(const CString& line, int32_t lineNumber) = 0;

  void AddError(const CString& message);

  bool IsOpen() const { return m_bOpen; }
  const CString& CurrentFileName() const { return m_FileName; }
  // The own position block, for the key-only probes (operation 55) of some tables.
  void* PositionBlock() { return m_PosBlock; }
  // How many operations have gone through this object's own members (Open, Close, Insert,
  // GetNext, ...; the key-only probes through PositionBlock are not counted). A table that
  // remembers something it learned about its open file compares the count to know that no
  // other operation of its own came in between.
  uint64_t CallCount() const { return m_CallCount; }

 protected:
  uint8_t m_PosBlock[128];
  bool m_bOpen;
  bool m_bImportActive;
  CFile m_ImportFile;
  uint32_t m_TotalCount;
  uint32_t m_ProcessedCount;
  int32_t m_ErrorCount;
  int32_t m_ImportVersion;
  int32_t m_Recreate;
  CString m_FileName;
  uint8_t m_KeyBuffer[128];
  uint16_t m_DataLength;
  std::list<CString> m_ErrorMessages;
  uint64_t m_CallCount = 0;

 private:
  // Every member operation calls the record manager through here.
  int Call(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen, void* keyBuf,
           int8_t keyNum);
  int CallNeedingOpen(uint16_t op, void* posBlock, void* dataBuf, uint16_t* dataLen, void* keyBuf,
                      int8_t keyNum);
  int StepIntoRecord(bool first, int32_t context);
};

// The number of records of a table's file for the upgrade dialog's totals: the count of an open
// table; otherwise opens the table's own file, counts and closes it. 0 when the file does not
// exist (status 12), -1 when it cannot be opened for another reason.
int32_t CountRecords(CBtrieveDB& table);
