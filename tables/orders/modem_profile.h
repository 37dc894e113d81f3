// The modem profile table, "MODEM.DB": one record per profile, key 0 its 6-character code.
//
// Layouts: current (228 bytes), 0300 (228, without Flag2) and 0208 (236, four numbers, two
// flags, every text plain). In layouts 0300 and current SecretText is stored scrambled: each
// character becomes two characters from "A" to "A" + 63. Inserting into the current layout
// renumbers the profile: it takes the first code of 000001, 000002, ... that the file lacks.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CModemProfile : public CObject {
 public:
  CString ProfileCode;
  CString Text35;
  CString Text25;
  CString SecretText;  // in clear; scrambled only on disk
  CString Text50A;
  CString Text50B;
  int32_t Value1 = 4096;
  int32_t Value2 = 21;
  int32_t Flag1 = 0;  // 1 means yes
  int32_t Flag2 = 1;
};

class CModemProfile0300 : public CObject {
 public:
  CString ProfileCode;
  CString Text35;
  CString Text25;
  CString SecretText;
  CString Text50A;
  CString Text50B;
  int32_t Value1 = 4096;
  int32_t Value2 = 50000;
  int32_t Flag1 = 0;
};

class CModemProfile0208 : public CObject {
 public:
  CString ProfileCode;
  CString Text35;
  CString Text25;
  CString SecretText;  // plain
  CString Text50A;
  CString Text50B;
  int32_t Value1 = 0;
  int32_t Value2 = 0;
  int32_t Value3 = 0;
  int32_t Value4 = 0;
  bool Flag1 = false;
  bool Flag2 = false;
};

extern const recfile::Layout<CModemProfile> kModemProfileLayout;
extern const recfile::Layout<CModemProfile0300> kModemProfile0300Layout;
extern const recfile::Layout<CModemProfile0208> kModemProfile0208Layout;

// The stored form of SecretText and back. A stored form cut short (a text of more than 25
// characters does not fit the 50 bytes) unscrambles to the characters of its whole pairs.
CString ScrambleSecret(const CString& text);
CString UnscrambleSecret(const CString& stored);

class CModemProfileDB : public CBtrieveDB {
 public:
  ~CModemProfileDB() { Close(); }
  CString GetFileName() override { return "MODEM.DB"; }
  CString GetDisplayName() override { return "Modem Profile"; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Gives the record the first free code ("%.6d" of 1, 2, ...), then inserts it on key 0.
  // Consecutive inserts into one open file go on from the code the last one took, so filling a
  // file costs time linear in its profiles; the codes are those a search from 000001 gives.
  int InsertRecord(CModemProfile& record);

 private:
  // What the last successful InsertRecord learned: every candidate below `next` is taken. The
  // next InsertRecord trusts it only when no other operation went through this object since
  // (its call count is unchanged: no open, close, other write or read came in between) and the
  // file still holds as many records as it did (another object on the file may have deleted a
  // profile and so freed a low code). Candidates from `next` on are always looked up, so a code
  // another object added meanwhile is seen. Not seen: another object deleting one profile and
  // adding another between two inserts; the upgrade fills its new file through one object.
  struct TakenCodes {
    bool known = false;
    uint64_t calls = 0;
    uint32_t records = 0;
    int32_t next = 1;
  };
  // The candidate to look up first: `next` when the memory holds for a file of `records`
  // records with the call count at `calls`, else 1.
  int32_t FirstCandidate(uint64_t calls, uint32_t records) const;

  uint8_t m_Key0[6] = {};
  TakenCodes m_Taken;
};

class CModemProfile0300DB : public CBtrieveDB {
 public:
  ~CModemProfile0300DB() { Close(); }
  CString GetFileName() override { return "MODEM.DB"; }
  CString GetDisplayName() override { return "Modem Profile"; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(CModemProfile0300& record);
  int ReadNext(CModemProfile0300& record);

 private:
  uint8_t m_Key0[6] = {};
};

class CModemProfile0208DB : public CBtrieveDB {
 public:
  ~CModemProfile0208DB() { Close(); }
  CString GetFileName() override { return "MODEM.DB"; }
  CString GetDisplayName() override { return "Modem Profile"; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(CModemProfile0208& record);
  int ReadNext(CModemProfile0208& record);

 private:
  uint8_t m_Key0[6] = {};
};

// Text25 and SecretText are dropped; Value1 takes the old second number, Flag1 the old second
// flag; Value2 becomes 21 and Flag2 1.
void ConvertRecord(const CModemProfile0208& from, CModemProfile& to);
// Every field copied, SecretText in clear as read; Value2 becomes 21 and Flag2 1.
void ConvertRecord(const CModemProfile0300& from, CModemProfile& to);
