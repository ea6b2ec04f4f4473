// The portable part of the durable-file routines: the test's stop before each step on the disk.
#include "platform/durable_files.h"

namespace dunax::platform {
namespace {

DurableStepHook stepHook = nullptr;

}  // namespace

void setDurableStepHook(DurableStepHook hook) { stepHook = hook; }

namespace detail {

void beforeDurableStep(const char* step, const char* path) {
  if (stepHook != nullptr) stepHook(step, path);
}

}  // namespace detail
}  // namespace dunax::platform
