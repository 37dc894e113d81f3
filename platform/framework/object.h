// CObject: the root of the record classes and of the framework's window classes. Only what the
// system relies on: a virtual destructor, and the run-time class query, serialisation, validity
// check and diagnostic dump that do nothing here.
#pragma once

class CObject {
 public:
  virtual ~CObject() = default;
  virtual const char* GetRuntimeClassName() const { return "CObject"; }
  virtual void Serialize() {}
  virtual void AssertValid() const {}
  virtual void Dump() const {}
};
