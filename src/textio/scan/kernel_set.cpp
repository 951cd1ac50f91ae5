// SPDX-License-Identifier: BSD-2-Clause
#include "textio/scan/kernel_set.h"

#include <algorithm>
#include <array>

namespace fieldsift {

extern const KernelSet kPortableKernels;
extern const KernelSet kSse2Kernels;
extern const KernelSet kAvx2Kernels;

std::span<const BuiltKernels> built_kernels() {
  // The one place that asks the processor what it has.
#if defined(__SSE2__)
  static const std::array<BuiltKernels, 3> kBuilt = {
      {{&kAvx2Kernels, static_cast<bool>(__builtin_cpu_supports("avx2"))},
       {&kSse2Kernels, true},
       {&kPortableKernels, true}}};
#else
  static const std::array<BuiltKernels, 1> kBuilt = {{{&kPortableKernels, true}}};
#endif
  return kBuilt;
}

const KernelSet& choose_kernels() {
  const std::span<const BuiltKernels> built = built_kernels();
  return *std::find_if(built.begin(), built.end(), [](const BuiltKernels& k) {
            return k.runs_here;
          })->set;
}

}  // namespace fieldsift
