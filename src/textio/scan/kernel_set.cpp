// SPDX-License-Identifier: BSD-2-Clause
#include "textio/scan/kernel_set.h"

#include <algorithm>
#include <array>

namespace fieldsift {

extern const KernelSet kPortableKernels;
extern const KernelSet kSse2Kernels;
extern const KernelSet kAvx2Kernels;

std::span<const BuiltKernels> built_kernels() noexcept {
  // The one place that asks the processor what it has; it may be asked
  // before the runtime's own constructors have run.
#if defined(__SSE2__)
  __builtin_cpu_init();
  static const std::array<BuiltKernels, 3> kBuilt = {
      {{&kAvx2Kernels, static_cast<bool>(__builtin_cpu_supports("avx2"))},
       {&kSse2Kernels, true},
       {&kPortableKernels, true}}};
#else
  static const std::array<BuiltKernels, 1> kBuilt = {{{&kPortableKernels, true}}};
#endif
  return kBuilt;
}

const KernelSet& choose_kernels() noexcept {
  const std::span<const BuiltKernels> built = built_kernels();
  return *std::find_if(built.begin(), built.end(), [](const BuiltKernels& k) {
            return k.runs_here;
          })->set;
}

// The portable set's address is a constant, whenever its own bytes are set.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables,cppcoreguidelines-interfaces-global-init)
constinit const KernelSet* active_kernel_set = &kPortableKernels;

namespace {
// The choice, made as the program starts.
const bool kChosen = (active_kernel_set = &choose_kernels(), true);
}  // namespace

}  // namespace fieldsift
