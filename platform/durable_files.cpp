// The portable part of the durable-file routines: a file replaced whole from its two steps, and
// the test's stop before each step on the disk.
#include "platform/durable_files.h"

namespace dunax::platform {
namespace {

DurableStepHook stepHook = nullptr;

}  // namespace

Status replaceFileWhole(const char* temporary, const char* target) {
  if (Status renamed = replaceFile(temporary, target); !renamed.ok()) return renamed;
  return flushDirectoryOf(target);
}

void setDurableStepHook(DurableStepHook hook) { stepHook = hook; }

namespace detail {

void beforeDurableStep(const char* step, const char* path) {
  if (stepHook != nullptr) stepHook(step, path);
}

}  // namespace detail
}  // namespace dunax::platform
