// The screen library as the executor calls it: by the name held in its 8-character name field,
// with a 2-byte operation code (most significant byte first) and one parameter block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "layouts/screen_functions.h"
#include "platform/program_call.h"

namespace dunax::executor {

// Operation codes of the screen library.
namespace operation {
inline constexpr std::uint16_t kOpenWindow = layouts::screen_function::kOpenWindow;
inline constexpr std::uint16_t kCloseWindow = layouts::screen_function::kCloseWindow;
inline constexpr std::uint16_t kEnd = layouts::screen_function::kEndLibrary;
inline constexpr std::uint16_t kPostMessage = layouts::screen_function::kPostMessage;
inline constexpr std::uint16_t kFetchMessage = layouts::screen_function::kFetchMessage;
inline constexpr std::uint16_t kStartUp = layouts::screen_function::kStartLibrary;
}  // namespace operation

// The seam between the main sequence and the library, so that a test can stand in for it.
class ScreenLibrary {
 public:
  virtual ~ScreenLibrary() = default;
  // Names the program that later calls go to (the 8-character field, trailing spaces kept).
  virtual void setName(std::string_view nameField) = 0;
  // Calls the named program with the operation code and block.
  // Returns Called with the program's return code, or NotFound.
  virtual platform::CallResult call(std::uint16_t operationCode, void* block) = 0;
  // Why the program could not be found, for the user.
  virtual std::string loadError() const = 0;
};

// The real library: a program called by name through the platform.
class NamedScreenLibrary : public ScreenLibrary {
 public:
  void setName(std::string_view nameField) override { program_.setName(nameField); }
  platform::CallResult call(std::uint16_t operationCode, void* block) override;
  std::string loadError() const override { return program_.loadError(); }

 private:
  platform::OutsideProgram program_;
};

}  // namespace dunax::executor
