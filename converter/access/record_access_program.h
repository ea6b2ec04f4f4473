// The record-access program as the converter reaches it: one call per request with the request
// block, released after "CL ", and the program called by name as the one real way to reach it.
#pragma once

#include <string_view>

#include "converter/access/request_block.h"
#include "platform/program_call.h"
#include "platform/status.h"

namespace dunax::converter::access {

class RecordAccessProgram {
 public:
  virtual ~RecordAccessProgram() = default;
  // Calls the program with the block, loading it first when needed.
  // Returns success, or NotFound with the loader's words when it cannot be reached (the block
  // is untouched then).
  virtual platform::Status call(RequestBlock& block) = 0;
  // Unloads the program; the next call loads it afresh with fresh working storage.
  virtual void release() = 0;
  virtual std::string_view name() const = 0;
};

// The program named in the run parameter, called by name.
class RecordAccessByName final : public RecordAccessProgram {
 public:
  // name is the 8-character field of the run parameter.
  explicit RecordAccessByName(std::string_view name) : program_(name) {}
  platform::Status call(RequestBlock& block) override { return program_.call(&block).status(); }
  void release() override { program_.release(); }
  std::string_view name() const override { return program_.name(); }

 private:
  platform::OutsideProgram program_;
};

}  // namespace dunax::converter::access
